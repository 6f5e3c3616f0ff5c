#include <gtest/gtest.h>

#include <string>

#include "RawLayer/RawFile.h"
#include "RawLayer/RawFindFile.h"
#include "RawLayer/RawPath.h"
#include "RawLayer/TempFolder.h"

using namespace RawLayer;

namespace {

RawString WideText(const std::wstring& text) { return RawString::FromWide(text.c_str()); }
RawString Utf8Text(const char8_t* text) { return RawString::FromUnits(text, -1, Utf8); }

bool SetLastWrite(const std::wstring& path, const FILETIME& time) {
    HANDLE handle = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    bool done = handle != INVALID_HANDLE_VALUE && SetFileTime(handle, nullptr, nullptr, &time);
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    return done;
}

TEST(RawFileTest, CreateDirectories) {
    TempFolder folder;
    RawString base(WideText(folder.Path()), Utf8);
    RawString deep = JoinPath(JoinPath(JoinPath(base, "a"), "b"), "c");
    EXPECT_TRUE(CreateDirectories(deep));
    EXPECT_TRUE(IsDirectory(WideText(folder.Below(L"a\\b\\c"))));
    EXPECT_TRUE(CreateDirectories(deep));                               // every level there already
    EXPECT_TRUE(CreateDirectories(JoinPath(JoinPath(base, "d"), "")));  // trailing separator
    EXPECT_TRUE(CreateDirectories("C:\\"));

    ASSERT_TRUE(TempFolder::Write(folder.Below(L"f.txt"), "x"));
    RawString file = JoinPath(base, "f.txt");
    EXPECT_FALSE(CreateDirectories(file));
    EXPECT_TRUE(IsFile(file));
    EXPECT_FALSE(CreateDirectories(JoinPath(file, "below")));
    EXPECT_FALSE(CreateDirectories("kx-without-separator"));
    EXPECT_FALSE(Exists("kx-without-separator"));
}

TEST(RawFileTest, LastWriteTimeOfFileFolderAndMissingPath) {
    TempFolder folder;
    ASSERT_TRUE(TempFolder::Write(folder.Below(L"f.txt"), "x"));
    ASSERT_TRUE(CreateDirectoryW(folder.Below(L"sub").c_str(), nullptr));
    const FILETIME fileTime{0x5A5A5A50, 0x01D71234};
    const FILETIME folderTime{0x12345670, 0x01D51234};
    ASSERT_TRUE(SetLastWrite(folder.Below(L"f.txt"), fileTime));
    ASSERT_TRUE(SetLastWrite(folder.Below(L"sub"), folderTime));

    FILETIME read{};
    EXPECT_TRUE(LastWriteTime(WideText(folder.Below(L"f.txt")), &read));
    EXPECT_EQ(read.dwLowDateTime, fileTime.dwLowDateTime);
    EXPECT_EQ(read.dwHighDateTime, fileTime.dwHighDateTime);
    EXPECT_TRUE(LastWriteTime(RawString(WideText(folder.Below(L"sub")), Utf8), &read));
    EXPECT_EQ(read.dwLowDateTime, folderTime.dwLowDateTime);
    EXPECT_EQ(read.dwHighDateTime, folderTime.dwHighDateTime);

    // Failure leaves the caller's value alone instead of handing back 1601-01-01.
    FILETIME kept{1234, 5678};
    EXPECT_FALSE(LastWriteTime(WideText(folder.Below(L"missing.txt")), &kept));
    EXPECT_EQ(kept.dwLowDateTime, 1234u);
}

TEST(RawFileTest, MoveIntoPlaceReplaceWithAndMoveOver) {
    TempFolder folder;
    RawString base(WideText(folder.Path()), Utf8);
    RawString target = JoinPath(base, "p.ini");
    RawString fresh = JoinPath(base, "p.ini.tmp");
    ASSERT_TRUE(TempFolder::Write(folder.Below(L"p.ini.tmp"), "new"));
    ASSERT_TRUE(TempFolder::Write(folder.Below(L"p.ini"), "old"));
    EXPECT_FALSE(MoveIntoPlace(fresh, target));  // never over an existing file
    EXPECT_EQ(TempFolder::Read(folder.Below(L"p.ini")), "old");

    EXPECT_TRUE(ReplaceWith(target, fresh, JoinPath(base, "p.ini.bak")));
    EXPECT_EQ(TempFolder::Read(folder.Below(L"p.ini")), "new");
    EXPECT_EQ(TempFolder::Read(folder.Below(L"p.ini.bak")), "old");
    EXPECT_FALSE(Exists(fresh));
    ASSERT_TRUE(TempFolder::Write(folder.Below(L"p.ini.tmp"), "newer"));
    EXPECT_TRUE(ReplaceWith(target, fresh, RawString()));
    EXPECT_EQ(TempFolder::Read(folder.Below(L"p.ini")), "newer");

    // Over the old file in one rename, which keeps its hidden attribute.
    ASSERT_TRUE(SetFileAttributesW(folder.Below(L"p.ini").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(TempFolder::Write(folder.Below(L"p.ini.tmp"), "moved"));
    EXPECT_TRUE(MoveOver(fresh, target));
    EXPECT_EQ(TempFolder::Read(folder.Below(L"p.ini")), "moved");
    EXPECT_EQ(GetFileAttributesW(folder.Below(L"p.ini").c_str()) & FILE_ATTRIBUTE_HIDDEN, DWORD{FILE_ATTRIBUTE_HIDDEN});
    EXPECT_FALSE(Exists(fresh));

    EXPECT_TRUE(DeleteFileAt(target));
    ASSERT_TRUE(TempFolder::Write(folder.Below(L"p.ini.tmp"), "last"));
    EXPECT_TRUE(MoveIntoPlace(fresh, target));
    EXPECT_EQ(TempFolder::Read(folder.Below(L"p.ini")), "last");
}

TEST(RawFileTest, FileHandle) {
    TempFolder folder;
    RawString path = WideText(folder.Below(L"data.bin"));
    FileHandle file;
    ASSERT_TRUE(file.CreateWrite(path, CREATE_NEW));
    EXPECT_TRUE(file.Write("hello world", 11));
    EXPECT_EQ(file.LastCount(), 11u);
    ASSERT_TRUE(file.OpenRead(path));  // closes (and flushes) the writer first
    char buffer[32] = {};
    EXPECT_TRUE(file.Seek(-5, FILE_END));
    EXPECT_TRUE(file.Read(buffer, sizeof(buffer)));
    EXPECT_EQ(std::string(buffer, file.LastCount()), "world");
    EXPECT_TRUE(file.Read(buffer, sizeof(buffer)));  // at the end: success, nothing read
    EXPECT_EQ(file.LastCount(), 0u);
    EXPECT_FALSE(file.Write("x", 1));  // opened for reading only
    EXPECT_TRUE(file.Close());
    EXPECT_FALSE(file.IsOpen());

    // A file held open without sharing cannot be opened for writing.
    HANDLE held = CreateFileW(folder.Below(L"data.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(file.CreateWrite(path, OPEN_EXISTING));
    EXPECT_EQ(OpenFile(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING, 0), INVALID_HANDLE_VALUE);
    CloseHandle(held);
    EXPECT_TRUE(file.OpenAttributes(WideText(folder.Path())));  // folders open for their times
}

TEST(RawFileTest, NonAsciiUtf8PathsTakeTheWideCalls) {
    TempFolder folder;
    RawString base(WideText(folder.Path()), Utf8);
    RawString sub = JoinPath(JoinPath(base, Utf8Text(u8"Ordner \u00E4")), Utf8Text(u8"\u65E5\u672C"));
    ASSERT_EQ(sub.NativeCallForm(), WideConverted);
    EXPECT_TRUE(CreateDirectories(sub));
    RawString path = JoinPath(sub, Utf8Text(u8"Gr\u00FC\u00DFe.txt"));
    FileHandle file;
    ASSERT_TRUE(file.CreateWrite(path, CREATE_NEW));
    EXPECT_TRUE(file.Write("abc", 3));
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(TempFolder::Read(folder.Below(L"Ordner \u00E4\\\u65E5\u672C\\Gr\u00FC\u00DFe.txt")), "abc");
    FILETIME time{};
    EXPECT_TRUE(LastWriteTime(path, &time));
}

TEST(RawFileTest, LongPathsWithTheDevicePrefix) {
    TempFolder folder;
    std::wstring deep = L"\\\\?\\" + folder.Path();
    for (int i = 0; i < 40; ++i) deep += L"\\level-" + std::to_wstring(i);
    ASSERT_GT(deep.size(), 300u);
    RawString directory = WideText(deep);
    ASSERT_TRUE(CreateDirectories(directory));

    RawString path = JoinPath(directory, "long.txt");
    FileHandle file;
    ASSERT_TRUE(file.CreateWrite(path, CREATE_NEW));
    EXPECT_TRUE(file.Write("long", 4));
    EXPECT_TRUE(file.Close());
    FILETIME time{};
    EXPECT_TRUE(LastWriteTime(path, &time));
    RawFindFile find(directory);
    ASSERT_TRUE(find.Next());
    EXPECT_TRUE(find.FullPath().Equals(path));
    EXPECT_TRUE(MoveIntoPlace(path, JoinPath(directory, "renamed.txt")));
    EXPECT_TRUE(IsFile(JoinPath(directory, "renamed.txt")));
}

}  // namespace
