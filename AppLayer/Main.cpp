// Program entry.
#include <windows.h>

#include "AppLayer/StartUp.h"
#include "RawLayer/RawPhaseClock.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const int code = AppLayer::ProgramEntry(instance);
    KAIRODEX_PHASE("program entry returned");
    return code;
}
