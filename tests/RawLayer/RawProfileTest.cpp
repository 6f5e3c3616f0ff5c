#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "RawLayer/FileBytes.h"
#include "RawLayer/RawFile.h"
#include "RawLayer/RawProfile.h"
#include "RawLayer/TempFolder.h"
#include "helpers/LargeSection.h"
#include "helpers/TestSupport.h"

using namespace RawLayer;
using namespace std::string_literals;

namespace {

std::string Bytes(const RawString& text) {
    return std::string(text.Bytes(), static_cast<size_t>(text.Length() * (text.IsWide() ? 2 : 1)));
}

std::wstring WideOf(const RawString& text) {
    const RawString wide(text, Wide);
    return std::wstring(wide.WideUnits(), static_cast<size_t>(wide.Length()));
}

// text in a file encoding: code page 65001 or 932, or UTF-16 (le / be), with or without mark.
std::string Encode(const std::wstring& text, StringEncoding encoding, bool mark) {
    std::string bytes;
    if (encoding == Utf16LE || encoding == Utf16BE) {
        for (wchar_t unit : (mark ? L"\xFEFF" : L"") + text) {
            const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
            bytes += encoding == Utf16LE ? std::string{low, high} : std::string{high, low};
        }
        return bytes;
    }
    const UINT codePage = encoding == Utf8 ? CP_UTF8 : 932;
    bytes.resize(text.size() * 3);
    bytes.resize(
        static_cast<size_t>(WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                                                static_cast<int>(bytes.size()), nullptr, nullptr)));
    return (mark ? "\xEF\xBB\xBF"s : ""s) + bytes;
}

class RawProfileTest : public ::testing::Test {
protected:
    std::wstring Path() const { return folder_.Below(L"p.ini"); }
    RawProfile Profile(const std::string& content) {
        EXPECT_TRUE(FileBytes::Write(Path(), content));
        return RawProfile(RawString::FromWide(Path().c_str()));
    }
    std::string Content() const { return FileBytes::Read(Path()); }
    bool TemporaryLeft() const { return FileBytes::Exists(Path() + L".tmp"); }
    TempFolder folder_;
};

TEST_F(RawProfileTest, FindsEntriesAsWritten) {
    RawProfile profile = Profile(
        "x=1\r\n[Common]tail\r\nProgram=Kairodex\r\n a = b \r\nk=v=w\r\nlonely\r\n//c=1\r\n"
        "/d=2\r\n\r\nn=1\0m=2\n[]\ne=3\n[Later]\nz=9"s);
    const struct {
        const char* section;
        const char* key;
        std::string value;
    } cases[] = {
        {"COMMON", "program", "Kairodex"},
        {"Common", " a ", " b "},
        {"Common", "a", "<none>"},
        {"Common", "k", "v=w"},
        {"Common", "lonely", ""},
        {"Common", "//c", "<none>"},
        {"Common", "/d", "2"},
        {"Common", "m", "2"},
        {"Common", "x", "<none>"},
        {"", "e", "3"},
        {"later", "Z", "9"},
        {"Missing", "z", "<none>"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Bytes(profile.GetValue(c.section, c.key, "<none>")), c.value) << c.section << "/" << c.key;
    }
}

TEST_F(RawProfileTest, SavesOneSectionAndCopiesTheRest) {
    RawProfile profile = Profile("; pre\n[A]\na=1\n\n// keep\n[]\ne=3\n[B]junk\nb=1\n// gone\n\n[C]\r\nc=1");
    EXPECT_TRUE(profile.SetValue("B", "b", "2"));
    EXPECT_TRUE(profile.SetValue("b", "new", "x"));  // the header takes the name as given
    const std::string saved =
        "; pre\r\n[A]\r\na=1\r\n\r\n// keep\r\n[]\r\ne=3\r\n[b]\r\nb=2\r\nnew=x\r\n\r\n[C]\r\nc=1\r\n";
    EXPECT_EQ(Content(), saved);
    EXPECT_TRUE(profile.SetValue("N", "k", "v"));
    EXPECT_EQ(Content(), saved + "[N]\r\nk=v\r\n\r\n");
    EXPECT_FALSE(TemporaryLeft());
}

