#include "RawLayer/RawSpecialPath.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "RawLayer/RawPath.h"
#include "RawLayer/helpers/ScratchFolder.h"

using namespace RawLayer;
using TestSupport::ScopedEnvironment;
using TestSupport::ScratchFolder;
using TestSupport::Utf8Of;

namespace {

std::wstring Text(const RawString& text) {
    const RawString wide(text, Wide);
    return std::wstring(wide.WideUnits(), wide.Length());
}

RawString Raw(const std::wstring& text, StringEncoding encoding = Wide) {
    return RawString(RawString::FromWide(text.c_str(), static_cast<int32_t>(text.size())), encoding);
}

// The text ends where the string says it does (a string claiming more units than were read
// would run into whatever follows in its buffer).
bool TerminatedAtLength(const RawString& text) {
    if (text.IsWide()) return static_cast<int32_t>(wcslen(text.WideUnits())) == text.Length();
    return static_cast<int32_t>(strlen(text.Bytes())) == text.Length();
}

bool EndsWithSeparator(const std::wstring& text) {
    return !text.empty() && (text.back() == L'\\' || text.back() == L'/');
}

// A folder path longer than the 260 units of a plain path buffer, created below base.
std::wstring MakeLongFolder(const std::wstring& base) {
    std::wstring path = base;
    for (int level = 0; level < 6; ++level) {
        path += L"\\abcdefghijabcdefghijabcdefghijabcdefghijabcdefghij";
        CreateDirectoryW((L"\\\\?\\" + path).c_str(), nullptr);
    }
    return path;
}

class CurrentDirectoryRestorer {
public:
    CurrentDirectoryRestorer() { GetCurrentDirectoryW(MAX_PATH + 1, old_); }
    ~CurrentDirectoryRestorer() { SetCurrentDirectoryW(old_); }
    CurrentDirectoryRestorer(const CurrentDirectoryRestorer&) = delete;
    CurrentDirectoryRestorer& operator=(const CurrentDirectoryRestorer&) = delete;

private:
    wchar_t old_[MAX_PATH + 1] = {};
};

const StringEncoding kEncodings[] = {Ansi, Utf8, Wide, Utf16LE, Utf16BE};

}  // namespace

// Every query gives the same folder in every encoding, tagged with the encoding asked for.
TEST(RawSpecialPath, QueriesAnswerInTheEncodingAsked) {
    using Query = RawString (*)(StringEncoding);
    const Query queries[] = {ModulePath, ModuleDirectory, TempPath, CurrentDirectory, AppDataPath};
    for (Query query : queries) {
        const std::wstring expected = Text(query(Wide));
        ASSERT_FALSE(expected.empty());
        for (StringEncoding encoding : kEncodings) {
            const RawString result = query(encoding);
            EXPECT_EQ(result.Encoding(), encoding);
            EXPECT_EQ(Text(result), expected) << "encoding " << encoding;
        }
    }
}

TEST(RawSpecialPath, ModulePathNamesThisExecutable) {
    const std::wstring path = Text(ModulePath(Utf8));
    const std::wstring folder = TestSupport::ExecutableFolder();
    EXPECT_EQ(path, folder + L"\\RawLayerTests.exe");
    EXPECT_EQ(Text(ModuleDirectory(Utf8)), folder);
}

// A buffer too small for the answer is never taken as the answer: the query asks again with
// the size needed (module path: cut to the buffer; the others: report the size needed).
TEST(RawSpecialPath, SmallFirstBufferStillGivesTheWholePath) {
    const PathQuery queries[] = {PathQuery::Module, PathQuery::Temp, PathQuery::Current};
    for (PathQuery query : queries) {
        for (StringEncoding encoding : {Ansi, Wide, Utf8}) {
            const std::wstring whole = Text(QueryPath(query, encoding));
            ASSERT_GT(whole.size(), 8u);
            for (DWORD first : {DWORD(1), DWORD(8), static_cast<DWORD>(whole.size())}) {
                EXPECT_EQ(Text(QueryPath(query, encoding, first)), whole)
                    << "query " << static_cast<int>(query) << " encoding " << encoding << " first " << first;
            }
        }
    }
}

TEST(RawSpecialPath, CurrentDirectoryLongerThanAPathBuffer) {
    ScratchFolder scratch;
    const std::wstring longFolder = MakeLongFolder(scratch.Path());
    ASSERT_GT(longFolder.size(), 300u);
    {
        CurrentDirectoryRestorer restore;
        if (!SetCurrentDirectoryW((L"\\\\?\\" + longFolder).c_str())) GTEST_SKIP() << "no long current directory";
        const RawString wide = CurrentDirectory(Wide);
        // Some platforms answer with the long-path prefix kept.
        const std::wstring text = Text(wide);
        EXPECT_TRUE(text == longFolder || text == L"\\\\?\\" + longFolder) << Utf8Of(text);
        EXPECT_EQ(Text(CurrentDirectory(Utf8)), text);
        // The narrow call may refuse a long path; then the answer is empty, never cut.
        const std::wstring narrow = Text(CurrentDirectory(Ansi));
        EXPECT_TRUE(narrow.empty() || narrow == text);
    }
}

