// Target drops applied on a worker thread, on an in-process main dialog, with every file made
// slow through the set-times calls: the dialog answers meanwhile, shows its progress, stops on
// Escape or a close request, and leaves no thread or handle behind.
// tlhelp32.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <tlhelp32.h>
// clang-format on

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "AppLayer/FileTimeApply.h"
#include "AppLayer/FileTimeJournal.h"
#include "AppLayer/GuiMainDialogIds.h"
#include "GuiMainDialogFixture.h"
#include "WinLayer/WinGdiObjects.h"
#include "WinLayer/WinPixelSupport.h"

using namespace AppLayer;
using AppLayerTest::BoxAnswerer;
using AppLayerTest::MainDialogFixture;
using AppLayerTest::MakeTime;
using AppLayerTest::Ticks;
using WinLayerTest::PumpMessages;

namespace {

std::atomic<DWORD> slowMilliseconds{0};

bool SlowSetTimes(RawLayer::FileHandle& file, const FILETIME* creation, const FILETIME* lastAccess,
                  const FILETIME* lastWrite) {
    Sleep(slowMilliseconds.load());
    return file.SetTimes(creation, lastAccess, lastWrite);
}

uint64_t LastWrite(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return Ticks(data.ftLastWriteTime);
}

std::wstring Title(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

int ThreadsOfThisProcess() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    }
    CloseHandle(snapshot);
    return count;
}

// A folder of files with an old last write time, a dialog over it, and files made slow.
class SlowDrop : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = FileTimeEntries();
        FileTimeEntries().setTimes = &SlowSetTimes;
        slowMilliseconds = 20;
        ASSERT_TRUE(fixture_.Start());
    }
    void TearDown() override { FileTimeEntries() = saved_; }

    std::wstring MakeFiles(int count) {
        const std::wstring folder = files_.Below(L"tree");
        CreateDirectoryW(folder.c_str(), nullptr);
        SYSTEMTIME old = MakeTime(2000, 1, 1, 0, 0, 0, 0);
        FILETIME time = {};
        SystemTimeToFileTime(&old, &time);
        old_ = Ticks(time);
        for (int i = 0; i < count; ++i) {
            const std::wstring path = folder + L"\\f" + std::to_wstring(i) + L".txt";
            TempFolder::Write(path, "x");
            HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            SetFileTime(file, nullptr, nullptr, &time);
            CloseHandle(file);
            paths_.push_back(path);
        }
        return folder;
    }
    int Changed() const {
        int changed = 0;
        for (const std::wstring& path : paths_) changed += LastWrite(path) != old_ ? 1 : 0;
        return changed;
    }
    bool AwaitProgressTitle() {
        return MainDialogFixture::PumpWhile([this] { return Title(fixture_.Window()) == L"Kairodex"; });
    }

    FileTimeCalls saved_{};
    TempFolder files_;
    MainDialogFixture fixture_{kPartMask | ShowUtc | SetLastWrite};
    std::vector<std::wstring> paths_;
    uint64_t old_ = 0;
};

