#include "RawLayer/RawPath.h"

#include <gtest/gtest.h>

#include <string>

using namespace RawLayer;

namespace {

std::string Text(const RawString& s) {
    RawString utf8(s, Utf8);
    return std::string(utf8.Bytes(), utf8.Length());
}

RawString ShiftJisBytes(const char* bytes) { return RawString::FromUnits(bytes, -1, ShiftJis); }

TEST(RawPathTest, ResolvePath) {
    const struct {
        const char* path;
        const char* base;
        const char* expected;
    } cases[] = {
        {"..\\..\\x.txt", "C:\\a\\b\\c", "C:\\a\\x.txt"},
        {".\\x", "C:\\a", "C:\\a\\x"},
        {"./.././x", "C:\\a\\b\\", "C:\\a\\x"},
        {"x\\..\\y", "C:\\a", "C:\\a\\x\\..\\y"},  // only leading steps count
        {"..x", "C:\\a", "C:\\a\\..x"},
        {"", "C:\\a", ""},
        {"d:x", "C:\\a", "d:x"},
        {"\\\\server\\share\\x", "C:\\a", "\\\\server\\share\\x"},
        {"//server/share/x", "C:\\a", "//server/share/x"},
        // Parent steps stop at the root instead of leaving a relative remainder.
        {"..\\..\\x", "C:\\a", "C:\\x"},
        {"..\\..\\x", "C:\\", "C:\\x"},
        {"..\\..\\..\\x", "\\\\server\\share\\a", "\\\\server\\share\\x"},
        {"..\\..\\x", "\\\\?\\C:\\a", "\\\\?\\C:\\x"},
        {"..\\..\\..\\x", "\\\\?\\UNC\\server\\share\\a", "\\\\?\\UNC\\server\\share\\x"},
        {"..\\..\\x", "a", "x"},  // a relative base has no root to stop at
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Text(ResolvePath(c.path, c.base)), c.expected) << c.path << " against " << c.base;
    }
}

TEST(RawPathTest, JoinPath) {
    EXPECT_EQ(Text(JoinPath("", "x.txt")), "x.txt");
    EXPECT_EQ(Text(JoinPath("C:\\a", "x.txt")), "C:\\a\\x.txt");
    EXPECT_EQ(Text(JoinPath("C:\\a/", "x.txt")), "C:\\a/x.txt");
    // Two non-ASCII texts of different narrow encodings meet in Wide without loss.
    RawString joined(JoinPath(ShiftJisBytes("C:\\\x83\x5C"), RawString::FromUnits(u8"\u00FC", -1, Utf8)), Wide);
    EXPECT_TRUE(joined.Equals(RawString::FromWide(L"C:\\\u30BD\\\u00FC")));
}

// Absolute paths come out resolved as the platform resolves plain ones, since the long form
// resolves nothing; everything else keeps its text.
TEST(RawPathTest, LongPathForm) {
    const std::string tail = std::string(300, 'n') + ".txt";
    const struct {
        std::string path;
        std::string expected;
    } cases[] = {
        {"C:\\short.txt", "\\\\?\\C:\\short.txt"},
        {"C:\\" + tail, "\\\\?\\C:\\" + tail},
        {"C:/a/b.txt", "\\\\?\\C:\\a\\b.txt"},
        {"C:\\a\\.\\b\\..\\c.txt", "\\\\?\\C:\\a\\c.txt"},
        {"C:\\a\\..\\..\\..\\c.txt", "\\\\?\\C:\\c.txt"},  // never above the root
        {"C:\\a\\\\b\\\\", "\\\\?\\C:\\a\\b"},             // doubled and trailing separators
        {"C:\\a\\b.", "\\\\?\\C:\\a\\b"},                  // a trailing dot is not part of the name
        {"C:\\", "\\\\?\\C:\\"},                           // the root keeps its separator
        {"C:/..", "\\\\?\\C:\\"},
        {"\\\\server\\share\\" + tail, "\\\\?\\UNC\\server\\share\\" + tail},
        {"//server/share/x/../y/", "\\\\?\\UNC\\server\\share\\y"},
        {"\\\\server\\share\\..\\..\\y", "\\\\?\\UNC\\server\\share\\y"},
        {"\\\\server\\share\\", "\\\\?\\UNC\\server\\share"},
        // Already long, device paths, relative and drive-relative paths: as given.
        {"\\\\?\\C:\\a\\..\\" + tail, "\\\\?\\C:\\a\\..\\" + tail},
        {"\\\\?\\UNC\\server\\share\\.\\x", "\\\\?\\UNC\\server\\share\\.\\x"},
        {"\\\\.\\pipe\\" + tail, "\\\\.\\pipe\\" + tail},
        {"relative\\..\\" + tail, "relative\\..\\" + tail},
        {"\\rooted\\x", "\\rooted\\x"},
        {"C:x\\..\\y", "C:x\\..\\y"},
        {"", ""},
    };
    for (const auto& c : cases) {
        const RawString longForm = LongPathForm(RawString(c.path.c_str()));
        EXPECT_EQ(longForm.Encoding(), Wide);
        EXPECT_EQ(Text(longForm), c.expected) << c.path.substr(0, 40);
    }
    // Narrow text of any encoding comes out as the same characters.
    const RawString shiftJis = LongPathForm(ShiftJisBytes("C:\\\x83\x5C\\x"));
    EXPECT_TRUE(shiftJis.Equals(RawString::FromWide(L"\\\\?\\C:\\\u30BD\\x")));
}

TEST(RawPathTest, Ranges) {
    const struct {
        const char* path;
        RawRange directory, fileName, extension;
    } cases[] = {
        {"C:\\a\\b.txt", {0, 4}, {5, 10}, {7, 10}},
        {"b.txt", {0, 0}, {0, 5}, {2, 5}},
        {"C:/a/", {0, 4}, {5, 5}, {5, 5}},
        {"name.", {0, 0}, {0, 5}, {5, 5}},
        {"dir.d\\name", {0, 5}, {6, 10}, {10, 10}},
    };
    auto same = [](RawRange a, RawRange b) { return a.start == b.start && a.end == b.end; };
    for (const auto& c : cases) {
        EXPECT_TRUE(same(DirectoryRange(c.path), c.directory)) << c.path;
        EXPECT_TRUE(same(FileNameRange(c.path), c.fileName)) << c.path;
        EXPECT_TRUE(same(ExtensionRange(c.path), c.extension)) << c.path;
    }
}

TEST(RawPathTest, ShiftJisSecondByteIsNoSeparator) {
    // "C:\" SO "\" HYOU ".txt": the 0x5C bytes at 4 and 7 end double-byte characters.
    RawString path = ShiftJisBytes("C:\\\x83\x5C\\\x95\x5C.txt");
    EXPECT_FALSE(IsSeparator(path, 4));
    EXPECT_EQ(LastSeparator(path), 5);
    EXPECT_EQ(DirectoryRange(path).end, 5);
    EXPECT_EQ(FileNameRange(path).start, 6);
    EXPECT_EQ(ExtensionRange(path).start, 9);
    EXPECT_EQ(Text(JoinPath(ShiftJisBytes("\x83\x5C"), "x")), reinterpret_cast<const char*>(u8"\u30BD\\x"));
    EXPECT_TRUE(IsSeparator(ShiftJisBytes("\x83\x81\\x"), 2));  // two lead-range bytes make one character
    EXPECT_EQ(LastSeparator(RawString::FromUnits("C:\\\x83\x5C\\\x95\x5C.txt", -1, Ansi)), 7);
}

}  // namespace
