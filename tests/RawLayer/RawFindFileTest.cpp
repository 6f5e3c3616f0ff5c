#include "RawLayer/RawFindFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "RawLayer/RawPath.h"
#include "RawLayer/TempFolder.h"

using namespace RawLayer;

namespace {

RawString WideText(const std::wstring& text) { return RawString::FromWide(text.c_str()); }

std::string Utf8Of(const RawString& text) {
    RawString utf8(text, Utf8);
    return std::string(utf8.Bytes(), utf8.Length());
}

// Sorted "name:size" or "name/" of every entry, each checked against its full path.
std::vector<std::string> Entries(const RawString& directory, const RawString& expectedDirectory) {
    std::vector<std::string> entries;
    RawFindFile find(directory);
    while (find.Next()) {
        EXPECT_TRUE(find.FullPath().Equals(JoinPath(expectedDirectory, find.Name()))) << Utf8Of(find.FullPath());
        EXPECT_EQ(find.Name().Encoding(), directory.Encoding());
        std::string entry = Utf8Of(find.Name());
        entry.append(find.IsDirectory() ? "/" : ":").append(find.IsDirectory() ? "" : std::to_string(find.Size()));
        entries.push_back(entry);
    }
    EXPECT_FALSE(find.Next());
    std::sort(entries.begin(), entries.end());
    return entries;
}

TEST(RawFindFileTest, EmptyAndMissingFolders) {
    TempFolder folder;
    EXPECT_TRUE(Entries(WideText(folder.Path()), WideText(folder.Path())).empty());
    EXPECT_TRUE(Entries(WideText(folder.Below(L"missing")), WideText(folder.Below(L"missing"))).empty());
}

TEST(RawFindFileTest, FilesAndFoldersWithoutDotEntries) {
    TempFolder folder;
    ASSERT_TRUE(TempFolder::Write(folder.Below(L"a.txt"), "abc"));
    ASSERT_TRUE(TempFolder::Write(folder.Below(L"noext"), ""));
    ASSERT_TRUE(CreateDirectoryW(folder.Below(L"sub").c_str(), nullptr));
    ASSERT_TRUE(TempFolder::Write(folder.Below(L"sub\\inner.txt"), "x"));
    ASSERT_TRUE(TempFolder::Write(folder.Below(L"\u65E5\u672C \u00FC.txt"), "xy"));
    const std::vector<std::string> expected = {"a.txt:3", "noext:0", "sub/",
                                               reinterpret_cast<const char*>(u8"\u65E5\u672C \u00FC.txt:2")};
    RawString wide = WideText(folder.Path());
    RawString utf8(wide, Utf8);
    EXPECT_EQ(Entries(wide, wide), expected);
    EXPECT_EQ(Entries(utf8, utf8), expected);  // names come back in the folder's encoding
    // One trailing separator is dropped, so full paths get no doubled one.
    EXPECT_EQ(Entries(WideText(folder.Path() + L"\\"), wide), expected);
}

}  // namespace
