// A function taken from a loaded library by name or by ordinal (MAKEINTRESOURCEA), typed as
// the caller needs it; null when the library lacks it.
#pragma once

#include <windows.h>

namespace RawLayer {

template <class Procedure>
Procedure ProcedureOf(HMODULE module, LPCSTR nameOrOrdinal) {
    if (!module) return nullptr;
    // Through the generic function type, which GCC accepts as a cast between function types.
    auto generic = reinterpret_cast<void (*)()>(GetProcAddress(module, nameOrOrdinal));
    return reinterpret_cast<Procedure>(generic);
}

}  // namespace RawLayer