// An entry whose name begins with "[" stays an entry of its section when the section is saved.
TEST_F(RawProfileTest, EntryNamedLikeAHeaderStaysInItsSection) {
    RawProfile profile = Profile("[S]\r\na=1\0[b=2\r\nc=3\r\n"s);
    EXPECT_TRUE(profile.SetValue("S", "k", "v"));
    EXPECT_TRUE(profile.SetValue("S", "[x", "y"));
    EXPECT_EQ(Content(), "[S]\r\na=1\r\n\0[b=2\r\nc=3\r\nk=v\r\n\0[x=y\r\n\r\n"s);
    for (const char* key : {"k", "[b", "c", "[x"})
        EXPECT_NE(Bytes(profile.GetValue("S", key, "<none>")), "<none>") << key;
}

// Bytes a guess takes for code page 932 that, with new text written in it, would be guessed
// otherwise: the save is refused and the file stays as it was.
TEST_F(RawProfileTest, ASaveThatWouldReadBackInAnotherEncodingIsRefused) {
    const std::string before = "[\xC3\xA9t\xC3\xA9]\xED\x6C\xAC\xD8]\x90s\r\n";
    RawProfile profile = Profile(before);
    EXPECT_FALSE(profile.SetValue("Zulu", "A", RawString::FromWide(L"\":]-]=\x65E5.7Z")));
    EXPECT_EQ(Content(), before);
    EXPECT_FALSE(TemporaryLeft());
}

TEST_F(RawProfileTest, DuplicateSectionIsReadWholeAndWrittenOnce) {
    RawProfile profile = Profile("[S]\r\na=1\r\n[T]\r\nb=2\r\n[s]\r\na=3\r\nc=4\r\n");
    RawParameterList list;
    ASSERT_TRUE(profile.ReadSection(list, "S"));
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(Bytes(list.Find("a")->value), "1");
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(profile.SetValue("S", "c", "5"));
    EXPECT_EQ(Content(), "[S]\r\na=1\r\na=3\r\nc=5\r\n\r\n[T]\r\nb=2\r\n");
}

TEST_F(RawProfileTest, NewFileIsUtf8WithoutMark) {
    RawProfile profile(RawString::FromWide(Path().c_str()));
    EXPECT_EQ(Bytes(profile.GetValue("S", "k", "<none>")), "<none>");
    EXPECT_TRUE(profile.SetValue("S", "k", RawString::FromWide(L"\u00fc")));
    EXPECT_EQ(Content(), "[S]\r\nk=\xC3\xBC\r\n\r\n");
    EXPECT_FALSE(TemporaryLeft());
}

// Every encoding survives a save of another section: same encoding and mark, same bytes for
// what was only copied; text that does not decode is kept as it is.
TEST_F(RawProfileTest, SaveKeepsTheFileEncoding) {
    const std::wstring before = L"[A]\r\nname=Gr\u00fc\u00dfe\r\n[B]\r\nb=1\r\n";
    const std::wstring japanese = L"[A]\r\nname=\u3042\u3044\r\n[B]\r\nb=1\r\n";
    const std::wstring lone = L"[A]\r\nname=\xD800x\r\n[B]\r\nb=1\r\n";
    const std::wstring added = L"new=\u5024\r\n\r\n";
    const struct {
        std::string before, after;
        std::wstring name;
    } cases[] = {
        {Encode(before, Utf16LE, true), Encode(before + added, Utf16LE, true), L"Gr\u00fc\u00dfe"},
        {Encode(before, Utf16BE, true), Encode(before + added, Utf16BE, true), L"Gr\u00fc\u00dfe"},
        {Encode(before, Utf16LE, false), Encode(before + added, Utf16LE, false), L"Gr\u00fc\u00dfe"},
        {Encode(before, Utf16BE, false), Encode(before + added, Utf16BE, false), L"Gr\u00fc\u00dfe"},
        {Encode(before, Utf8, true), Encode(before + added, Utf8, true), L"Gr\u00fc\u00dfe"},
        {Encode(before, Utf8, false), Encode(before + added, Utf8, false), L"Gr\u00fc\u00dfe"},
        {Encode(japanese, ShiftJis, false), Encode(japanese + added, ShiftJis, false), L"\u3042\u3044"},
        {Encode(lone, Utf16LE, true), Encode(lone + added, Utf16LE, true), L"\xD800x"},
    };
    for (const auto& c : cases) {
        RawProfile profile = Profile(c.before);
        EXPECT_EQ(WideOf(profile.GetValue("A", "name", "")), c.name);
        EXPECT_TRUE(profile.SetValue("B", "new", RawString::FromWide(L"\u5024")));
        EXPECT_EQ(Content(), c.after);
    }
}

