// A main dialog built in-process over settings of the test's own, with its GUI and
// configuration profiles in a scratch folder.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "AppLayer/GuiMainDialog.h"
#include "GuiTestSupport.h"
#include "RawLayer/RawProfile.h"
#include "RawLayer/TempFolder.h"
#include "WinLayer/WinTestSupport.h"

namespace AppLayerTest {

inline SYSTEMTIME MakeTime(int year, int month, int day, int hour, int minute, int second, int msec) {
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    time.wMilliseconds = static_cast<WORD>(msec);
    return time;
}

inline uint64_t Ticks(const FILETIME& time) { return (uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime; }

struct MainDialogFixture {
    // flags: the settings' flags; the value is 2001-02-03 04:05:06.789 UTC, shown as the flags say.
    explicit MainDialogFixture(uint16_t flags = AppLayer::kPartMask | AppLayer::SetLastWrite,
                               const std::string& guiProfile = "[WindowParameter]\r\nMargin=4\r\n") {
        gui.profile.SetPath(Raw(folder.Below(L"gui.ini")));
        config.SetPath(Raw(folder.Below(L"config.ini")));
        TempFolder::Write(folder.Below(L"gui.ini"), guiProfile);
        settings.flags = flags;
        settings.value.StoreUtc(MakeTime(2001, 2, 3, 4, 5, 6, 789));
        settings.value.ShowIn(flags);
        dialog = std::make_unique<AppLayer::GuiMainDialog>(gui, config);
        dialog->SetSettings(&settings);
    }
    ~MainDialogFixture() {
        if (dialog->Window()) DestroyWindow(dialog->Window());
        WinLayerTest::PumpMessages();
        MSG quit;
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);  // posted by the destruction
    }
    MainDialogFixture(const MainDialogFixture&) = delete;
    MainDialogFixture& operator=(const MainDialogFixture&) = delete;

    // The start code and Show, as the dialog mode runs them.
    bool Start() {
        dialog->StartUp();
        const bool shown = dialog->Show();
        WinLayerTest::PumpMessages();
        return shown;
    }
    AppLayer::GuiMainControls& Controls() { return dialog->Controls(); }
    HWND Window() const { return dialog->Window(); }

    // A click on a button or check box, through the window's own messages.
    void Click(WinLayer::WinView& control) {
        PostMessageA(control.Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        PostMessageA(control.Window(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        WinLayerTest::PumpMessages();
    }
    // Hands names to a control as the shell does; a target drop is waited for to its end.
    void Drop(WinLayer::WinView& control, const std::vector<std::wstring>& names) {
        StartDrop(control, names);
        PumpWhile([this] { return dialog->Running(); });
    }
    // Returns once the box's command ran, which starts a target drop.
    void StartDrop(WinLayer::WinView& control, const std::vector<std::wstring>& names) {
        SendMessageA(control.Window(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(names)), 0);
        WinLayerTest::PumpMessages();
    }
    // Runs the messages while busy() holds, for a minute at most; false when it still holds.
    template <class Busy>
    static bool PumpWhile(Busy busy) {
        for (int round = 0; round < 6000 && busy(); ++round) {
            WinLayerTest::PumpMessages();
            Sleep(10);
        }
        return !busy();
    }
    // The control's rectangle in the dialog's client coordinates, as the window stands.
    RECT WindowRectOf(const WinLayer::WinView& control) const {
        RECT rect = {};
        GetWindowRect(control.Window(), &rect);
        MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

    TempFolder folder;
    AppLayer::GuiProfile gui;
    RawLayer::RawProfile config;
    AppLayer::FileTimeSettings settings;
    std::unique_ptr<AppLayer::GuiMainDialog> dialog;
};

}  // namespace AppLayerTest
