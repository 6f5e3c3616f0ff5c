#include "RawLayer/RawFindFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "RawLayer/RawFile.h"
#include "RawLayer/RawPath.h"
#include "RawLayer/TempFolder.h"

using namespace RawLayer;

namespace {

RawString WideText(const std::wstring& text) { return RawString::FromWide(text.c_str()); }

std::string Utf8Of(const RawString& text) {
    RawString utf8(text, Utf8);
    return std::string(utf8.Bytes(), utf8.Length());
}

// Sorted names of every entry, each checked against its full path.
std::vector<std::string> Names(RawFindFile& find, const RawString& directory) {
    std::vector<std::string> names;
    while (find.Next()) {
        EXPECT_TRUE(find.FullPath().Equals(JoinPath(directory, find.Name()))) << Utf8Of(find.FullPath());
        EXPECT_EQ(find.Name().Encoding(), directory.Encoding());
        names.push_back(Utf8Of(find.Name()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(RawFindFileTest, EmptyAndMissingFolders) {
    TempFolder folder;
    RawFindFile empty(WideText(folder.Path()));
    EXPECT_FALSE(empty.Next());
    EXPECT_FALSE(empty.Next());
    RawFindFile missing(WideText(folder.Below(L"missing")));
    EXPECT_FALSE(missing.Next());
}

TEST(RawFindFileTest, FilesAndFoldersWithoutDotEntries) {
    TempFolder folder;
    ASSERT_TRUE(TempFolder::WriteFile(folder.Below(L"a.txt"), "abc"));
    ASSERT_TRUE(TempFolder::WriteFile(folder.Below(L"noext"), ""));
    ASSERT_TRUE(CreateDirectoryW(folder.Below(L"sub").c_str(), nullptr));
    ASSERT_TRUE(TempFolder::WriteFile(folder.Below(L"sub\\inner.txt"), "x"));
    const std::vector<std::string> expected = {"a.txt", "noext", "sub"};

    for (RawString directory : {WideText(folder.Path()), RawString(WideText(folder.Path()), Utf8)}) {
        RawFindFile find(directory);
        EXPECT_EQ(Names(find, directory), expected);
        find.Restart();
        EXPECT_EQ(Names(find, directory), expected);
    }

    // A trailing separator is dropped, so full paths get no doubled one.
    RawString withSeparator = WideText(folder.Path() + L"\\");
    RawFindFile find(withSeparator);
    EXPECT_EQ(Names(find, WideText(folder.Path())), expected);
}

TEST(RawFindFileTest, EntryDetails) {
    TempFolder folder;
    ASSERT_TRUE(TempFolder::WriteFile(folder.Below(L"a.txt"), "abcde"));
    ASSERT_TRUE(CreateDirectoryW(folder.Below(L"sub").c_str(), nullptr));
    WIN32_FILE_ATTRIBUTE_DATA fileData{};
    ASSERT_TRUE(GetFileAttributesExW(folder.Below(L"a.txt").c_str(), GetFileExInfoStandard, &fileData));

    RawFindFile find(WideText(folder.Path()));
    int seen = 0;
    while (find.Next()) {
        ++seen;
        if (find.Name().Equals("sub")) {
            EXPECT_TRUE(find.IsDirectory());
            continue;
        }
        EXPECT_FALSE(find.IsDirectory());
        EXPECT_EQ(find.Size(), 5u);
        EXPECT_EQ(find.LastWriteTime().dwLowDateTime, fileData.ftLastWriteTime.dwLowDateTime);
        EXPECT_EQ(find.LastWriteTime().dwHighDateTime, fileData.ftLastWriteTime.dwHighDateTime);
    }
    EXPECT_EQ(seen, 2);
}

TEST(RawFindFileTest, NonAsciiNamesComeBackInTheFolderEncoding) {
    TempFolder folder;
    ASSERT_TRUE(TempFolder::WriteFile(folder.Below(L"\u65E5\u672C \u00FC.txt"), "x"));
    RawString directory(WideText(folder.Path()), Utf8);
    RawFindFile find(directory);
    ASSERT_TRUE(find.Next());
    EXPECT_EQ(Utf8Of(find.Name()), reinterpret_cast<const char*>(u8"\u65E5\u672C \u00FC.txt"));
    EXPECT_EQ(find.Name().Encoding(), Utf8);
    EXPECT_TRUE(IsFile(find.FullPath()));
    EXPECT_FALSE(find.Next());
}

}  // namespace