// Text in an ANSI code page that a guess took for code page 932 or UTF-8: read as its own
// bytes, so a save destroys none of them.
TEST_F(RawProfileTest, UndecodableTextKeepsItsBytes) {
    const std::string cases[] = {
        "[A]\r\nname=\xA9 2024\r\n[B]\r\nb=Jos\xE9 M\r\n",     // taken for 932
        "[A]\r\nname=M\xFCller\r\n[B]\r\nb=1\r\n",             // taken for UTF-8
        "\xEF\xBB\xBF[A]\r\nname=\xFF\xFE\r\n[B]\r\nb=1\r\n",  // a mark that lies
        "[A]\r\nname=\x7F\xFE\r\n[B]\r\nb=1\r\n",              // undetermined at once
    };
    for (const std::string& before : cases) {
        RawProfile profile = Profile(before);
        const std::string name =
            before.substr(before.find("name=") + 5, before.find("\r\n[B]") - before.find("name=") - 5);
        EXPECT_EQ(Bytes(profile.GetValue("A", "name", "")), name);
        EXPECT_TRUE(profile.SetValue("B", "new", "x"));
        EXPECT_EQ(Content(), before + "new=x\r\n\r\n");
    }
}

TEST_F(RawProfileTest, LongLinesAreKeptOrTheSaveRefused) {
    const std::string value(100000, 'v');
    RawProfile profile = Profile("[A]\r\nk=" + value + "\r\n");
    EXPECT_EQ(Bytes(profile.GetValue("A", "k", "")), value);
    EXPECT_TRUE(profile.SetValue("B", "n", "1"));
    EXPECT_EQ(Content(), "[A]\r\nk=" + value + "\r\n[B]\r\nn=1\r\n\r\n");

    const std::string huge = "[A]\r\na=1\r\n[B]\r\nk=" + std::string(RawProfile::kLongestLine + 10, 'v');
    profile = Profile(huge);
    EXPECT_EQ(Bytes(profile.GetValue("A", "a", "")), "1");
    EXPECT_FALSE(profile.SetValue("A", "a", "2"));
    EXPECT_TRUE(Content() == huge);
    EXPECT_FALSE(TemporaryLeft());
}