TEST_F(SlowDrop, TheDialogAnswersAndShowsItsProgressUntilTheDropEnds) {
    const std::wstring folder = MakeFiles(60);
    HWND window = fixture_.Window();
    std::atomic<bool> done{false}, during{false};
    std::atomic<int> answered{0}, unanswered{0};
    // From another thread, as another program asks: the dialog's own thread would answer itself.
    struct Asker {
        std::atomic<bool>& stop;
        std::thread thread;
        ~Asker() {
            stop = true;
            if (thread.joinable()) thread.join();
        }
    } asker{done, std::thread([&] {
                while (!done) {
                    DWORD_PTR result = 0;
                    const bool answer = SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 100, &result) != 0;
                    if (during) (answer ? answered : unanswered)++;
                    Sleep(20);
                }
            })};
    fixture_.StartDrop(fixture_.Controls().targetBox, {folder});
    during = fixture_.dialog->Running();
    EXPECT_TRUE(during);
    ASSERT_TRUE(AwaitProgressTitle());
    const std::wstring title = Title(window);
    EXPECT_EQ(title.rfind(L"Kairodex - ", 0), 0u) << title.size();
    EXPECT_EQ(title.substr(title.size() - 6), L" files");
    // The target box shows the count too: a picture for a person to look at, written later,
    // taken once the X server has drawn what it was sent.
    SetForegroundWindow(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    for (int round = 0; round < 30; ++round) {
        PumpMessages();
        Sleep(10);
    }
    RECT client = {};
    GetClientRect(window, &client);
    WinLayerTest::PixelCanvas picture(client.right, client.bottom);
    HDC screen = GetDC(window);
    BitBlt(picture.Get(), 0, 0, client.right, client.bottom, screen, 0, 0, SRCCOPY);
    ReleaseDC(window, screen);

    BoxAnswerer answer;
    EXPECT_TRUE(MainDialogFixture::PumpWhile([this] { return fixture_.dialog->Running(); }));
    during = false;
    done = true;
    asker.thread.join();
    // A dialog that does not run its messages during the run answers none then; one that does
    // answers dozens, though a wineserver busy with other tests may let an ask time out.
    EXPECT_GE(answered.load(), 5) << unanswered.load() << " asks timed out";
    EXPECT_TRUE(WinLayerTest::WritePicture(picture, "GuiMainDialogRun.png"));
    EXPECT_EQ(Title(window), L"Kairodex");
    EXPECT_EQ(AppLayerTest::Text(fixture_.Controls().targetBox.GetText()), "Drop target files !");
    EXPECT_EQ(Changed(), 60);
    EXPECT_EQ(answer.boxes, 0);
}

