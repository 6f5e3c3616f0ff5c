// What the main dialog's controls do, through real messages on an in-process dialog: the row
// and option check boxes, typed text, now and clear, the UTC switch, drops on the time boxes,
// the source box and the target box (built as the shell builds them), Escape, Close and the
// rectangle kept in the GUI profile.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AppLayer/GuiMainDialog.h"
#include "AppLayer/GuiMainDialogIds.h"
#include "AppLayer/GuiSelectDialog.h"
#include "GuiMainDialogFixture.h"
#include "RawLayer/RawProfile.h"
#include "WinLayer/WinRectParameters.h"

using namespace AppLayer;
using AppLayerTest::BoxAnswerer;
using AppLayerTest::MainDialogFixture;
using AppLayerTest::MakeTime;
using AppLayerTest::Text;
using AppLayerTest::Ticks;
using WinLayer::WinView;
using WinLayerTest::PumpMessages;

namespace {

std::string Shown(const WinView& view) { return Text(view.GetText()); }

bool Enabled(const WinView& view) { return IsWindowEnabled(view.Window()) != FALSE; }

// A file with the given last write time (UTC parts).
std::wstring MakeFile(const TempFolder& folder, const wchar_t* name, const SYSTEMTIME& utc) {
    const std::wstring path = folder.Below(name);
    TempFolder::Write(path, "data");
    FILETIME time = {};
    SystemTimeToFileTime(&utc, &time);
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
    return path;
}

FILETIME LastWrite(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

FILETIME Utc(const SYSTEMTIME& time) {
    FILETIME result = {};
    SystemTimeToFileTime(&time, &result);
    return result;
}

// Moves the focus into box, lets the text stand there as typed, and moves it on.
void Type(MainDialogFixture& fixture, GuiTimeBox& box, const char* text) {
    SetFocus(box.Window());
    PumpMessages();
    box.SetText(text);
    SetFocus(fixture.Controls().closeButton.Window());
    PumpMessages();
}

constexpr uint16_t kUtcAll = kPartMask | ShowUtc | SetLastWrite;

// Answers the select dialog that a select button opens: moves its first list up by one and
// finishes, or cancels. Works from a timer, since the dialog runs its own loop.
class SelectAnswerer {
public:
    explicit SelectAnswerer(bool finish) {
        finish_ = finish;
        step_ = 0;
        timer_ = SetTimer(nullptr, 0, 100, &SelectAnswerer::Tick);
    }
    ~SelectAnswerer() { KillTimer(nullptr, timer_); }
    SelectAnswerer(const SelectAnswerer&) = delete;
    SelectAnswerer& operator=(const SelectAnswerer&) = delete;
    static int Steps() { return step_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        auto* select = dynamic_cast<GuiSelectDialog*>(WinLayer::WinDialog::DialogList().FindIf(
            [](WinView& view) { return dynamic_cast<GuiSelectDialog*>(&view) != nullptr; }));
        if (!select || !select->Window()) return;
        if (step_ == 0) {
            PostMessageA(select->firstList.Window(), WM_KEYDOWN, VK_UP, 0);
        } else if (step_ == 1) {
            WinView& button = finish_ ? static_cast<WinView&>(select->finishButton) : select->cancelButton;
            PostMessageA(button.Window(), WM_KEYDOWN, VK_SPACE, 0);
        }
        ++step_;
    }

    static inline bool finish_ = false;
    static inline int step_ = 0;
    UINT_PTR timer_ = 0;
};

}  // namespace

TEST(GuiMainDialogCommands, RowCheckBoxesEnableTheirRowsAndKeepTheValue) {
    MainDialogFixture fixture(static_cast<uint16_t>((kPartMask & ~UseTime) | SetLastWrite));
    ASSERT_TRUE(fixture.Start());
    GuiMainControls& c = fixture.Controls();
    // The initial update: the time row starts cleared and disabled.
    EXPECT_EQ(c.time.use.checked, 0);
    EXPECT_FALSE(Enabled(c.time.box));
    EXPECT_TRUE(Enabled(c.date.box));
    const uint64_t instant = Ticks(fixture.settings.value.fileTime);

    fixture.Click(c.date.use);
    EXPECT_FALSE(fixture.settings.flags & UseDate);
    for (WinView* control : {static_cast<WinView*>(&c.date.tag), static_cast<WinView*>(&c.date.box),
                             static_cast<WinView*>(&c.date.select), static_cast<WinView*>(&c.date.current)}) {
        EXPECT_FALSE(Enabled(*control)) << control->Property().identifier;
    }
    EXPECT_TRUE(Enabled(c.date.use));
    EXPECT_EQ(c.date.use.checked, 0);
    fixture.Click(c.date.use);
    fixture.Click(c.time.use);
    EXPECT_EQ(fixture.settings.flags & kPartMask, kPartMask);
    EXPECT_TRUE(Enabled(c.date.box) && Enabled(c.date.select) && Enabled(c.time.tag) && Enabled(c.time.current));
    EXPECT_EQ(Ticks(fixture.settings.value.fileTime), instant);

    // The modify check boxes only flip their bits.
    fixture.Click(c.creation.check);
    fixture.Click(c.lastWrite.check);
    fixture.Click(c.lastAccess.check);
    EXPECT_EQ(fixture.settings.flags & (SetCreation | SetLastWrite | SetLastAccess), SetCreation | SetLastAccess);
    EXPECT_EQ(Ticks(fixture.settings.value.fileTime), instant);
}

TEST(GuiMainDialogCommands, TypedTextIsTakenWhenTheFocusLeavesAndShownNormalised) {
    MainDialogFixture fixture(kUtcAll);
    ASSERT_TRUE(fixture.Start());
    GuiMainControls& c = fixture.Controls();
    struct Case {
        GuiTimeBox* box;
        const char* typed;
        const char* shown;
    } cases[] = {
        {&c.date.box, "2024/02/31", "2024/02/29"},  // a day the month lacks: its last day
        {&c.date.box, "2023-2-31", "2023/02/28"},
        {&c.time.box, "7:8", "07:08:00"},  // a field not typed is 0
        {&c.msec.box, "5", "005"},
        {&c.time.box, "", "07:08:00"},  // an empty box leaves the value
    };
    for (const Case& k : cases) {
        Type(fixture, *k.box, k.typed);
        EXPECT_EQ(Shown(*k.box), k.shown) << k.typed;
    }
    const SYSTEMTIME& value = fixture.settings.value.brokenDown;
    EXPECT_EQ(value.wYear, 2023);
    EXPECT_EQ(value.wDay, 28);
    EXPECT_EQ(value.wHour, 7);
    EXPECT_EQ(value.wMilliseconds, 5);
}

TEST(GuiMainDialogCommands, NowAndClearChangeOnlyTheirPart) {
    MainDialogFixture fixture(kUtcAll);
    ASSERT_TRUE(fixture.Start());
    GuiMainControls& c = fixture.Controls();
    SYSTEMTIME before = {}, after = {};
    GetSystemTime(&before);
    fixture.Click(c.time.current);
    GetSystemTime(&after);
    const SYSTEMTIME& value = fixture.settings.value.brokenDown;
    EXPECT_EQ(Shown(c.date.box), "2001/02/03");
    EXPECT_EQ(value.wMilliseconds, 789);
    const int seconds = value.wHour * 3600 + value.wMinute * 60 + value.wSecond;
    const int from = before.wHour * 3600 + before.wMinute * 60 + before.wSecond;
    const int to = after.wHour * 3600 + after.wMinute * 60 + after.wSecond;
    EXPECT_TRUE(from <= to ? seconds >= from && seconds <= to : seconds >= from || seconds <= to) << seconds;
    char shown[16];
    snprintf(shown, sizeof shown, "%02u:%02u:%02u", value.wHour, value.wMinute, value.wSecond);
    EXPECT_EQ(Shown(c.time.box), shown);

    fixture.Click(c.msec.select);  // clear
    EXPECT_EQ(Shown(c.msec.box), "000");
    EXPECT_EQ(fixture.settings.value.brokenDown.wMilliseconds, 0);
    EXPECT_EQ(Shown(c.date.box), "2001/02/03");

    fixture.Click(c.date.current);
    EXPECT_EQ(fixture.settings.value.brokenDown.wYear, after.wYear);
    EXPECT_EQ(Shown(c.time.box), shown);
}

TEST(GuiMainDialogCommands, UtcOnThenOffGivesBackTheSameLocalTextAndInstant) {
    MainDialogFixture fixture;  // local view
    ASSERT_TRUE(fixture.Start());
    GuiMainControls& c = fixture.Controls();
    const std::string date = Shown(c.date.box), time = Shown(c.time.box), msec = Shown(c.msec.box);
    const uint64_t instant = Ticks(fixture.settings.value.fileTime);

    fixture.Click(c.utc.check);
    EXPECT_TRUE(fixture.settings.flags & ShowUtc);
    EXPECT_EQ(Shown(c.date.box), "2001/02/03");
    EXPECT_EQ(Shown(c.time.box), "04:05:06");
    EXPECT_EQ(Ticks(fixture.settings.value.fileTime), instant);

    fixture.Click(c.utc.check);
    EXPECT_FALSE(fixture.settings.flags & ShowUtc);
    EXPECT_EQ(Shown(c.date.box), date);
    EXPECT_EQ(Shown(c.time.box), time);
    EXPECT_EQ(Shown(c.msec.box), msec);
    EXPECT_EQ(Ticks(fixture.settings.value.fileTime), instant);
}

TEST(GuiMainDialogCommands, SourceDropTakesTheFirstReadableNameAndRefusesAnUnreadableOne) {
    TempFolder files;
    const std::wstring first = MakeFile(files, L"first.txt", MakeTime(2019, 6, 1, 10, 20, 30, 400));
    const std::wstring second = MakeFile(files, L"second.txt", MakeTime(2022, 1, 1, 1, 1, 1, 1));
    MainDialogFixture fixture(kUtcAll);
    ASSERT_TRUE(fixture.Start());
    GuiMainControls& c = fixture.Controls();

    fixture.Drop(c.sourceBox, {first, second});
    EXPECT_EQ(Ticks(fixture.settings.value.fileTime), Ticks(LastWrite(first)));
    EXPECT_EQ(Shown(c.date.box), "2019/06/01");
    EXPECT_EQ(Shown(c.time.box), "10:20:30");
    EXPECT_EQ(Shown(c.msec.box), "400");

    // A name that cannot be read keeps the value and names the file to the user.
    const uint64_t kept = Ticks(fixture.settings.value.fileTime);
    {
        BoxAnswerer answer;
        fixture.Drop(c.sourceBox, {files.Below(L"gone.txt")});
        ASSERT_EQ(answer.texts.size(), 1u);
        EXPECT_NE(answer.texts[0].find(L"gone.txt"), std::wstring::npos);
    }
    EXPECT_EQ(Ticks(fixture.settings.value.fileTime), kept);

    // A folder is a source like a file.
    CreateDirectoryW(files.Below(L"folder").c_str(), nullptr);
    MakeFile(files, L"folder", MakeTime(2015, 3, 4, 5, 6, 7, 8));
    fixture.Drop(c.sourceBox, {files.Below(L"folder")});
    EXPECT_EQ(Shown(c.date.box), "2015/03/04");
}

TEST(GuiMainDialogCommands, ADropOnATimeBoxTakesOnlyItsPart) {
    TempFolder files;
    const std::wstring file = MakeFile(files, L"f.txt", MakeTime(2019, 6, 1, 10, 20, 30, 400));
    MainDialogFixture fixture(kUtcAll);
    ASSERT_TRUE(fixture.Start());
    GuiMainControls& c = fixture.Controls();
    fixture.Drop(c.date.box, {file, files.Below(L"other.txt")});
    EXPECT_EQ(Shown(c.date.box), "2019/06/01");
    EXPECT_EQ(fixture.settings.value.brokenDown.wHour, 4);
    fixture.Drop(c.msec.box, {file});
    EXPECT_EQ(Shown(c.msec.box), "400");
    EXPECT_EQ(Shown(c.time.box), "04:05:06");
    {
        BoxAnswerer answer;
        fixture.Drop(c.time.box, {files.Below(L"gone.txt")});
        EXPECT_EQ(answer.texts.size(), 1u);
    }
    EXPECT_EQ(Shown(c.time.box), "04:05:06");
}

TEST(GuiMainDialogCommands, TargetDropChangesFilesAndFoldersAndNamesWhatFailed) {
    TempFolder files;
    const SYSTEMTIME old = MakeTime(2000, 1, 1, 0, 0, 0, 0);
    const std::wstring plain = MakeFile(files, L"plain.txt", old);
    CreateDirectoryW(files.Below(L"tree").c_str(), nullptr);
    CreateDirectoryW(files.Below(L"tree\\deep").c_str(), nullptr);
    const std::wstring inner = MakeFile(files, L"tree\\deep\\inner.txt", old);
    const std::wstring locked = MakeFile(files, L"locked.txt", old);
    // Held open without sharing: no one else can open it for writing.
    HANDLE holder = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);

