#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "RawLayer/RawSpecialPath.h"
#include "RawLayer/TempFolder.h"
#include "RawLayer/helpers/TestSupport.h"

using namespace RawLayer;
using TestSupport::ScopedEnvironment;
using TestSupport::Utf8Of;

namespace {

std::wstring Text(const RawString& text) {
    const RawString wide(text, Wide);
    return std::wstring(wide.WideUnits(), wide.Length());
}

RawString Raw(const std::wstring& text, StringEncoding encoding) {
    return RawString(RawString::FromWide(text.c_str(), static_cast<int32_t>(text.size())), encoding);
}

// The text ends where the string says it does; a string claiming more units than were read
// would run into whatever follows in its buffer.
bool TerminatedAtLength(const RawString& text) {
    if (text.IsWide()) return static_cast<int32_t>(wcslen(text.WideUnits())) == text.Length();
    return static_cast<int32_t>(strlen(text.Bytes())) == text.Length();
}

// A folder path longer than the 260 units of a plain path buffer, made below base.
std::wstring MakeLongFolder(const std::wstring& base) {
    std::wstring path = base;
    for (int level = 0; level < 6; ++level) {
        path += L"\\abcdefghijabcdefghijabcdefghijabcdefghijabcdefghij";
        CreateDirectoryW((L"\\\\?\\" + path).c_str(), nullptr);
    }
    return path;
}

}  // namespace

// Every query gives the same folder in every encoding, tagged with the encoding asked for.
TEST(RawSpecialPath, QueriesAnswerInTheEncodingAsked) {
    EXPECT_EQ(Text(ModulePath(Wide)), TestSupport::ExecutableFolder() + L"\\RawLayerTests.exe");
    EXPECT_EQ(Text(ModuleDirectory(Wide)), TestSupport::ExecutableFolder());
    using Query = RawString (*)(StringEncoding);
    for (Query query : {ModulePath, ModuleDirectory, TempPath, CurrentDirectory, AppDataPath}) {
        const std::wstring expected = Text(query(Wide));
        ASSERT_FALSE(expected.empty());
        for (StringEncoding encoding : {Ansi, Utf8, Utf16LE, Utf16BE}) {
            const RawString result = query(encoding);
            EXPECT_EQ(result.Encoding(), encoding);
            EXPECT_EQ(Text(result), expected) << "encoding " << encoding;
        }
    }
}

// A buffer too small for the answer is never taken as the answer: the module path comes back
// cut, the others report the size they need; both are asked for again.
TEST(RawSpecialPath, SmallFirstBufferStillGivesTheWholePath) {
    for (PathQuery query : {PathQuery::Module, PathQuery::Temp, PathQuery::Current}) {
        for (StringEncoding encoding : {Ansi, Wide}) {
            const std::wstring whole = Text(QueryPath(query, encoding));
            ASSERT_GT(whole.size(), 8u);
            for (DWORD first : {DWORD(1), DWORD(8), static_cast<DWORD>(whole.size())}) {
                const RawString path = QueryPath(query, encoding, first);
                EXPECT_EQ(Text(path), whole) << static_cast<int>(query) << " " << encoding << " " << first;
                EXPECT_TRUE(TerminatedAtLength(path));
            }
        }
    }
}

TEST(RawSpecialPath, CurrentDirectoryLongerThanAPathBuffer) {
    TempFolder scratch;
    const std::wstring longFolder = MakeLongFolder(scratch.Path());
    wchar_t old[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH + 1, old);
    ASSERT_TRUE(SetCurrentDirectoryW((L"\\\\?\\" + longFolder).c_str()));
    const RawString wide = CurrentDirectory(Wide);
    const RawString utf8 = CurrentDirectory(Utf8);
    const RawString narrow = CurrentDirectory(Ansi);  // the narrow call may refuse a long path
    SetCurrentDirectoryW(old);
    EXPECT_GT(wide.Length(), 300);
    EXPECT_TRUE(Text(wide) == longFolder || Text(wide) == L"\\\\?\\" + longFolder) << Utf8Of(Text(wide));
    EXPECT_EQ(Text(utf8), Text(wide));
    EXPECT_TRUE(narrow.IsEmpty() || Text(narrow) == Text(wide));
    EXPECT_TRUE(TerminatedAtLength(narrow));
}