TEST_F(SlowDrop, EscapeStopsAfterTheCurrentFileSaysHowManyChangedAndADropMeanwhileIsRefused) {
    const std::wstring folder = MakeFiles(300);
    const std::wstring other = files_.Below(L"other.txt");
    TempFolder::Write(other, "x");
    const uint64_t otherBefore = LastWrite(other);
    GuiDropBox& target = fixture_.Controls().targetBox;
    fixture_.StartDrop(target, {folder});
    ASSERT_TRUE(AwaitProgressTitle());
    fixture_.StartDrop(target, {other});
    EXPECT_EQ(target.DroppedNames().Count(), 1);
    EXPECT_EQ(AppLayerTest::Text(*target.DroppedNames().First()),
              AppLayerTest::Text(RawLayer::RawString::FromWide(folder.c_str())));

    BoxAnswerer answer;
    SendMessageW(fixture_.Window(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(MainDialogFixture::PumpWhile([this] { return fixture_.dialog->Running(); }));
    EXPECT_TRUE(MainDialogFixture::PumpWhile([&answer] { return answer.boxes == 0; }));
    const int changed = Changed();
    EXPECT_GT(changed, 0);
    EXPECT_LT(changed, 300);
    ASSERT_EQ(answer.texts.size(), 1u);
    EXPECT_EQ(answer.texts[0].rfind(L"Stopped: the times of " + std::to_wstring(changed) + L" files were changed", 0),
              0u);
    EXPECT_EQ(LastWrite(other), otherBefore);
    EXPECT_TRUE(IsWindow(fixture_.Window()));
    EXPECT_EQ(Title(fixture_.Window()), L"Kairodex");
}

TEST_F(SlowDrop, TheCloseButtonOnlyStopsTheDrop) {
    fixture_.StartDrop(fixture_.Controls().targetBox, {MakeFiles(300)});
    ASSERT_TRUE(AwaitProgressTitle());
    BoxAnswerer answer;
    fixture_.Click(fixture_.Controls().closeButton);
    EXPECT_TRUE(MainDialogFixture::PumpWhile([this, &answer] { return fixture_.dialog->Running() || !answer.boxes; }));
    EXPECT_LT(Changed(), 300);
    EXPECT_EQ(answer.boxes, 1);
    EXPECT_TRUE(IsWindow(fixture_.Window()));
}

TEST_F(SlowDrop, ACloseRequestStopsTheDropAndClosesLeavingNoThread) {
    const std::wstring folder = MakeFiles(300);
    const int threads = ThreadsOfThisProcess();
    fixture_.StartDrop(fixture_.Controls().targetBox, {folder});
    ASSERT_TRUE(AwaitProgressTitle());
    BoxAnswerer answer;
    PostMessageW(fixture_.Window(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(MainDialogFixture::PumpWhile([this] { return fixture_.Window() != nullptr; }));
    EXPECT_FALSE(fixture_.dialog->Running());
    EXPECT_EQ(fixture_.dialog->result, 0);
    EXPECT_LT(Changed(), 300);
    EXPECT_EQ(answer.boxes, 0);
    EXPECT_TRUE(MainDialogFixture::PumpWhile([threads] { return ThreadsOfThisProcess() > threads; }));
}

TEST_F(SlowDrop, TheSessionsEndWaitsForTheStoppedWorker) {
    const std::wstring folder = MakeFiles(300);
    fixture_.StartDrop(fixture_.Controls().targetBox, {folder});
    ASSERT_TRUE(AwaitProgressTitle());
    SendMessageW(fixture_.Window(), WM_ENDSESSION, TRUE, 0);
    EXPECT_FALSE(fixture_.dialog->Running());
    const int changed = Changed();
    Sleep(100);
    EXPECT_EQ(Changed(), changed);
    EXPECT_LT(changed, 300);
}

// The window menu's undo runs on the worker as a drop does: stopped part way, it says how many
// files went back and keeps its journal, which the next undo finishes.
TEST_F(SlowDrop, AnUndoStopsLikeADropAndTheNextOneFinishesIt) {
    const std::wstring folder = MakeFiles(300);
    slowMilliseconds = 0;
    fixture_.Drop(fixture_.Controls().targetBox, {folder});
    ASSERT_EQ(Changed(), 300);
    auto undo = [this] {
        PostMessageW(fixture_.Window(), WM_COMMAND, MAKEWPARAM(0, kCommandUndoLastChange), 0);
        PumpMessages();
    };
    slowMilliseconds = 20;
    undo();
    ASSERT_TRUE(AwaitProgressTitle());
    BoxAnswerer answer;
    SendMessageW(fixture_.Window(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(MainDialogFixture::PumpWhile([this] { return fixture_.dialog->Running(); }));
    EXPECT_TRUE(MainDialogFixture::PumpWhile([&answer] { return answer.boxes == 0; }));
    const int back = 300 - Changed();
    EXPECT_GT(back, 0);
    EXPECT_LT(back, 300);
    ASSERT_EQ(answer.texts.size(), 1u);
    EXPECT_EQ(answer.texts[0].rfind(L"Stopped: the times of " + std::to_wstring(back) + L" files were put back", 0),
              0u);

    slowMilliseconds = 0;
    undo();
    EXPECT_TRUE(MainDialogFixture::PumpWhile([this] { return fixture_.dialog->Running(); }));
    EXPECT_EQ(Changed(), 0);
    EXPECT_EQ(answer.boxes, 1);
    // Marked undone: no run is left to undo.
    EXPECT_TRUE(NewestJournal(JournalFolderBeside(fixture_.gui.profile.FilePath())).IsEmpty());
}

TEST_F(SlowDrop, SmallDropsShowNoProgressAndTwentyLeaveNoHandleBehind) {
    const std::wstring folder = MakeFiles(3);
    slowMilliseconds = 5;
    HWND window = fixture_.Window();
    auto dropOnce = [&] {
        fixture_.StartDrop(fixture_.Controls().targetBox, {folder});
        bool plain = true;
        MainDialogFixture::PumpWhile([&] {
            plain = plain && Title(window) == L"Kairodex";
            return fixture_.dialog->Running();
        });
        return plain;
    };
    EXPECT_TRUE(dropOnce());  // what is made once, at first use
    DWORD handles = 0;
    const bool counted = GetProcessHandleCount(GetCurrentProcess(), &handles) != FALSE;
    const long gdiObjects = WinLayer::LiveGdiObjects();
    const int threads = ThreadsOfThisProcess();
    for (int run = 0; run < 20; ++run) EXPECT_TRUE(dropOnce()) << run;
    EXPECT_EQ(Changed(), 3);
    EXPECT_EQ(WinLayer::LiveGdiObjects(), gdiObjects);
    EXPECT_LE(ThreadsOfThisProcess(), threads);
    DWORD after = 0;
    if (counted && GetProcessHandleCount(GetCurrentProcess(), &after)) {
        EXPECT_EQ(after, handles);
    }
}

}  // namespace