    MainDialogFixture fixture(kUtcAll);
    ASSERT_TRUE(fixture.Start());
    const FILETIME chosen = Utc(MakeTime(2001, 2, 3, 4, 5, 6, 789));
    {
        BoxAnswerer answer;
        fixture.Drop(fixture.Controls().targetBox, {plain, files.Below(L"tree"), locked});
        ASSERT_EQ(answer.texts.size(), 1u);
        EXPECT_NE(answer.texts[0].find(L"The times of 1 files could not be changed"), std::wstring::npos)
            << AppLayerTest::Text(RawLayer::RawString::FromWide(answer.texts[0].c_str()));
        EXPECT_NE(answer.texts[0].find(locked), std::wstring::npos);
    }
    CloseHandle(holder);
    EXPECT_EQ(Ticks(LastWrite(plain)), Ticks(chosen));
    EXPECT_EQ(Ticks(LastWrite(inner)), Ticks(chosen));
    EXPECT_EQ(Ticks(LastWrite(locked)), Ticks(Utc(old)));

    // Everything changed: nothing to say.
    BoxAnswerer answer;
    fixture.Drop(fixture.Controls().targetBox, {plain});
    EXPECT_EQ(answer.boxes, 0);
}

// A drop that could not be taken back is not made: the box says so and names the journal folder.
TEST(GuiMainDialogCommands, TargetDropWithoutAJournalChangesNothingAndSaysSo) {
    TempFolder files;
    const SYSTEMTIME old = MakeTime(2000, 1, 1, 0, 0, 0, 0);
    const std::wstring plain = MakeFile(files, L"plain.txt", old);
    MainDialogFixture fixture(kUtcAll);
    ASSERT_TRUE(fixture.Start());
    fixture.gui.profile.SetPath(AppLayerTest::Raw(files.Below(L"plain.txt\\gui.ini")));
    BoxAnswerer answer;
    fixture.Drop(fixture.Controls().targetBox, {plain});
    ASSERT_EQ(answer.texts.size(), 1u);
    EXPECT_NE(answer.texts[0].find(L"The undo journal could not be written, so no file was changed"),
              std::wstring::npos);
    EXPECT_NE(answer.texts[0].find(files.Below(L"plain.txt\\Journal")), std::wstring::npos);
    EXPECT_EQ(Ticks(LastWrite(plain)), Ticks(Utc(old)));
}

