// The start-up pieces that run in-process: the job filled from command-line entries and the GUI
// profile's effect on the window environment.
#include <gtest/gtest.h>

#include "AppLayer/FileTimeJob.h"
#include "AppLayer/GuiProfile.h"
#include "AppLayer/StartUp.h"
#include "RawLayer/RawFile.h"
#include "RawLayer/RawLanguageTexts.h"
#include "RawLayer/RawPath.h"
#include "RawLayer/RawProfile.h"
#include "RawLayer/RawSpecialPath.h"
#include "WinLayer/WinEnvironment.h"

using namespace AppLayer;
using RawLayer::RawParameterList;
using RawLayer::RawString;

namespace {

RawParameterList Entries(std::initializer_list<std::pair<const char*, const char*>> entries) {
    RawParameterList list;
    list.SetCaseSensitive(true);
    for (const auto& entry : entries) list.Add(entry.first, entry.second);
    return list;
}

std::string Text(const RawString& s) { return std::string(s.Bytes(), s.Length()); }

std::string Local(const FileTimeSettings& settings) {
    const SYSTEMTIME& t = settings.value.brokenDown;
    char text[64];
    snprintf(text, sizeof text, "%04u/%02u/%02u %02u:%02u:%02u.%03u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
             t.wSecond, t.wMilliseconds);
    return text;
}

uint64_t Ticks(const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

// Named from the process, a counter and the tick count: the runs of this program in each time
// zone go side by side and must not share a folder.
class TempFolder {
public:
    TempFolder() {
        static int counter = 0;
        RawString name("kx-startup-");
        name.Concat(RawString::Decimal(GetCurrentProcessId()), "-", RawString::Decimal(++counter), "-",
                    RawString::Decimal(GetTickCount64()));
        path_ = RawLayer::JoinPath(RawLayer::TempPath(RawLayer::Utf8), name);
        RawLayer::CreateDirectories(path_);
    }
    ~TempFolder() {
        for (const char* name : {"gui.ini", "src.txt"}) RawLayer::DeleteFileAt(File(name));
        RemoveDirectoryA(path_.Bytes());
    }
    RawString File(const char* name) const { return RawLayer::JoinPath(path_, name); }

private:
    RawString path_;
};

void WriteText(const RawString& path, const char* text) {
    HANDLE file = CreateFileA(path.Bytes(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text, DWORD(strlen(text)), &written, nullptr);
    CloseHandle(file);
}

TEST(FillJob, WithoutOptionsChangesTheLastWriteTimeWithAllParts) {
    FileTimeJob job;
    EXPECT_TRUE(FillJob(job, "C:\\config.ini", Entries({})));
    EXPECT_EQ(SetLastWrite | UseDate | UseTime | UseMSec, job.settings.flags);
    EXPECT_EQ("C:\\config.ini", Text(job.configProfile.FilePath()));
    EXPECT_EQ(0, job.targets.Count());
}

TEST(FillJob, OptionsSetFlagsTextsAndTargetsInOrder) {
    FileTimeJob job;
    RawParameterList entries = Entries({{"u", ""},
                                        {"c", ""},
                                        {"D", "2023/01/02"},
                                        {"NoTag_1", "file.txt"},
                                        {"D", "2024/09/07"},
                                        {"T", "23:30:00"},
                                        {"M", "5"},
                                        {"h", ""},
                                        {"NoTagX", "C:\\abs\\x.txt"},
                                        {"x", "ignored"}});
    EXPECT_TRUE(FillJob(job, "C:\\config.ini", entries));
    EXPECT_EQ(ShowUtc | SetCreation | UseDate | UseTime | UseMSec, job.settings.flags);
    EXPECT_EQ("2024/09/07 23:30:00.005", Local(job.settings));
    ASSERT_EQ(2, job.targets.Count());
    RawString program = RawLayer::ModuleDirectory(RawLayer::Utf8);
    EXPECT_EQ(Text(RawLayer::JoinPath(program, "file.txt")), Text(*job.targets.First()));
    EXPECT_EQ("C:\\abs\\x.txt", Text(*job.targets.Last()));
}

TEST(FillJob, PartOptionsAloneKeepTheirPartsOnly) {
    FileTimeJob job;
    EXPECT_TRUE(FillJob(job, "", Entries({{"m", ""}, {"a", ""}})));
    EXPECT_EQ(UseMSec | SetLastAccess, job.settings.flags);
}

TEST(FillJob, SourceGivesItsLastWriteTimeAndAMissingOneFails) {
    TempFolder folder;
    RawString source = folder.File("src.txt");
    WriteText(source, "x");
    FILETIME written = {};
    ASSERT_TRUE(RawLayer::LastWriteTime(source, &written));

    FileTimeJob job;
    EXPECT_TRUE(FillJob(job, "", Entries({{"u", ""}, {"s", source.Bytes()}})));
    // The value is kept to the millisecond.
    EXPECT_EQ(Ticks(written) / 10000, Ticks(job.settings.value.fileTime) / 10000);

    FileTimeJob missing;
    EXPECT_FALSE(FillJob(missing, "", Entries({{"s", "C:\\no\\such\\file.txt"}})));
    EXPECT_NE(0u, Ticks(missing.settings.value.fileTime) >> 56) << "must not fall back to 1601";

    FileTimeJob empty;
    EXPECT_TRUE(FillJob(empty, "", Entries({{"s", ""}})));
    EXPECT_TRUE(empty.sourcePath.IsEmpty());
}

TEST(StartUp, MainProfileSitsBesideTheProgram) {
    RawString module = RawLayer::ModulePath(RawLayer::Utf8);
    RawString profile = MainProfilePath();
    ASSERT_EQ(module.Length(), profile.Length());
    EXPECT_TRUE(profile.RangeEquals(0, module.Length() - 4, module, 0, module.Length() - 4));
    EXPECT_EQ(".ini", Text(RawString::FromRange(profile, profile.Length() - 4, profile.Length())));
}

TEST(GuiProfile, WindowParametersAndFontReachTheEnvironment) {
    TempFolder folder;
    RawString path = folder.File("gui.ini");
    WinLayer::WinEnvironment& environment = WinLayer::Environment();

    WriteText(path, "[Other]\r\nx=1\r\n");
    LoadGuiProfile(path);
    EXPECT_EQ(4, environment.StandardGap());
    EXPECT_EQ(1, GuiProfileRecord().lineMargin);
    EXPECT_EQ(12, environment.DefaultFont().LogFont().lfHeight);

    WriteText(path,
              "[WindowParameter]\r\nMargin=7\r\nLineMargin=3\r\n[WindowFont]\r\nHeight=-16\r\nWeight=700\r\n"
              "FaceName=Tahoma\r\n");
    LoadGuiProfile(path);
    EXPECT_EQ(7, environment.StandardGap());
    EXPECT_EQ(3, GuiProfileRecord().lineMargin);
    EXPECT_EQ(-16, environment.DefaultFont().LogFont().lfHeight);
    EXPECT_EQ(700, environment.DefaultFont().LogFont().lfWeight);
    EXPECT_STREQ(L"Tahoma", environment.DefaultFont().LogFont().lfFaceName);
    EXPECT_NE(nullptr, environment.DefaultFont().Handle());
    environment.SetStandardGap(4);
}

TEST(GuiProfile, UserSelectionOverridesTheLanguageAndSelectsItsSection) {
    TempFolder folder;
    RawString path = folder.File("gui.ini");
    RawLayer::RawLanguageTexts& texts = RawLayer::LanguageTexts();
    texts.SetLanguageName("Deutsch");

    WriteText(path, "[WindowParameter]\r\nMargin=4\r\n");
    LoadGuiProfile(path);
    EXPECT_EQ("Deutsch", Text(texts.LanguageName()));
    EXPECT_EQ("Deutsch", Text(texts.CurrentSection()));

    WriteText(path, "[UserSelection]\r\nLanguage=English\r\n");
    LoadGuiProfile(path);
    EXPECT_EQ("English", Text(texts.LanguageName()));
    EXPECT_EQ("English", Text(texts.CurrentSection()));

    WriteText(path, "[UserSelection]\r\nLanguage=\r\n");
    LoadGuiProfile(path);
    EXPECT_TRUE(texts.LanguageName().IsEmpty());
    EXPECT_EQ("Default", Text(texts.CurrentSection()));
}

}  // namespace