TEST(RawSpecialPath, TempPathNeverEndsWithASeparator) {
    ScratchFolder scratch;
    const std::wstring values[] = {scratch.Path(), scratch.Path() + L"\\", scratch.Path() + L"/"};
    for (const std::wstring& value : values) {
        ScopedEnvironment tmp(L"TMP", value);
        ScopedEnvironment temp(L"TEMP", value);
        for (StringEncoding encoding : {Ansi, Utf8, Wide}) {
            const std::wstring text = Text(TempPath(encoding));
            EXPECT_FALSE(EndsWithSeparator(text)) << Utf8Of(text);
            EXPECT_EQ(text, scratch.Path());
        }
    }
}

// A temporary folder too long for the platform's buffer gives the whole path or nothing,
// never a string claiming more units than were read.
TEST(RawSpecialPath, LongTemporaryFolderGivesWholePathOrNothing) {
    ScratchFolder scratch;
    const std::wstring longFolder = MakeLongFolder(scratch.Path());
    ScopedEnvironment tmp(L"TMP", longFolder);
    ScopedEnvironment temp(L"TEMP", longFolder);
    for (StringEncoding encoding : {Ansi, Utf8, Wide}) {
        const RawString path = TempPath(encoding);
        const std::wstring text = Text(path);
        EXPECT_TRUE(text.empty() || text == longFolder) << Utf8Of(text);
        EXPECT_TRUE(TerminatedAtLength(path));
    }
}

TEST(RawSpecialPath, UserMacroExpandsIntoTheApplicationDataFolder) {
    const std::wstring product = L"KairodexTest" + std::to_wstring(GetCurrentProcessId());
    const std::wstring userFolder = Text(AppDataPath(Wide)) + L"\\" + product;
    struct Case {
        std::wstring setting;
        StringEncoding encoding;
        std::wstring expected;
    };
    const Case cases[] = {
        {L"$(User)\\Gui.ini", Utf8, userFolder + L"\\Gui.ini"},
        {L"$(user)\\Gui.ini", Utf8, userFolder + L"\\Gui.ini"},
        {L"$(USER)\\Gui.ini", Wide, userFolder + L"\\Gui.ini"},
        {L"$(uSeR)\\Sub\\Lang.ini", Ansi, userFolder + L"\\Sub\\Lang.ini"},
        {L"$(User)", Wide, userFolder},
    };
    for (const Case& item : cases) {
        TestSupport::RemoveTree(userFolder);
        const RawString expanded = ExpandUserMacro(Raw(item.setting, item.encoding), Raw(product, Utf8));
        EXPECT_EQ(expanded.Encoding(), item.encoding);
        EXPECT_EQ(Text(expanded), item.expected) << Utf8Of(item.setting);
        EXPECT_TRUE(TestSupport::IsDirectoryPath(userFolder)) << Utf8Of(item.setting);
        EXPECT_EQ(Text(ResolveSettingPath(Raw(item.setting, item.encoding), Raw(product, Utf8))), item.expected);
    }
    TestSupport::RemoveTree(userFolder);
}

TEST(RawSpecialPath, TextWithoutTheMacroComesBackUnchanged) {
    const RawString settings[] = {"Gui.ini", "$(Use)\\Gui.ini", "$User\\x.ini", ""};
    for (const RawString& setting : settings) {
        const RawString expanded = ExpandUserMacro(setting, "Kairodex");
        EXPECT_TRUE(expanded.Equals(setting));
    }
}

TEST(RawSpecialPath, RelativeSettingsResolveIntoTheExecutableFolder) {
    const std::wstring folder = TestSupport::ExecutableFolder();
    const std::wstring parent = folder.substr(0, folder.find_last_of(L'\\'));
    struct Case {
        std::wstring setting;
        std::wstring expected;
    };
    const Case cases[] = {
        {L"Gui.ini", folder + L"\\Gui.ini"},
        {L".\\Gui.ini", folder + L"\\Gui.ini"},
        {L"..\\Gui.ini", parent + L"\\Gui.ini"},
        {L"Sub\\Gui.ini", folder + L"\\Sub\\Gui.ini"},
        {L"D:\\Settings\\Gui.ini", L"D:\\Settings\\Gui.ini"},
        {L"d:Gui.ini", L"d:Gui.ini"},
        {L"\\\\server\\share\\Gui.ini", L"\\\\server\\share\\Gui.ini"},
    };
    for (const Case& item : cases) {
        for (StringEncoding encoding : {Utf8, Wide}) {
            const RawString resolved = ResolveSettingPath(Raw(item.setting, encoding), "Kairodex");
            EXPECT_EQ(Text(resolved), item.expected) << Utf8Of(item.setting);
        }
    }
}