TEST(GuiMainDialogCommands, EscapeKeepsTheDialogAndCloseEndsItOnce) {
    MainDialogFixture fixture;
    ASSERT_TRUE(fixture.Start());
    GuiMainControls& c = fixture.Controls();
    for (WinView* child : {static_cast<WinView*>(&c.date.box), static_cast<WinView*>(&c.closeButton)}) {
        SetFocus(child->Window());
        SendMessageA(child->Window(), WM_KEYDOWN, VK_ESCAPE, 0);
        PumpMessages();
    }
    SendMessageA(fixture.Window(), WM_KEYDOWN, VK_ESCAPE, 0);
    PumpMessages();
    ASSERT_TRUE(IsWindow(fixture.Window()));

    // A close request while the dialog is already ending is ignored.
    fixture.dialog->flags |= WinLayer::kDialogEnded;
    fixture.Click(c.closeButton);
    ASSERT_TRUE(IsWindow(fixture.Window()));
    fixture.dialog->flags &= static_cast<uint16_t>(~WinLayer::kDialogEnded);

    fixture.Click(c.closeButton);
    EXPECT_EQ(fixture.Window(), nullptr);
    EXPECT_TRUE(fixture.dialog->flags & WinLayer::kDialogEnded);
    EXPECT_EQ(fixture.dialog->result, 0);
}