// Each way a save can fail leaves the file byte for byte and no temporary file.
TEST_F(RawProfileTest, FailedSaveLeavesTheFileAlone) {
    const std::string before = "[A]\na=1\n";
    enum Setup { Locked, TemporaryBlocked, ReplaceRefused, ReadOnly };
    for (Setup setup : {Locked, TemporaryBlocked, ReplaceRefused, ReadOnly}) {
        RawProfile profile = Profile(before);
        HANDLE holder = INVALID_HANDLE_VALUE;
        if (setup == Locked || setup == ReplaceRefused) {
            holder = CreateFileW(Path().c_str(), GENERIC_READ, setup == Locked ? 0 : FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
        }
        if (setup == TemporaryBlocked) CreateDirectoryW((Path() + L".tmp").c_str(), nullptr);
        if (setup == ReadOnly) SetFileAttributesW(Path().c_str(), FILE_ATTRIBUTE_READONLY);
        EXPECT_FALSE(profile.SetValue("A", "a", "2")) << setup;
        if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
        SetFileAttributesW(Path().c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(Content(), before) << setup;
        EXPECT_FALSE(FileBytes::IsPlainFile(Path() + L".tmp")) << setup;
        RemoveDirectoryW((Path() + L".tmp").c_str());
    }
}

// A seam that fails the step numbered g_failAt (counting from 0) of every step it is asked
// about; g_steps counts them.
int g_failAt = -1;
int g_steps = 0;
FileStep g_failedStep = FileStep::Create;

bool FailOneStep(FileStep step) {
    if (g_steps++ != g_failAt) return true;
    g_failedStep = step;
    return false;
}

// Each step of a save (create the ".tmp", every write, flush, close, replace or move) failed in
// turn: the old file stays byte for byte, a new one never appears, no ".tmp" is left, and the
// save says it failed. The section takes dozens of writes; the walk ends with a save that no
// failure reached.
TEST_F(RawProfileTest, EachFailingStepOfASaveLeavesTheFileAlone) {
    RawParameterList list;
    for (int i = 0; i < 20; ++i) list.Add(RawString::Decimal(i), RawString(std::string(1000, 'v').c_str()));
    for (const bool haveOld : {true, false}) {
        const std::string before = "[A]\r\na=1\r\n[B]\r\nb=2\r\n";
        bool seen[5] = {};
        for (g_failAt = 0;; ++g_failAt) {
            RawProfile profile = Profile(before);
            if (!haveOld) DeleteFileW(Path().c_str());
            g_steps = 0;
            SetFileStepSeam(FailOneStep);
            const bool saved = profile.WriteSection(list, "A");
            SetFileStepSeam(nullptr);
            EXPECT_FALSE(TemporaryLeft()) << g_failAt;
            if (g_steps <= g_failAt) {
                EXPECT_TRUE(saved);
                break;
            }
            seen[static_cast<int>(g_failedStep)] = true;
            EXPECT_FALSE(saved) << g_failAt;
            EXPECT_TRUE(Content() == (haveOld ? before : "<missing>")) << haveOld << " step " << g_failAt;
        }
        EXPECT_GT(g_failAt, 10) << "a large save makes many writes";
        for (bool step : seen) EXPECT_TRUE(step);
    }
    g_failAt = -1;
}

// Found by the fuzz test: a file whose bytes decode as no known text keeps the ANSI code page,
// where a new value's characters became '?' or look-alikes and the save still said it saved.
// Now such a save refuses and leaves the file; a file that can hold the value takes it.
TEST_F(RawProfileTest, AValueTheFileCannotHoldRefusesTheSave) {
    const RawString value = RawString::FromWide(L"\u65e5 \U0001F600 \u00e9");
    const std::string undecodable = "[A]\r\nb=\xC4\x79\x5C\x30\x7F\xD5\xD7\r\n";
    RawProfile profile = Profile(undecodable);
    EXPECT_FALSE(profile.SetValue("A", "k", value));
    EXPECT_TRUE(Content() == undecodable);
    EXPECT_FALSE(TemporaryLeft());
    profile = Profile("[A]\r\nb=\xC3\xA9\r\n");
    EXPECT_TRUE(profile.SetValue("A", "k", value));
    EXPECT_EQ(WideOf(profile.GetValue("A", "k", "")), WideOf(value));
}

// The old file stops reading partway for a reason other than an over-long line (here: a UTF-16
// file whose last line ends in half a unit, after several blocks that read well): what follows
// is unknown, so the save must refuse rather than drop the rest of the file.
TEST_F(RawProfileTest, ReadThatFailsPartwayRefusesTheSave) {
    std::wstring text = L"[A]\r\na=1\r\n[B]\r\n";
    for (int i = 0; i < 4000; ++i) text += L"key" + std::to_wstring(i) + L"=value\r\n";
    for (StringEncoding encoding : {Utf16LE, Utf16BE}) {
        const std::string before = Encode(text + L"last=1", encoding, true) + "\x31";
        RawProfile profile = Profile(before);
        EXPECT_FALSE(profile.SetValue("A", "a", "2")) << encoding;
        EXPECT_TRUE(Content() == before) << encoding;
        EXPECT_FALSE(TemporaryLeft()) << encoding;
    }
}

TEST_F(RawProfileTest, FolderOrNoPathIsNoProfile) {
    EXPECT_FALSE(RawProfile().SetValue("A", "a", "1"));
    RawProfile profile(RawString::FromWide(folder_.Path().c_str()));
    EXPECT_EQ(Bytes(profile.GetValue("A", "a", "<none>")), "<none>");
    EXPECT_FALSE(profile.SetValue("A", "a", "1"));
    EXPECT_TRUE(FileBytes::Exists(folder_.Path()));
    EXPECT_FALSE(FileBytes::Exists(folder_.Path() + L".tmp"));
}

TEST_F(RawProfileTest, RandomBytesSaveWhollyOrNotAtAll) {
    uint32_t seed = 777;
    for (int round = 0; round < 20; ++round) {
        std::string content(static_cast<size_t>(round * 131 % 2000), '\0');
        for (char& byte : content) byte = static_cast<char>((seed = seed * 1103515245 + 12345) >> 16);
        RawProfile profile = Profile("[S]\r\n" + content);
        profile.GetValue("S", "k", "");
        // Whole: the entry is there and reads back from its section.
        if (profile.SetValue("S", "k", "v")) {
            EXPECT_NE(Content().find("\r\nk=v\r\n"), std::string::npos) << round;
            EXPECT_EQ(Bytes(profile.GetValue("S", "k", "<none>")), "v") << round;
        } else {
            EXPECT_EQ(Content(), "[S]\r\n" + content) << round;
        }
        EXPECT_FALSE(TemporaryLeft());
    }
}

// A real process saving a megabyte section, killed by TerminateProcess at 50 random points of
// its run: the profile is the old file or the whole new one, byte for byte, never a mix. (A
// ".tmp" may stay behind a kill; the next save writes over it.)
TEST_F(RawProfileTest, AKilledSaveLeavesTheOldFileOrTheWholeNewOne) {
    const std::string before = "[Keep]\r\nk=1\r\n[Big]\r\nold=1\r\n";
    const std::wstring reference = folder_.Below(L"reference.ini");
    ASSERT_TRUE(FileBytes::Write(reference, before));
    ASSERT_TRUE(RawProfile(RawString::FromWide(reference.c_str())).WriteSection(TestSupport::LargeSection(), "Big"));
    const std::string after = FileBytes::Read(reference);
    const std::wstring saver = TestSupport::ExecutableFolder() + L"\\KairodexProfileSaver.exe";
    auto start = [&](PROCESS_INFORMATION& process) {
        std::wstring line = L"\"" + saver + L"\" \"" + Path() + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        return CreateProcessW(saver.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &process) != FALSE;
    };
    // One whole run tells how long the kills may wait.
    ASSERT_TRUE(FileBytes::Write(Path(), before));
    PROCESS_INFORMATION process = {};
    const DWORD begun = GetTickCount();
    ASSERT_TRUE(start(process));
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
    const DWORD whole = GetTickCount() - begun + 1;
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    ASSERT_TRUE(Content() == after);

    uint32_t seed = 2024;
    int old = 0, complete = 0;
    for (int kill = 0; kill < 50; ++kill) {
        ASSERT_TRUE(FileBytes::Write(Path(), before));
        ASSERT_TRUE(start(process));
        Sleep(((seed = seed * 1103515245 + 12345) >> 8) % whole);
        TerminateProcess(process.hProcess, 9);
        WaitForSingleObject(process.hProcess, 60000);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        const std::string content = Content();
        EXPECT_TRUE(content == before || content == after)
            << "kill " << kill << ": " << content.size() << " bytes" << (content.size() < 200 ? ": " + content : "");
        old += content == before;
        complete += content == after;
        DeleteFileW((Path() + L".tmp").c_str());
    }
    std::printf("killed saves: %d left the old file, %d the new one (a whole run %lu ms)\n", old, complete, whole);
}

}  // namespace

// A save of what the file already holds leaves it alone, its bytes and its last-write time;
// whatever a save would change (a value, the order, the header's spelling, a second header, a
// missing section) is written.
TEST_F(RawProfileTest, SavesOnlyWhatWouldChange) {
    const struct {
        const char* content;
        const char* section;
        std::vector<std::pair<const char*, const char*>> entries;
        bool written;
    } cases[] = {
        {"[Main]\r\nRect=1,2\r\nTop=3\r\n\r\n[Other]\r\nk=v\r\n", "Main", {{"Rect", "1,2"}, {"Top", "3"}}, false},
        {"[Default]\r\n\r\n[LangMap]\r\nx=1\r\n", "Default", {}, false},
        {"[Main]\r\nRect=1,2\r\nTop=3\r\n", "Main", {{"Rect", "1,2"}, {"Top", "4"}}, true},
        {"[Main]\r\nRect=1,2\r\nTop=3\r\n", "Main", {{"Top", "3"}, {"Rect", "1,2"}}, true},
        {"[Main]\r\nRect=1,2\r\nTop=3\r\n", "Main", {{"Rect", "1,2"}}, true},
        {"[main]\r\nRect=1,2\r\n", "Main", {{"Rect", "1,2"}}, true},
        {"[Main]\r\nRect=1,2\r\n[Main]\r\n", "Main", {{"Rect", "1,2"}}, true},
        {"[Other]\r\n", "Main", {}, true},
    };
    for (const auto& item : cases) {
        RawProfile profile = Profile(item.content);
        ASSERT_TRUE(FileBytes::Backdate(Path()));
        RawParameterList list;
        for (const auto& [name, value] : item.entries) list.Add(name, value);
        EXPECT_TRUE(profile.WriteSection(list, item.section)) << item.content;
        EXPECT_EQ(FileBytes::StillBackdated(Path()), !item.written) << item.content;
        if (!item.written) {
            EXPECT_EQ(Content(), item.content);
        }
    }
    RawProfile profile = Profile("[Common]\r\nProgram=Kairodex\r\n");
    ASSERT_TRUE(FileBytes::Backdate(Path()));
    EXPECT_TRUE(profile.SetValue("Common", "Program", "Kairodex"));
    EXPECT_TRUE(FileBytes::StillBackdated(Path()));
    EXPECT_TRUE(profile.SetValue("Common", "Program", "Other"));
    EXPECT_EQ(Content(), "[Common]\r\nProgram=Other\r\n\r\n");
}
