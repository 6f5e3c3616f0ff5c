// The window menu of the main dialog on a real dialog: the items added once at the first
// opening, the help item by the number of manuals, and the commands that move the window,
// choose a font and choose a language.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "AppLayer/GuiMainDialogIds.h"
#include "AppLayer/GuiTMenuExecution.h"
#include "GuiTestSupport.h"
#include "RawLayer/RawLanguageTexts.h"
#include "RawLayer/RawProfile.h"
#include "RawLayer/TempFolder.h"
#include "WinLayer/WinDialog.h"
#include "WinLayer/WinMenu.h"
#include "WinLayer/WinTestSupport.h"

using namespace AppLayer;
using AppLayerTest::BoxAnswerer;
using AppLayerTest::LanguageFileScope;
using AppLayerTest::Raw;
using AppLayerTest::Text;
using RawLayer::RawProfile;
using RawLayer::RawString;
using WinLayerTest::PumpMessages;

namespace {

class MenuDialog : public WinLayer::WinDialog {
public:
    MenuDialog() {
        Property().className = "KairodexMenuTest";
        Property().style = WS_OVERLAPPEDWINDOW;
        Property().text = "Menu test";
        viewRect = {100, 100, 400, 300};
    }
    ~MenuDialog() override {
        if (Window()) DestroyWindow(Window());
        PumpMessages();
        MSG quit;
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
    LRESULT OnCommand(int code) override {
        commands.push_back(code);
        return 0;
    }
    std::vector<int> commands;
};

// A shown dialog with its title menu hook; the profiles live in a folder of their own.
struct Fixture {
    explicit Fixture(const std::string& manualSetting = "") {
        config.SetPath(Raw(folder.Below(L"config.ini")));
        gui.SetPath(Raw(folder.Below(L"gui.ini")));
        TempFolder::Write(folder.Below(L"config.ini"), "[Manual]\r\nManual=" + manualSetting + "\r\n");
        TempFolder::Write(folder.Below(L"gui.ini"), "[WindowParameter]\r\nMargin=4\r\n");
        hook = std::make_unique<GuiTMenuExecution>(dialog, config, gui);
        dialog.Show();
    }
    HMENU SystemMenu() const { return GetSystemMenu(dialog.Window(), FALSE); }
    void OpenMenu() const {
        SendMessageA(dialog.Window(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(SystemMenu()), MAKELPARAM(0, TRUE));
    }
    void Command(UINT identifier) const {
        SendMessageA(dialog.Window(), WM_SYSCOMMAND, identifier, 0);
        PumpMessages();
    }

    TempFolder folder;
    RawProfile config;
    RawProfile gui;
    MenuDialog dialog;
    std::unique_ptr<GuiTMenuExecution> hook;  // destroyed before the dialog
};

std::wstring ItemText(HMENU menu, UINT position) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, position, text, 256, MF_BYPOSITION);
    return text;
}

// The system's own window menu, as a fresh window has it.
int StandardItemCount() {
    static const int count = [] {
        MenuDialog plain;
        plain.Show();
        return GetMenuItemCount(GetSystemMenu(plain.Window(), FALSE));
    }();
    return count;
}

// The manual setting for every .pdf in folder, quoted.
std::string PatternOf(const TempFolder& folder) {
    std::string pattern(1, '"');
    pattern.append(Text(Raw(folder.Below(L"*.pdf"))));
    pattern.push_back('"');
    return pattern;
}

}  // namespace

TEST(GuiTMenuExecution, OpeningTheMenuTwiceAddsTheItemsOnceAtTheTop) {
    Fixture fixture;
    HMENU menu = fixture.SystemMenu();
    ASSERT_NE(menu, nullptr);
    const int standard = GetMenuItemCount(menu);
    EXPECT_EQ(standard, StandardItemCount());
    EXPECT_FALSE(fixture.hook->Built());

    fixture.OpenMenu();
    fixture.OpenMenu();
    ASSERT_EQ(GetMenuItemCount(menu), standard + static_cast<int>(kMenuItemCount));
    struct Item {
        UINT position;
        UINT identifier;
        const wchar_t* text;
    } items[] = {
        {0, kMenuVersion, L"Version 1.03.2024.0907"},
        {2, kMenuHelp, L"View help."},
        {3, kMenuMoveToPrimaryScreen, L"Move to primary screen."},
        {5, WinLayer::kLanguageMenuAuto, L"Select language."},
        {6, kMenuOpenGuiProfile, L"Open gui profile."},
        {7, kMenuWindowFont, L"Select window font."},
        {8, kMenuUndoLastChange, L"Undo last change."},
    };
    for (const Item& item : items) {
        EXPECT_EQ(GetMenuItemID(menu, static_cast<int>(item.position)), item.identifier) << item.position;
        EXPECT_EQ(ItemText(menu, item.position), item.text);
    }
    for (UINT separator : {1u, 4u, 9u}) {
        EXPECT_TRUE(GetMenuState(menu, separator, MF_BYPOSITION) & MF_SEPARATOR) << separator;
    }
    // Without a language file there is nothing to choose: the language item is grayed.
    EXPECT_TRUE(GetMenuState(menu, kMenuLanguagePosition, MF_BYPOSITION) & MF_GRAYED);
    // The system's own items follow, the close command among them.
    EXPECT_NE(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));
}