TEST(RawSpecialPath, TempPathNeverEndsWithASeparator) {
    TempFolder scratch;
    for (const std::wstring& value : {scratch.Path(), scratch.Path() + L"\\", scratch.Path() + L"/"}) {
        ScopedEnvironment tmp(L"TMP", value);
        ScopedEnvironment temp(L"TEMP", value);
        for (StringEncoding encoding : {Ansi, Utf8, Wide}) EXPECT_EQ(Text(TempPath(encoding)), scratch.Path());
    }
}

// A temporary folder longer than a path buffer gives the whole path or nothing (Wine refuses it).
TEST(RawSpecialPath, LongTemporaryFolderGivesWholePathOrNothing) {
    TempFolder scratch;
    const std::wstring longFolder = MakeLongFolder(scratch.Path());
    ScopedEnvironment tmp(L"TMP", longFolder);
    ScopedEnvironment temp(L"TEMP", longFolder);
    for (StringEncoding encoding : {Ansi, Utf8, Wide}) {
        const RawString path = TempPath(encoding);
        EXPECT_TRUE(path.IsEmpty() || Text(path) == longFolder) << Utf8Of(Text(path));
        EXPECT_TRUE(TerminatedAtLength(path));
    }
}

TEST(RawSpecialPath, UserMacroExpandsIntoACreatedApplicationDataFolder) {
    const std::wstring product = L"KairodexTest" + std::to_wstring(GetCurrentProcessId());
    const std::wstring userFolder = Text(AppDataPath(Wide)) + L"\\" + product;
    const struct {
        std::wstring setting;
        StringEncoding encoding;
        std::wstring expected;
    } cases[] = {
        {L"$(User)\\Gui.ini", Utf8, userFolder + L"\\Gui.ini"},
        {L"$(user)\\Gui.ini", Wide, userFolder + L"\\Gui.ini"},
        {L"$(uSeR)\\Sub\\Lang.ini", Ansi, userFolder + L"\\Sub\\Lang.ini"},
        {L"$(USER)", Utf8, userFolder},
        {L"$(Use)\\Gui.ini", Utf8, TestSupport::ExecutableFolder() + L"\\$(Use)\\Gui.ini"},
    };
    for (const auto& item : cases) {
        RemoveDirectoryW(userFolder.c_str());
        const RawString resolved = ResolveSettingPath(Raw(item.setting, item.encoding), Raw(product, Utf8));
        EXPECT_EQ(resolved.Encoding(), item.encoding);
        EXPECT_EQ(Text(resolved), item.expected) << Utf8Of(item.setting);
        const bool expanded = item.expected.rfind(userFolder, 0) == 0;
        const DWORD attributes = GetFileAttributesW(userFolder.c_str());
        EXPECT_EQ(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY), expanded);
    }
    RemoveDirectoryW(userFolder.c_str());
}

TEST(RawSpecialPath, RelativeSettingsResolveIntoTheExecutableFolder) {
    const std::wstring folder = TestSupport::ExecutableFolder();
    const std::wstring parent = folder.substr(0, folder.find_last_of(L'\\'));
    const struct {
        std::wstring setting;
        std::wstring expected;
    } cases[] = {
        {L"Gui.ini", folder + L"\\Gui.ini"},
        {L"..\\Gui.ini", parent + L"\\Gui.ini"},
        {L"d:Gui.ini", L"d:Gui.ini"},
        {L"\\\\server\\share\\Gui.ini", L"\\\\server\\share\\Gui.ini"},
    };
    for (const auto& item : cases) {
        for (StringEncoding encoding : {Utf8, Wide}) {
            EXPECT_EQ(Text(ResolveSettingPath(Raw(item.setting, encoding), "Kairodex")), item.expected);
        }
    }
}
