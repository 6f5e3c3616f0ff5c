#include "RawLayer/RawFile.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "RawLayer/RawFindFile.h"
#include "RawLayer/RawPath.h"
#include "RawLayer/TempFolder.h"

using namespace RawLayer;

namespace {

RawString WideText(const std::wstring& text) { return RawString::FromWide(text.c_str()); }
RawString Utf8Text(const char8_t* text) { return RawString::FromUnits(text, -1, Utf8); }

FILETIME FileTimeOf(WORD year, WORD month, WORD day, WORD hour) {
    SYSTEMTIME system{};
    system.wYear = year;
    system.wMonth = month;
    system.wDay = day;
    system.wHour = hour;
    system.wMinute = 7;
    system.wSecond = 9;
    system.wMilliseconds = 123;
    FILETIME time{};
    SystemTimeToFileTime(&system, &time);
    return time;
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

bool SetLastWrite(const std::wstring& path, const FILETIME& time) {
    HANDLE handle = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    bool done = SetFileTime(handle, nullptr, nullptr, &time) != FALSE;
    CloseHandle(handle);
    return done;
}

TEST(RawFileTest, AttributeQueries) {
    TempFolder folder;
    ASSERT_TRUE(TempFolder::WriteFile(folder.Below(L"f.txt"), "x"));
    const struct {
        std::wstring path;
        bool exists, isFile, isDirectory;
    } cases[] = {
        {folder.Below(L"f.txt"), true, true, false},
        {folder.Path(), true, false, true},
        {folder.Below(L"missing"), false, false, false},
        {folder.Below(L"missing\\deeper"), false, false, false},
    };
    for (const auto& c : cases) {
        for (RawString path : {WideText(c.path), RawString(WideText(c.path), Utf8)}) {
            EXPECT_EQ(Exists(path), c.exists);
            EXPECT_EQ(IsFile(path), c.isFile);
            EXPECT_EQ(IsDirectory(path), c.isDirectory);
            EXPECT_EQ(FileAttributes(path) == INVALID_FILE_ATTRIBUTES, !c.exists);
        }
    }
}

TEST(RawFileTest, CreateDirectories) {
    TempFolder folder;
    RawString base(WideText(folder.Path()), Utf8);
    RawString deep = JoinPath(JoinPath(JoinPath(base, "a"), "b"), "c");
    EXPECT_TRUE(CreateDirectories(deep));
    EXPECT_TRUE(TempFolder::Exists(folder.Below(L"a\\b\\c")));
    EXPECT_TRUE(CreateDirectories(deep));  // every level there already
    EXPECT_TRUE(CreateDirectories(JoinPath(JoinPath(base, "d"), "")));  // trailing separator
    EXPECT_TRUE(IsDirectory(JoinPath(base, "d")));

    ASSERT_TRUE(TempFolder::WriteFile(folder.Below(L"f.txt"), "x"));
    RawString file = JoinPath(base, "f.txt");
    EXPECT_FALSE(CreateDirectories(file));
    EXPECT_TRUE(IsFile(file));
    EXPECT_FALSE(CreateDirectories(JoinPath(file, "below")));

    EXPECT_FALSE(CreateDirectories("kx-without-separator"));
    EXPECT_FALSE(Exists("kx-without-separator"));
    EXPECT_TRUE(CreateDirectories("C:\\"));
    EXPECT_TRUE(CreateDirectories("C:"));
}

TEST(RawFileTest, LastWriteTimeOfFileFolderAndMissingPath) {
    TempFolder folder;
    std::wstring file = folder.Below(L"f.txt");
    std::wstring sub = folder.Below(L"sub");
    ASSERT_TRUE(TempFolder::WriteFile(file, "x"));
    ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
    FILETIME fileTime = FileTimeOf(2021, 3, 4, 5);
    FILETIME folderTime = FileTimeOf(2019, 8, 20, 22);
    ASSERT_TRUE(SetLastWrite(file, fileTime));
    ASSERT_TRUE(SetLastWrite(sub, folderTime));

    FILETIME read{};
    EXPECT_TRUE(LastWriteTime(WideText(file), &read));
    EXPECT_TRUE(SameTime(read, fileTime));
    EXPECT_TRUE(LastWriteTime(RawString(WideText(sub), Utf8), &read));
    EXPECT_TRUE(SameTime(read, folderTime));

    // A path that cannot be read reports failure and leaves the caller's value alone.
    FILETIME kept{1234, 5678};
    EXPECT_FALSE(LastWriteTime(WideText(folder.Below(L"missing.txt")), &kept));
    EXPECT_EQ(kept.dwLowDateTime, 1234u);
    EXPECT_EQ(kept.dwHighDateTime, 5678u);
}

TEST(RawFileTest, MoveIntoPlaceRefusesAnExistingTarget) {
    TempFolder folder;
    RawString fresh = WideText(folder.Below(L"p.ini.tmp"));
    RawString target = WideText(folder.Below(L"p.ini"));
    ASSERT_TRUE(TempFolder::WriteFile(folder.Below(L"p.ini.tmp"), "new"));
    ASSERT_TRUE(TempFolder::WriteFile(folder.Below(L"p.ini"), "old"));
    EXPECT_FALSE(MoveIntoPlace(fresh, target));
    EXPECT_EQ(TempFolder::ReadFile(folder.Below(L"p.ini")), "old");
    EXPECT_TRUE(IsFile(fresh));

    ASSERT_TRUE(DeleteFileAt(target));
    EXPECT_FALSE(DeleteFileAt(target));
    EXPECT_TRUE(MoveIntoPlace(fresh, target));
    EXPECT_EQ(TempFolder::ReadFile(folder.Below(L"p.ini")), "new");
    EXPECT_FALSE(Exists(fresh));
}

TEST(RawFileTest, ReplaceWithAndWithoutBackup) {
    TempFolder folder;
    RawString base(WideText(folder.Path()), Utf8);
    RawString target = JoinPath(base, "p.ini");
    RawString fresh = JoinPath(base, "p.ini.tmp");
    ASSERT_TRUE(TempFolder::WriteFile(folder.Below(L"p.ini"), "first"));
    ASSERT_TRUE(TempFolder::WriteFile(folder.Below(L"p.ini.tmp"), "second"));
    EXPECT_TRUE(ReplaceWith(target, fresh, JoinPath(base, "p.ini.bak")));
    EXPECT_EQ(TempFolder::ReadFile(folder.Below(L"p.ini")), "second");
    EXPECT_EQ(TempFolder::ReadFile(folder.Below(L"p.ini.bak")), "first");
    EXPECT_FALSE(Exists(fresh));

    ASSERT_TRUE(TempFolder::WriteFile(folder.Below(L"p.ini.tmp"), "third"));
    EXPECT_TRUE(ReplaceWith(target, fresh, RawString()));
    EXPECT_EQ(TempFolder::ReadFile(folder.Below(L"p.ini")), "third");
    EXPECT_EQ(TempFolder::ReadFile(folder.Below(L"p.ini.bak")), "first");

    EXPECT_FALSE(ReplaceWith(target, JoinPath(base, "missing.tmp"), RawString()));
    EXPECT_EQ(TempFolder::ReadFile(folder.Below(L"p.ini")), "third");
}

TEST(RawFileTest, FileHandleWritesReadsAndSeeks) {
    TempFolder folder;
    RawString path = WideText(folder.Below(L"data.bin"));
    FileHandle file;
    ASSERT_TRUE(file.CreateWrite(path, CREATE_NEW));
    EXPECT_TRUE(file.Write("hello world", 11));
    EXPECT_EQ(file.LastCount(), 11u);
    EXPECT_TRUE(file.Close());
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.CreateWrite(path, CREATE_NEW));

    ASSERT_TRUE(file.OpenRead(path));
    char buffer[32] = {};
    EXPECT_TRUE(file.Read(buffer, 5));
    EXPECT_EQ(std::string(buffer, file.LastCount()), "hello");
    int64_t position = 0;
    EXPECT_TRUE(file.Seek(-5, FILE_END, &position));
    EXPECT_EQ(position, 6);
    EXPECT_TRUE(file.Read(buffer, sizeof(buffer)));
    EXPECT_EQ(std::string(buffer, file.LastCount()), "world");
    EXPECT_TRUE(file.Read(buffer, sizeof(buffer)));  // at the end: success, nothing read
    EXPECT_EQ(file.LastCount(), 0u);
    uint64_t size = 0;
    EXPECT_TRUE(file.Size(&size));
    EXPECT_EQ(size, 11u);
    EXPECT_FALSE(file.Write("x", 1));  // opened for reading only

    ASSERT_TRUE(file.CreateWrite(path, CREATE_ALWAYS));
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(TempFolder::ReadFile(folder.Below(L"data.bin")), "");
}

TEST(RawFileTest, FileHandleOwnership) {
    TempFolder folder;
    std::wstring first = folder.Below(L"1.txt");
    ASSERT_TRUE(TempFolder::WriteFile(first, "1"));
    ASSERT_TRUE(TempFolder::WriteFile(folder.Below(L"2.txt"), "2"));
    auto openExclusively = [](const std::wstring& path) {
        HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return false;
        CloseHandle(handle);
        return true;
    };

    FileHandle file;
    ASSERT_TRUE(file.OpenRead(WideText(first)));
    EXPECT_FALSE(openExclusively(first));
    ASSERT_TRUE(file.OpenRead(WideText(folder.Below(L"2.txt"))));  // closes the first handle
    EXPECT_TRUE(openExclusively(first));

    FileHandle moved(std::move(file));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(moved.IsOpen());
    {
        FileHandle scoped;
        ASSERT_TRUE(scoped.OpenRead(WideText(first)));
    }
    EXPECT_TRUE(openExclusively(first));  // the destructor closed it

    EXPECT_FALSE(file.OpenRead(WideText(folder.Below(L"missing.txt"))));
    EXPECT_EQ(file.Handle(), INVALID_HANDLE_VALUE);
    EXPECT_TRUE(file.OpenAttributes(WideText(folder.Path())));  // folders open for their times
}

TEST(RawFileTest, OpenFailsOnAFileHeldWithoutSharing) {
    TempFolder folder;
    std::wstring path = folder.Below(L"held.txt");
    ASSERT_TRUE(TempFolder::WriteFile(path, "x"));
    HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    FileHandle file;
    EXPECT_FALSE(file.CreateWrite(WideText(path), OPEN_EXISTING));
    EXPECT_FALSE(file.OpenRead(WideText(path)));
    EXPECT_EQ(OpenFile(WideText(path), GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING, 0), INVALID_HANDLE_VALUE);
    CloseHandle(held);
    HANDLE opened = OpenFile(WideText(path), GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING, 0);
    EXPECT_NE(opened, INVALID_HANDLE_VALUE);
    file.Attach(opened, GENERIC_WRITE);
    EXPECT_TRUE(file.Close());
}

TEST(RawFileTest, NonAsciiUtf8PathsReachTheFileSystemUnchanged) {
    TempFolder folder;
    RawString base(WideText(folder.Path()), Utf8);
    RawString path = JoinPath(base, Utf8Text(u8"Gr\u00FC\u00DFe \u65E5\u672C.txt"));
    ASSERT_EQ(path.NativeCallForm(), WideConverted);
    FileHandle file;
    ASSERT_TRUE(file.CreateWrite(path, CREATE_NEW));
    EXPECT_TRUE(file.Write("abc", 3));
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(TempFolder::ReadFile(folder.Below(L"Gr\u00FC\u00DFe \u65E5\u672C.txt")), "abc");
    EXPECT_TRUE(IsFile(path));
    FILETIME time{};
    EXPECT_TRUE(LastWriteTime(path, &time));

    RawString sub = JoinPath(JoinPath(base, Utf8Text(u8"Ordner \u00E4")), Utf8Text(u8"\u00F6"));
    EXPECT_TRUE(CreateDirectories(sub));
    EXPECT_TRUE(TempFolder::Exists(folder.Below(L"Ordner \u00E4\\\u00F6")));
    RawString moved = JoinPath(sub, Utf8Text(u8"\u00FC.txt"));
    EXPECT_TRUE(MoveIntoPlace(path, moved));
    EXPECT_EQ(TempFolder::ReadFile(folder.Below(L"Ordner \u00E4\\\u00F6\\\u00FC.txt")), "abc");
}

TEST(RawFileTest, LongPathsWithTheDevicePrefix) {
    TempFolder folder;
    std::wstring deep = L"\\\\?\\" + folder.Path();
    for (int i = 0; i < 30; ++i) deep += L"\\level-" + std::to_wstring(i);
    ASSERT_GT(deep.size(), 300u);
    RawString directory = WideText(deep);
    ASSERT_TRUE(CreateDirectories(directory));
    EXPECT_TRUE(IsDirectory(directory));

    RawString path = JoinPath(directory, "long.txt");
    FileHandle file;
    ASSERT_TRUE(file.CreateWrite(path, CREATE_NEW));
    EXPECT_TRUE(file.Write("long", 4));
    EXPECT_TRUE(file.Close());
    EXPECT_TRUE(IsFile(path));
    FILETIME time{};
    EXPECT_TRUE(LastWriteTime(path, &time));

    RawFindFile find(directory);
    ASSERT_TRUE(find.Next());
    EXPECT_TRUE(find.Name().Equals("long.txt"));
    EXPECT_TRUE(find.FullPath().Equals(path));
    EXPECT_EQ(find.Size(), 4u);
    EXPECT_FALSE(find.Next());

    RawString renamed = JoinPath(directory, "renamed.txt");
    EXPECT_TRUE(MoveIntoPlace(path, renamed));
    EXPECT_TRUE(DeleteFileAt(renamed));
    EXPECT_FALSE(Exists(renamed));
}

}  // namespace