TEST(GuiTMenuExecution, HelpItemIsGrayedACommandOrASubmenuByTheNumberOfManuals) {
    struct Case {
        int manuals;
        bool grayed;
        int submenuItems;  // -1: no submenu
    } cases[] = {{0, true, -1}, {1, false, -1}, {2, false, 2}, {31, false, 30}};
    for (const Case& c : cases) {
        TempFolder manuals;
        for (int i = 0; i < c.manuals; ++i) {
            wchar_t name[32];
            swprintf(name, 32, L"Manual%02d.pdf", i);
            TempFolder::Write(manuals.Below(name), "%PDF");
        }
        Fixture fixture(PatternOf(manuals));
        fixture.OpenMenu();
        HMENU menu = fixture.SystemMenu();
        const UINT state = GetMenuState(menu, kMenuHelpPosition, MF_BYPOSITION);
        EXPECT_EQ((state & MF_GRAYED) != 0, c.grayed) << c.manuals;
        EXPECT_EQ(ItemText(menu, kMenuHelpPosition), L"View help.");
        HMENU popup = GetSubMenu(menu, kMenuHelpPosition);
        if (c.submenuItems < 0) {
            EXPECT_EQ(popup, nullptr) << c.manuals;
            EXPECT_EQ(GetMenuItemID(menu, kMenuHelpPosition), kMenuHelp);
            continue;
        }
        ASSERT_NE(popup, nullptr) << c.manuals;
        ASSERT_EQ(GetMenuItemCount(popup), c.submenuItems);
        EXPECT_EQ(ItemText(popup, 0), L"Manual00.pdf");
        EXPECT_EQ(GetMenuItemID(popup, 0), RawLayer::kManualMenuFirst);
        EXPECT_EQ(GetMenuItemID(popup, c.submenuItems - 1), RawLayer::kManualMenuFirst + c.submenuItems - 1);
    }
}

TEST(GuiTMenuExecution, PopupsGoWithTheWindowMenuAndTheHookLeavesTheDialog) {
    TempFolder manuals;
    TempFolder::Write(manuals.Below(L"a.pdf"), "%PDF");
    TempFolder::Write(manuals.Below(L"b.pdf"), "%PDF");
    Fixture fixture(PatternOf(manuals));
    fixture.OpenMenu();
    HMENU popup = fixture.hook->HelpPopup();
    ASSERT_TRUE(IsMenu(popup));
    DestroyWindow(fixture.dialog.Window());
    PumpMessages();
    EXPECT_FALSE(IsMenu(popup));  // destroyed with the window menu
    const int hooks = fixture.dialog.hookList.Count();
    fixture.hook.reset();  // must not destroy it a second time, nor stay in the hook list
    EXPECT_EQ(fixture.dialog.hookList.Count(), hooks - 1);
}

TEST(GuiTMenuExecution, MoveToPrimaryScreenCentresTheWindowOnTheWorkArea) {
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int workWidth = work.right - work.left, workHeight = work.bottom - work.top;
    // The second is larger than the work area: its top-left corner lands on the work area's.
    for (SIZE size : {SIZE{300, 200}, SIZE{workWidth + 100, workHeight + 60}}) {
        Fixture fixture;
        HWND window = fixture.dialog.Window();
        // Far off every screen.
        SetWindowPos(window, nullptr, work.right + 3000, work.bottom + 2000, size.cx, size.cy, SWP_NOZORDER);
        RECT before = {};
        GetWindowRect(window, &before);
        const int width = before.right - before.left, height = before.bottom - before.top;
        fixture.Command(kMenuMoveToPrimaryScreen);
        RECT after = {};
        GetWindowRect(window, &after);
        EXPECT_EQ(after.right - after.left, width);
        EXPECT_EQ(after.bottom - after.top, height);
        const bool larger = width > workWidth;
        EXPECT_EQ(after.left, larger ? work.left : work.left + (workWidth - width) / 2) << size.cx;
        EXPECT_EQ(after.top, larger ? work.top : work.top + (workHeight - height) / 2) << size.cy;
    }
}

