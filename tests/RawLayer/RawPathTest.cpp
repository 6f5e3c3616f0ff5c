#include "RawLayer/RawPath.h"

#include <gtest/gtest.h>

#include <string>

using namespace RawLayer;

namespace {

std::string Text(const RawString& s) {
    RawString utf8(s, Utf8);
    return std::string(utf8.Bytes(), utf8.Length());
}

const char* U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

RawString ShiftJisBytes(const char* bytes) { return RawString::FromUnits(bytes, -1, ShiftJis); }

struct ResolveCase {
    const char* path;
    const char* base;
    const char* expected;
};

TEST(RawPathTest, ResolvePath) {
    const ResolveCase cases[] = {
        {"..\\..\\x.txt", "C:\\a\\b\\c", "C:\\a\\x.txt"},
        {".\\x", "C:\\a", "C:\\a\\x"},
        {"./x", "C:\\a\\", "C:\\a\\x"},
        {"../x", "C:\\a\\b", "C:\\a\\x"},
        {".\\..\\.\\x", "C:\\a\\b", "C:\\a\\x"},
        {"x\\..\\y", "C:\\a", "C:\\a\\x\\..\\y"},  // only leading steps count
        {"..x", "C:\\a", "C:\\a\\..x"},
        {"x", "", "x"},
        {"", "C:\\a", ""},
        {"D:\\x", "C:\\a", "D:\\x"},
        {"d:x", "C:\\a", "d:x"},
        {"\\\\server\\share\\x", "C:\\a", "\\\\server\\share\\x"},
        {"\\\\?\\C:\\x", "C:\\a", "\\\\?\\C:\\x"},
        {"//server/share/x", "C:\\a", "//server/share/x"},
        // Parent steps stop at the root instead of leaving a relative remainder.
        {"..\\..\\x", "C:\\a", "C:\\x"},
        {"..\\..\\..\\x", "C:\\", "C:\\x"},
        {"..\\..\\..\\x", "\\\\server\\share\\a", "\\\\server\\share\\x"},
        {"..\\..\\x", "\\\\?\\C:\\a", "\\\\?\\C:\\x"},
        {"..\\..\\..\\..\\x", "\\\\?\\UNC\\server\\share\\a\\b", "\\\\?\\UNC\\server\\share\\x"},
        // A relative base has no root to stop at.
        {"..\\..\\x", "a", "x"},
    };
    for (const ResolveCase& c : cases) {
        EXPECT_EQ(Text(ResolvePath(c.path, c.base)), c.expected) << c.path << " against " << c.base;
    }
}

TEST(RawPathTest, ResolvePathKeepsNonAsciiTextAcrossEncodings) {
    RawString base = RawString::FromWide(L"C:\\Gr\u00FC\u00DFe\\sub");
    RawString path = RawString::FromUnits(u8"..\\\u65E5\u672C.txt", -1, Utf8);
    RawString resolved(ResolvePath(path, base), Wide);
    EXPECT_TRUE(resolved.Equals(RawString::FromWide(L"C:\\Gr\u00FC\u00DFe\\\u65E5\u672C.txt")));
}

struct JoinCase {
    const char* directory;
    const char* name;
    const char* expected;
};

TEST(RawPathTest, JoinPath) {
    const JoinCase cases[] = {
        {"", "x.txt", "x.txt"},
        {"C:\\a", "x.txt", "C:\\a\\x.txt"},
        {"C:\\a\\", "x.txt", "C:\\a\\x.txt"},
        {"C:\\a/", "x.txt", "C:\\a/x.txt"},
        {"C:", "x.txt", "C:\\x.txt"},
        {"C:\\a", "", "C:\\a\\"},
    };
    for (const JoinCase& c : cases) {
        EXPECT_EQ(Text(JoinPath(c.directory, c.name)), c.expected) << c.directory << " + " << c.name;
    }
}

TEST(RawPathTest, JoinPathOfTwoNonAsciiNarrowTextsIsLossless) {
    RawString directory = ShiftJisBytes("C:\\\x83\x5C");  // "C:\" + KATAKANA SO
    RawString name = RawString::FromUnits(u8"Gr\u00FC\u00DFe", -1, Utf8);
    RawString joined(JoinPath(directory, name), Wide);
    EXPECT_TRUE(joined.Equals(RawString::FromWide(L"C:\\\u30BD\\Gr\u00FC\u00DFe")));
}

struct RangeCase {
    const char* path;
    RawRange directory;
    RawRange fileName;
    RawRange extension;
};

TEST(RawPathTest, Ranges) {
    const RangeCase cases[] = {
        {"C:\\a\\b.txt", {0, 4}, {5, 10}, {7, 10}},
        {"b.txt", {0, 0}, {0, 5}, {2, 5}},
        {"C:\\a\\", {0, 4}, {5, 5}, {5, 5}},
        {"C:/a/b", {0, 4}, {5, 6}, {6, 6}},
        {"name.", {0, 0}, {0, 5}, {5, 5}},
        {"dir.d\\name", {0, 5}, {6, 10}, {10, 10}},
        {"a.b.c", {0, 0}, {0, 5}, {4, 5}},
        {"", {0, 0}, {0, 0}, {0, 0}},
    };
    for (const RangeCase& c : cases) {
        RawString path(c.path);
        RawRange directory = DirectoryRange(path);
        RawRange fileName = FileNameRange(path);
        RawRange extension = ExtensionRange(path);
        EXPECT_EQ(directory.start, c.directory.start) << c.path;
        EXPECT_EQ(directory.end, c.directory.end) << c.path;
        EXPECT_EQ(fileName.start, c.fileName.start) << c.path;
        EXPECT_EQ(fileName.end, c.fileName.end) << c.path;
        EXPECT_EQ(extension.start, c.extension.start) << c.path;
        EXPECT_EQ(extension.end, c.extension.end) << c.path;
    }
}

TEST(RawPathTest, ShiftJisSecondByteIsNoSeparator) {
    // "C:\" SO "\" HYOU ".txt": the 0x5C bytes at 4 and 7 end double-byte characters.
    RawString path = ShiftJisBytes("C:\\\x83\x5C\\\x95\x5C.txt");
    EXPECT_FALSE(IsSeparator(path, 4));
    EXPECT_TRUE(IsSeparator(path, 5));
    EXPECT_FALSE(IsSeparator(path, 7));
    EXPECT_EQ(LastSeparator(path), 5);
    EXPECT_EQ(DirectoryRange(path).end, 5);
    EXPECT_EQ(FileNameRange(path).start, 6);
    EXPECT_EQ(ExtensionRange(path).start, 9);
    EXPECT_EQ(Text(JoinPath(ShiftJisBytes("\x83\x5C"), "x")), U8(u8"\u30BD\\x"));

    // Two lead-range bytes form one character; the backslash after them separates.
    RawString pair = ShiftJisBytes("\x83\x81\\x");
    EXPECT_TRUE(IsSeparator(pair, 2));
    // The same bytes in a single-byte code page are plain separators.
    RawString ansi = RawString::FromUnits("C:\\\x83\x5C\\\x95\x5C.txt", -1, Ansi);
    EXPECT_EQ(LastSeparator(ansi), 7);
}

TEST(RawPathTest, RootLength) {
    const struct {
        const char* path;
        int32_t root;
    } cases[] = {
        {"C:\\a", 2},
        {"c:", 2},
        {"\\\\server\\share\\a", 14},
        {"\\\\server\\share", 14},
        {"\\\\server", 8},
        {"\\\\?\\C:\\a", 6},
        {"\\\\?\\UNC\\server\\share\\a", 20},
        {"a\\b", 0},
        {"\\a", 0},
        {"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(RootLength(c.path), c.root) << c.path;
}

}  // namespace
