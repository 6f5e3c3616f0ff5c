// Entries of system libraries that only some paths of the program need, loaded on first call:
// the command-line mode then never loads the shell or the common dialogs (under Wine they pull
// in a dozen more libraries and cost more than the rest of a start). A loaded library stays
// loaded until the process ends.
#pragma once

#include <windows.h>

namespace RawLayer {

// The address of `name` in the system library `library`, or null when either is missing.
FARPROC LibraryEntry(const wchar_t* library, const char* name);

template <class Function>
Function LibraryFunction(const wchar_t* library, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(LibraryEntry(library, name)));
}

}  // namespace RawLayer