TEST(GuiTMenuExecution, FontDialogWritesTheFontOnlyWhenConfirmed) {
    Fixture fixture;
    const std::string before = TempFolder::Read(fixture.folder.Below(L"gui.ini"));
    {
        BoxAnswerer cancel(IDCANCEL);
        fixture.Command(kMenuWindowFont);
        EXPECT_EQ(cancel.boxes, 1);
    }
    EXPECT_EQ(TempFolder::Read(fixture.folder.Below(L"gui.ini")), before);
    EXPECT_TRUE(fixture.dialog.commands.empty());

    {
        BoxAnswerer confirm(IDOK);
        fixture.Command(kMenuWindowFont);
        EXPECT_EQ(confirm.boxes, 1);
    }
    RawLayer::RawParameterList font;
    EXPECT_TRUE(fixture.gui.ReadSection(font, "WindowFont"));
    EXPECT_NE(font.Find("Height"), nullptr);
    EXPECT_NE(font.Find("FaceName"), nullptr);
    EXPECT_EQ(fixture.dialog.commands, std::vector<int>{kCommandFontChosen});
}

TEST(GuiTMenuExecution, LanguageChoiceWritesTheProfileBeforeAskingForTheRestart) {
    TempFolder languages;
    TempFolder::Write(languages.Below(L"LanguageFile.ini"),
                      "[LangMap]\r\nEnglish=0x0409\r\nJapanese=0x0411\r\n[English]\r\n[Japanese]\r\n");
    LanguageFileScope scope(languages.Below(L"LanguageFile.ini"));
    {
        Fixture fixture;
        fixture.OpenMenu();
        HMENU popup = GetSubMenu(fixture.SystemMenu(), kMenuLanguagePosition);
        ASSERT_NE(popup, nullptr);
        ASSERT_EQ(GetMenuItemCount(popup), 3);
        EXPECT_EQ(ItemText(popup, 0), L"(Auto)");
        EXPECT_EQ(GetMenuItemID(popup, 2), WinLayer::kLanguageMenuAuto + 2);

        fixture.Command(WinLayer::kLanguageMenuAuto + 2);
        EXPECT_EQ(Text(fixture.gui.GetValue("UserSelection", "Language", "none")), "Japanese");
        EXPECT_EQ(fixture.dialog.commands, std::vector<int>{kCommandRestart});

        fixture.dialog.commands.clear();
        fixture.Command(WinLayer::kLanguageMenuAuto);  // "(Auto)": the empty name
        EXPECT_EQ(Text(fixture.gui.GetValue("UserSelection", "Language", "none")), "");
        EXPECT_EQ(fixture.dialog.commands, std::vector<int>{kCommandRestart});
    }
    RawLayer::LanguageTexts().SetLanguageName(RawString());

    // A GUI profile that cannot be written: no restart, the language stays, the user is told.
    Fixture fixture;
    fixture.OpenMenu();
    const std::wstring gui = fixture.folder.Below(L"gui.ini");
    SetFileAttributesW(gui.c_str(), FILE_ATTRIBUTE_READONLY);
    const std::string before = TempFolder::Read(gui);
    BoxAnswerer answer;
    fixture.Command(WinLayer::kLanguageMenuAuto + 1);
    SetFileAttributesW(gui.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(TempFolder::Read(gui), before);
    EXPECT_TRUE(fixture.dialog.commands.empty());
    EXPECT_EQ(Text(RawLayer::LanguageTexts().LanguageName()), "");
    ASSERT_EQ(answer.texts.size(), 1u);
    EXPECT_NE(answer.texts[0].find(L"could not be written"), std::wstring::npos);
}

// The undo item is usable while a journal beside the GUI profile waits to be undone, and hands
// the undo to the dialog.
TEST(GuiTMenuExecution, UndoItemIsGrayedWithoutAJournalAndAsksTheDialogToUndo) {
    Fixture fixture;
    HMENU menu = fixture.SystemMenu();
    fixture.OpenMenu();
    EXPECT_TRUE(GetMenuState(menu, kMenuUndoPosition, MF_BYPOSITION) & MF_GRAYED);
    ASSERT_TRUE(CreateDirectoryW(fixture.folder.Below(L"Journal").c_str(), nullptr));
    ASSERT_TRUE(TempFolder::Write(fixture.folder.Below(L"Journal\\Kairodex_Journal_20261208_190433_123.txt"), "x"));
    fixture.OpenMenu();
    EXPECT_FALSE(GetMenuState(menu, kMenuUndoPosition, MF_BYPOSITION) & MF_GRAYED);
    fixture.Command(kMenuUndoLastChange);
    EXPECT_EQ(fixture.dialog.commands, std::vector<int>{kCommandUndoLastChange});
}
