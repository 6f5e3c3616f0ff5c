#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RawLayer/FileBytes.h"
#include "RawLayer/RawLineFile.h"
#include "RawLayer/TempFolder.h"

using namespace RawLayer;
using namespace std::string_literals;

namespace {

struct Line {
    std::string text;
    std::string terminator;
    bool operator==(const Line&) const = default;
};

std::string Bytes(const RawString& text) {
    const int32_t size = text.Length() * (text.Encoding() == Wide ? 2 : 1);
    return std::string(text.Bytes(), static_cast<size_t>(size));
}

// Every line of the file, and the reader's final state.
std::vector<Line> ReadAll(RawLineFile& file, LineFileState* state = nullptr) {
    std::vector<Line> lines;
    int64_t position = 0;
    EXPECT_TRUE(file.OpenRead());
    for (LineRecord record = file.NextLine(); record.found; record = file.NextLine()) {
        EXPECT_EQ(record.index, static_cast<int32_t>(lines.size()));
        EXPECT_EQ(record.position, position);
        lines.push_back({Bytes(record.text), Bytes(record.terminator)});
        position += static_cast<int64_t>(lines.back().text.size() + lines.back().terminator.size());
    }
    if (state) *state = file.State();
    return lines;
}

class RawLineFileTest : public ::testing::Test {
protected:
    RawString Write(const std::string& content) {
        EXPECT_TRUE(FileBytes::Write(folder_.Below(L"lines.txt"), content));
        return RawString::FromWide(folder_.Below(L"lines.txt").c_str());
    }
    TempFolder folder_;
};

TEST_F(RawLineFileTest, LineEndsSurviveEveryBufferSplit) {
    const std::string content = "abcd\n0123456789\r\nb\rc\r\nd\n\re\r";
    const std::vector<Line> expected = {
        {"abcd", "\n"}, {"0123456789", "\r\n"}, {"b", "\r"}, {"c", "\r\n"}, {"d", "\n"}, {"", "\r"}, {"e", "\r"}};
    const RawString path = Write(content);
    for (int32_t size : {16, 17, 19, 23, 8192}) {
        RawLineFile file(path, size);
        LineFileState state;
        EXPECT_EQ(ReadAll(file, &state), expected) << size;
        EXPECT_EQ(state, LineFileState::EndOfFile);
        EXPECT_TRUE(file.Close());
    }
}

TEST_F(RawLineFileTest, DetectsAndConverts) {
    const struct {
        std::string content;
        StringEncoding requested, detected, mark;
        std::vector<Line> lines;
    } cases[] = {
        {"\xFF\xFE"
         "A\0\r\0\n\0B\0"s,
         Utf8,
         Utf16LE,
         Utf16LE,
         {{"A", "\r\n"}, {"B", ""}}},
        {"\xFE\xFF\0A\0\n"s, Utf8, Utf16BE, Utf16BE, {{"A", "\n"}}},
        {"\xFE\xFF\0A\0\r\0\n\0B"s, Utf16BE, Utf16BE, Utf16BE, {{"\0A"s, "\0\r\0\n"s}, {"\0B"s, ""}}},
        {"A\0\r\0\n\0B\0"s, Utf8, Utf16LE, Ansi, {{"A", "\r\n"}, {"B", ""}}},
        {"\0A\0\r\0\n\0B"s, Utf8, Utf16BE, Ansi, {{"A", "\r\n"}, {"B", ""}}},
        {"a=\x82\xA0\r\n", Utf8, ShiftJis, Ansi, {{"a=\xE3\x81\x82", "\r\n"}}},
        {"\xEF\xBB\xBFx=\xC3\xBC", Utf8, Utf8, Utf8, {{"x=\xC3\xBC", ""}}},
        {"\xEF\xBB\xBFx=\xC3\xBC", Utf16BE, Utf8, Utf8, {{"\0x\0=\0\xFC"s, ""}}},
        {"plain\r\n", Utf8, Ansi, Ansi, {{"plain", "\r\n"}}},
        {"a\0b\r\nc"s, Utf8, Ansi, Ansi, {{"a\0b"s, "\r\n"}, {"c", ""}}},  // stray zero bytes
        {"x\x7F\xE9\n", Utf8, kUndetermined, Ansi, {{"x\x7F\xE9", "\n"}}},
        // Decided only by a later block: read ahead, then read from the start.
        {"aaaaaaaaaaaa\nbbbbbbbbbbbb\n\x82\xA0\n",
         Utf8,
         ShiftJis,
         Ansi,
         {{"aaaaaaaaaaaa", "\n"}, {"bbbbbbbbbbbb", "\n"}, {"\xE3\x81\x82", "\n"}}},
        // A trusted mark passes bytes that do not decode unchanged.
        {"\xEF\xBB\xBF"
         "a=\xFF\xFE\r\n",
         Utf8,
         Utf8,
         Utf8,
         {{"a=\xFF\xFE", "\r\n"}}},
    };
    for (const auto& c : cases) {
        RawLineFile file(Write(c.content), 16);
        file.SetRequestedEncoding(c.requested);
        EXPECT_EQ(ReadAll(file), c.lines) << c.content;
        EXPECT_EQ(file.DetectedEncoding(), c.detected) << c.content;
        EXPECT_EQ(file.ByteOrderMarkKind(), c.mark) << c.content;
        EXPECT_TRUE(file.Close()) << c.content;
    }
}

TEST_F(RawLineFileTest, WideLinesAreUnits) {
    RawLineFile file(
        Write("\xFF\xFE"
              "A\0\r\0\n\0\x3D\xD8"s));
    file.SetRequestedEncoding(Wide);
    ASSERT_TRUE(file.OpenRead());
    LineRecord first = file.NextLine();
    EXPECT_TRUE(first.text.IsWide() && first.text.Equals(RawString::FromWide(L"A")));
    EXPECT_EQ(first.terminator.Length(), 2);
    EXPECT_EQ(file.NextLine().text.UnitAt(0), 0xD83Du);  // a lone surrogate is kept
}

TEST_F(RawLineFileTest, EmptyFileHasNoLine) {
    RawLineFile file(Write(""));
    ASSERT_TRUE(file.OpenRead());
    EXPECT_FALSE(file.NextLine().found);
    EXPECT_TRUE(file.Close());
}

// A read that stops early is an error, never the end of the file; lines before it were delivered.
TEST_F(RawLineFileTest, BrokenContentEndsInErrorState) {
    const struct {
        std::string content;
        StringEncoding requested;
        std::vector<Line> lines;
        LineFileState state;
    } cases[] = {
        {"short\n" + std::string(20, 'x') + "\nafter\n", Utf8, {{"short", "\n"}}, LineFileState::LineTooLong},
        {"\xFF\xFE"
         "A\0\n\0B"s,
         Utf8,
         {{"A", "\n"}},
         LineFileState::ConversionFailed},  // odd length
        {"\xFF\xFE"
         "A\0\n\0B"s,
         Wide,
         {{"A\0"s, "\n\0"s}},
         LineFileState::Misaligned},
        // Undecodable bytes in a later block than the first line's.
        {"a=\x82\xA0\n0123456789abc\nb=\x81\x20\n", Utf8, {{"a=\xE3\x81\x82", "\n"}}, LineFileState::ConversionFailed},
        {"a=\xC3\xBC\n0123456789abc\nb=\xFC\n",
         Utf8,
         {{"a=\xC3\xBC", "\n"}, {"0123456789abc", "\n"}},
         LineFileState::ConversionFailed},
        {"a=\x82\xA0\nb=\x82", Utf8, {{"a=\xE3\x81\x82", "\n"}}, LineFileState::ConversionFailed},
    };
    for (const auto& c : cases) {
        RawLineFile file(Write(c.content), 16);
        file.SetRequestedEncoding(c.requested);
        LineFileState state;
        EXPECT_EQ(ReadAll(file, &state), c.lines) << c.content;
        EXPECT_EQ(state, c.state) << c.content;
        EXPECT_FALSE(file.Close()) << c.content;
    }
}

TEST_F(RawLineFileTest, BufferGrowsUpToItsLimit) {
    const std::string longLine(100000, 'x');
    const RawString path = Write("a\n" + longLine + "\nb");
    RawLineFile file(path, 64);
    file.SetBufferLimit(1 << 20);
    LineFileState state;
    EXPECT_EQ(ReadAll(file, &state), (std::vector<Line>{{"a", "\n"}, {longLine, "\n"}, {"b", ""}}));
    EXPECT_EQ(state, LineFileState::EndOfFile);
    file.SetBufferLimit(50000);
    ReadAll(file, &state);
    EXPECT_EQ(state, LineFileState::LineTooLong);
}

TEST_F(RawLineFileTest, RandomBytesNeitherCrashNorHang) {
    uint32_t seed = 12345;
    for (int round = 0; round < 40; ++round) {
        std::string content(static_cast<size_t>(round * 97 % 3000), '\0');
        for (char& byte : content) byte = static_cast<char>((seed = seed * 1103515245 + 12345) >> 16);
        const RawString path = Write(content);
        for (StringEncoding requested : {Utf8, Wide, Utf16BE}) {
            RawLineFile file(path, 64);
            file.SetRequestedEncoding(requested);
            ReadAll(file);
            EXPECT_NE(file.State(), LineFileState::Open);
        }
    }
}

TEST_F(RawLineFileTest, WritesEncodingsWithTheirMarks) {
    const RawString text = RawString::FromUnits(u8"A\u3042", -1, Utf8);
    const struct {
        StringEncoding encoding;
        bool signature;
        RawString text;
        std::string bytes;
    } cases[] = {
        {Utf16LE, true, text,
         "\xFF\xFE"
         "A\0\x42\x30\r\0\n\0"s},
        {Wide, false, text, "A\0\x42\x30\r\0\n\0"s},
        {Utf16BE, true, RawString(text, Wide), "\xFE\xFF\0A\x30\x42\0\r\0\n"s},
        {Utf8, true, RawString(text, Utf16BE),
         "\xEF\xBB\xBF"
         "A\xE3\x81\x82\r\n"},
        {ShiftJis, true, text, "A\x82\xA0\r\n"},
        {Utf7, true, "A", "+/v8-A\r\n"},
    };
    for (const auto& c : cases) {
        const std::wstring path = folder_.Below(L"out.txt");
        RawLineFile file(RawString::FromWide(path.c_str()));
        ASSERT_TRUE(file.CreateWrite(CREATE_ALWAYS));
        file.SetRequestedEncoding(c.encoding);
        file.SetWriteSignature(c.signature);
        ASSERT_TRUE(file.BeginWrite());
        EXPECT_TRUE(file.WriteLine(c.text));
        EXPECT_TRUE(file.Close());
        EXPECT_EQ(FileBytes::Read(path), c.bytes) << c.encoding;
    }
}

TEST_F(RawLineFileTest, CreateFailsOnAFolder) {
    RawLineFile file(RawString::FromWide(folder_.Path().c_str()));
    EXPECT_FALSE(file.CreateWrite(CREATE_ALWAYS));
    EXPECT_EQ(file.State(), LineFileState::CreateFailed);
    EXPECT_FALSE(file.WriteLine("x"));
    EXPECT_FALSE(file.OpenRead());
    EXPECT_EQ(file.State(), LineFileState::OpenFailed);
}

}  // namespace
