// The running main dialog made twice as wide and twice as high, as seen on the screen: the
// target box fills the new room, the buttons keep to the right. The picture is written to the
// build folder's screens/ for a person to look at.
#include <gtest/gtest.h>

#include "EndToEnd/KairodexProcess.h"
#include "WinLayer/WinPixelSupport.h"

namespace EndToEnd {
namespace {

using WinLayerTest::PixelCanvas;

// A control's rectangle in its dialog's client coordinates.
RECT ClientRectOf(HWND dialog, int identifier) {
    RECT rect = {};
    GetWindowRect(GetDlgItem(dialog, identifier), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

SIZE ClientSize(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    return {client.right, client.bottom};
}

// The face colour of the drop boxes: each channel of the system face colour v made v - v * 10 / 256.
COLORREF DropBoxFace() {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    auto shade = [](int v) { return static_cast<BYTE>(v - v * 10 / 256); };
    return RGB(shade(GetRValue(face)), shade(GetGValue(face)), shade(GetBValue(face)));
}

// What the screen shows of the window's client area.
void CaptureClient(HWND window, PixelCanvas& canvas) {
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    HDC screen = GetDC(nullptr);
    BitBlt(canvas.Get(), 0, 0, canvas.Width(), canvas.Height(), screen, origin.x, origin.y, SRCCOPY);
    ReleaseDC(nullptr, screen);
}

}  // namespace

TEST(MainDialogResize, AtTwiceItsSizeTheTargetBoxFillsTheRoomAndTheButtonsKeepRight) {
    Sandbox box;
    RunningProgram program(box, L"-u -D 2024/09/07 -T 10:20:30 -M 5");
    HWND window = program.MainWindow();
    ASSERT_NE(window, nullptr) << "no main window";
    // The controls are in place once the boxes show the value.
    AwaitText(GetDlgItem(window, kDateBox), L"2024/09/07");
    const SIZE before = ClientSize(window);
    const RECT target = ClientRectOf(window, kTargetBox), close = ClientRectOf(window, kCloseButton),
               select = ClientRectOf(window, kDateSelect), date = ClientRectOf(window, kDateBox);

    RECT frame = {};
    GetWindowRect(window, &frame);
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = 2 * (frame.right - frame.left), height = 2 * (frame.bottom - frame.top);
    ASSERT_LE(height, work.bottom - work.top) << "the screen is too small for the test";
    // On top of every other window for the picture: other tests may show windows meanwhile.
    SetWindowPos(window, HWND_TOPMOST, work.left, work.top, width, height, SWP_NOACTIVATE);
    Await([&] { return ClientRectOf(window, kTargetBox).right != target.right; }, 5000);
    const SIZE after = ClientSize(window);
    const int grownX = after.cx - before.cx, grownY = after.cy - before.cy;
    ASSERT_GT(grownX, 0);
    ASSERT_GT(grownY, 0);

    const RECT newTarget = ClientRectOf(window, kTargetBox), newClose = ClientRectOf(window, kCloseButton),
               newSelect = ClientRectOf(window, kDateSelect), newDate = ClientRectOf(window, kDateBox);
    EXPECT_EQ(newTarget.left, target.left);
    EXPECT_EQ(newTarget.top, target.top);
    EXPECT_EQ(newTarget.right, target.right + grownX);
    EXPECT_EQ(newTarget.bottom, target.bottom + grownY);
    EXPECT_EQ(newClose.left, close.left + grownX);
    EXPECT_EQ(newClose.right, close.right + grownX);
    EXPECT_EQ(newSelect.left, select.left + grownX);
    EXPECT_EQ(newSelect.right, select.right + grownX);
    EXPECT_EQ(newSelect.top, select.top);  // only the target box grows in height
    EXPECT_EQ(newDate.left, date.left);
    EXPECT_EQ(newDate.right, date.right + grownX);

    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(500);  // the program paints in its own time
    PixelCanvas picture(after.cx, after.cy);
    CaptureClient(window, picture);
    EXPECT_TRUE(WinLayerTest::WritePicture(picture, "main-dialog-2x.png"));
    // The new room at the target box's lower right shows the drop box; the Close button shows
    // its caption where it moved to.
    const RECT grownCorner = {newTarget.right - 12, newTarget.bottom - 12, newTarget.right - 6, newTarget.bottom - 6};
    EXPECT_TRUE(WinLayerTest::AnyPixel(picture, grownCorner, DropBoxFace()));
    EXPECT_FALSE(WinLayerTest::AnyPixel(picture, grownCorner, DropBoxFace(), false));
    const COLORREF closeCorner = picture.Pixel(newClose.left + 3, newClose.top + 3);
    EXPECT_TRUE(WinLayerTest::AnyPixel(picture, newClose, closeCorner, false)) << "the Close button is not drawn";

    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
}

}  // namespace EndToEnd
