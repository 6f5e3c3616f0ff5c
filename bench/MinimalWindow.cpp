// The floor for a windowed program's start: registers a class, creates, shows and paints one
// window, and exits on its first WM_PAINT. With the argument "text" the paint also draws one
// line in the message font, the floor for a window that shows any text. With "keep" it makes
// the window hidden and waits until it is ended: Wine's desktop process ends a few seconds after
// the last window is gone, and a window program started then pays for starting it again.
#include <windows.h>

namespace {

HFONT textFont = nullptr;  // set when a line of text is drawn

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        FillRect(paint.hdc, &paint.rcPaint, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
        if (textFont) {
            HGDIOBJ previous = SelectObject(paint.hdc, textFont);
            RECT line = {8, 8, 392, 40};
            DrawTextW(paint.hdc, L"Minimal window", -1, &line, DT_NOPREFIX);
            SelectObject(paint.hdc, previous);
        }
        EndPaint(window, &paint);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int show) {
    if (commandLine && wcscmp(commandLine, L"text") == 0) {
        NONCLIENTMETRICSW metrics = {};
        metrics.cbSize = sizeof(metrics);
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
            textFont = CreateFontIndirectW(&metrics.lfMessageFont);
        }
    }
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = L"MinimalWindow";
    if (!RegisterClassW(&windowClass)) return 1;
    HWND window = CreateWindowExW(0, L"MinimalWindow", L"Minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                  400, 300, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    if (!(commandLine && wcscmp(commandLine, L"keep") == 0)) ShowWindow(window, show);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
