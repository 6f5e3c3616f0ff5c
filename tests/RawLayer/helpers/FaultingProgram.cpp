// Test helper: installs the crash handler the way the program entry does, then faults. Exits
// with 3 instead when dbghelp is loaded before any fault: the handler loads it when it needs it.
#include <windows.h>

#include "RawLayer/RawThreadDump.h"

int main() {
    RawLayer::InstallThreadDump();
    if (GetModuleHandleW(L"dbghelp.dll")) return 3;
    volatile int* nowhere = nullptr;
    *nowhere = 1;
    return 0;
}
