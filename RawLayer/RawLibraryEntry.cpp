#include "RawLayer/RawLibraryEntry.h"

namespace RawLayer {

namespace {
constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
}

FARPROC LibraryEntry(const wchar_t* library, const char* name) {
    // Only from the system folder, never from the program's or the current folder.
    HMODULE module = LoadLibraryExW(library, nullptr, kSearchSystem32);
    // Systems without that search flag refuse it; system libraries are found first there anyway.
    if (!module && GetLastError() == ERROR_INVALID_PARAMETER) module = LoadLibraryW(library);
    return module ? GetProcAddress(module, name) : nullptr;
}

}  // namespace RawLayer
