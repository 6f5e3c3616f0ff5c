// A file that opens and whose times read, but whose times cannot be written or whose handle
// does not close cleanly, is not changed as far as the user is told: counted, named, and the
// command line ends with the failure code.
#include <gtest/gtest.h>

#include <string>

#include "AppLayer/FileTimeApply.h"
#include "AppLayer/FileTimeApplySupport.h"
#include "AppLayer/FileTimeJob.h"
#include "AppLayer/GuiProfile.h"
#include "AppLayer/StartUp.h"

using namespace AppLayer;
using namespace FileTimeTest;
using RawLayer::FileHandle;
using RawLayer::RawStringList;

namespace {

bool RefusingSetTimes(FileHandle&, const FILETIME*, const FILETIME*, const FILETIME*) { return false; }

// Writes the times, then closes the handle behind its owner's back, so that the owner's flush
// and close fail as they would on a file whose last write did not reach the disk.
bool UnclosableSetTimes(FileHandle& file, const FILETIME* creation, const FILETIME* lastAccess,
                        const FILETIME* lastWrite) {
    const bool written = file.SetTimes(creation, lastAccess, lastWrite);
    CloseHandle(file.Handle());
    return written;
}

// The command line's journal goes beside a GUI profile in the scratch folder.
class FileTimeWriteFailureTest : public RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        savedProfile_ = GuiProfileRecord().profile.FilePath();
        GuiProfileRecord().profile.SetPath(Wide(scratch_.Below(L"gui.ini")));
    }
    void TearDown() override {
        GuiProfileRecord().profile.SetPath(savedProfile_);
        RecordingTest::TearDown();
    }
    RawLayer::RawString savedProfile_;
};

}  // namespace

TEST_F(FileTimeWriteFailureTest, FailedWriteOrCloseIsCountedAndEndsTheCommandLineWithTwo) {
    const std::wstring file = scratch_.Below(L"f.txt");
    ASSERT_TRUE(MakeFile(file));
    FileTimeJob job;
    job.settings = Chosen(ShowUtc | kAllParts | SetLastWrite, Time(2024, 9, 7, 12, 34, 56, 789));
    job.targets.Add(Wide(file));

    using SetTimes = bool (*)(FileHandle&, const FILETIME*, const FILETIME*, const FILETIME*);
    const struct {
        const char* what;
        SetTimes setTimes;
    } failures[] = {{"SetFileTime fails", &RefusingSetTimes}, {"the close fails", &UnclosableSetTimes}};
    for (const auto& failure : failures) {
        FileTimeEntries().setTimes = failure.setTimes;
        EXPECT_FALSE(ApplyToFile(job.settings, Wide(file))) << failure.what;
        FailedFiles failed(4);
        EXPECT_EQ(ApplyToAll(job.settings, job.targets, &failed), 1u) << failure.what;
        ASSERT_EQ(failed.names.Count(), 1) << failure.what;
        EXPECT_TRUE(failed.names.First()->Equals(Wide(file))) << failure.what;
        EXPECT_EQ(RunCommandLineMode(job, StartResult::Continue), kExitFilesFailed) << failure.what;
    }

    FileTimeEntries() = saved_;
    // A journal that cannot be begun refuses the run: no way back, no change.
    const FILETIME before = Utc(Time(2020, 1, 2, 3, 4, 5, 6));
    ASSERT_TRUE(WriteTimes(file, nullptr, &before));
    GuiProfileRecord().profile.SetPath(Wide(scratch_.Below(L"f.txt\\gui.ini")));
    EXPECT_EQ(RunCommandLineMode(job, StartResult::Continue), kExitNoJournal);
    EXPECT_EQ(UtcText(ReadTimes(file).lastWrite), UtcText(before));
    GuiProfileRecord().profile.SetPath(Wide(scratch_.Below(L"gui.ini")));
    EXPECT_EQ(RunCommandLineMode(job, StartResult::Continue), kExitDone);
    EXPECT_EQ(UtcText(ReadTimes(file).lastWrite), UtcText(Utc(Time(2024, 9, 7, 12, 34, 56, 789))));
}
