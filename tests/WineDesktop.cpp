// Brings up the Wine desktop once, before tests run side by side: processes that start the
// desktop at the same moment in a new Wine session can leave it without a display driver, and
// then no window can be made for the rest of that session. Exit code 0 when a window could be
// made, 1 otherwise.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    if (!window) return 1;
    DestroyWindow(window);
    return 0;
}