TEST(GuiMainDialogCommands, TheRestoredRectangleIsStoredWhenMinimisedAndClosed) {
    MainDialogFixture fixture;
    ASSERT_TRUE(fixture.Start());
    RECT placed = {};
    GetWindowRect(fixture.Window(), &placed);
    const RECT moved = {placed.left + 7, placed.top + 5, placed.right + 37, placed.bottom + 25};
    MoveWindow(fixture.Window(), moved.left, moved.top, moved.right - moved.left, moved.bottom - moved.top, TRUE);
    PumpMessages();
    ShowWindow(fixture.Window(), SW_MINIMIZE);
    PumpMessages();
    ASSERT_TRUE(IsIconic(fixture.Window()));
    fixture.Click(fixture.Controls().closeButton);
    if (fixture.Window()) DestroyWindow(fixture.Window());
    PumpMessages();

    RawLayer::RawParameterList section;
    ASSERT_TRUE(fixture.gui.profile.ReadSection(section, "MainDialog"));
    RECT stored = {};
    WinLayer::ReadRectParameters(section, "WindowRect", stored);
    EXPECT_TRUE(EqualRect(&stored, &moved))
        << stored.left << "," << stored.top << "," << stored.right << "," << stored.bottom;
}

TEST(GuiMainDialogCommands, SelectMergesTheChosenPartAndCancelKeepsTheValue) {
    MainDialogFixture fixture(kUtcAll);
    ASSERT_TRUE(fixture.Start());
    GuiMainControls& c = fixture.Controls();
    {
        SelectAnswerer answer(false);
        fixture.Click(c.date.select);
        EXPECT_GE(SelectAnswerer::Steps(), 2) << "the select dialog was not opened";
    }
    EXPECT_EQ(Shown(c.date.box), "2001/02/03");
    {
        SelectAnswerer answer(true);
        fixture.Click(c.date.select);
        EXPECT_GE(SelectAnswerer::Steps(), 2);
    }
    EXPECT_EQ(Shown(c.date.box), "2000/02/03");
    EXPECT_EQ(Shown(c.time.box), "04:05:06");
    {
        SelectAnswerer answer(true);
        fixture.Click(c.time.select);
    }
    EXPECT_EQ(Shown(c.time.box), "03:05:06");
    EXPECT_EQ(Shown(c.date.box), "2000/02/03");
    EXPECT_EQ(fixture.settings.value.brokenDown.wMilliseconds, 789);
}
