// Test helper: installs the crash handler the way the program entry does, then faults.
#include <windows.h>

#include "RawLayer/RawThreadDump.h"

int main() {
    RawLayer::InstallThreadDump();
    volatile int* nowhere = nullptr;
    *nowhere = 1;
    return 0;
}
