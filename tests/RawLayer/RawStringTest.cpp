#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "RawLayer/RawString.h"

using namespace RawLayer;

namespace {

using Bytes = std::vector<uint8_t>;

RawString Units(const Bytes& bytes, StringEncoding encoding) {
    return RawString::FromUnits(bytes.data(), static_cast<int32_t>(bytes.size()), encoding);
}

RawString WideText(const wchar_t* text) { return RawString::FromWide(text); }

Bytes UnitsOf(const RawString& text) {
    Bytes out;
    for (int32_t i = 0; i < text.Length(); ++i) out.push_back(static_cast<uint8_t>(text.UnitAt(i)));
    return out;
}

std::wstring WideOf(const RawString& text) {
    const RawString wide(text, Wide);
    return std::wstring(wide.WideUnits(), wide.Length());
}

}  // namespace

// ---- conversions ----

TEST(RawStringConversion, ExactBytesInEachEncoding) {
    struct Case {
        const wchar_t* text;
        StringEncoding encoding;
        Bytes bytes;
    };
    const Case cases[] = {
        {L"abc", Utf16BE, {0x00, 0x61, 0x00, 0x62, 0x00, 0x63}},
        {L"abc", Utf16LE, {0x61, 0x00, 0x62, 0x00, 0x63, 0x00}},
        {L"abc", ShiftJis, {0x61, 0x62, 0x63}},
        {L"abc", Ansi, {0x61, 0x62, 0x63}},
        {L"\u3042", ShiftJis, {0x82, 0xA0}},
        {L"\u65E5\u672C", ShiftJis, {0x93, 0xFA, 0x96, 0x7B}},
        {L"\u65E5\u672C", Utf8, {0xE6, 0x97, 0xA5, 0xE6, 0x9C, 0xAC}},
        {L"\xD83D\xDE00", Utf8, {0xF0, 0x9F, 0x98, 0x80}},
        {L"\xD83D\xDE00", Utf16BE, {0xD8, 0x3D, 0xDE, 0x00}},
        {L"\xD83D\xDE00", Utf16LE, {0x3D, 0xD8, 0x00, 0xDE}},
        {L"a\u00E9", Utf8, {0x61, 0xC3, 0xA9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "encoding " << int(c.encoding));
        const RawString wide = WideText(c.text);
        const RawString narrow(wide, c.encoding);
        EXPECT_EQ(narrow.Encoding(), c.encoding);
        EXPECT_EQ(UnitsOf(narrow), c.bytes);
        EXPECT_EQ(WideOf(narrow), std::wstring(c.text));
        EXPECT_EQ(WideOf(Units(c.bytes, c.encoding)), std::wstring(c.text));
    }
}

TEST(RawStringConversion, RoundTripsBetweenEveryPair) {
    const StringEncoding all[] = {ShiftJis, Utf8, Utf7, Utf16BE, Utf16LE, Wide};
    const std::wstring texts[] = {L"abc", L"\u3042\u65E5\u672C x", L"+-/=~"};
    for (const std::wstring& text : texts) {
        for (StringEncoding from : all) {
            const RawString source(WideText(text.c_str()), from);
            for (StringEncoding to : all) {
                SCOPED_TRACE(testing::Message() << int(from) << " -> " << int(to));
                const RawString target(source, to);
                EXPECT_EQ(WideOf(target), text);
                EXPECT_EQ(target.UnitAt(target.Length()), 0u) << "unterminated";
            }
        }
    }
    const RawString surrogate = WideText(L"x\xD83D\xDE00y");
    for (StringEncoding to : {Utf8, Utf7, Utf16BE, Utf16LE})
        EXPECT_EQ(WideOf(RawString(surrogate, to)), L"x\xD83D\xDE00y");
    // The Mac and ANSI code pages at least carry ASCII.
    for (StringEncoding to : {Ansi, MacCodePage}) EXPECT_EQ(WideOf(RawString(WideText(L"Kx 1"), to)), L"Kx 1");
}

TEST(RawStringConversion, ConvertedBodiesAreExactlySized) {
    const RawString text(WideText(L"\u65E5\u672C"), Utf8);
    EXPECT_EQ(text.Ownership(), Owned);
    EXPECT_EQ(text.Capacity(), 6);
    const RawString wide(text, Wide);
    EXPECT_EQ(wide.Capacity(), 2);
}

TEST(RawStringConversion, BadInputIsSafe) {
    // An odd last byte of a UTF-16 byte run is ignored.
    EXPECT_EQ(WideOf(Units({0x61, 0x00, 0x62}, Utf16LE)), L"a");
    EXPECT_EQ(WideOf(Units({0x00, 0x61, 0x00}, Utf16BE)), L"a");
    EXPECT_TRUE(RawString(Units({0x61}, Utf16LE), Utf8).IsEmpty());
    // Embedded zero units survive.
    EXPECT_EQ(WideOf(Units({0x61, 0x00, 0x62}, Utf8)), std::wstring(L"a\0b", 3));
    // Invalid UTF-8 and a lone surrogate still give some text, and a terminated one.
    const RawString broken(Units({0xC3, 0x28, 0xFF, 0x80}, Utf8), Wide);
    EXPECT_GT(broken.Length(), 0);
    EXPECT_EQ(broken.UnitAt(broken.Length()), 0u);
    for (StringEncoding to : {Utf8, ShiftJis, Utf16BE}) {
        const RawString lone(WideText(L"a\xD800"), to);
        EXPECT_EQ(lone.UnitAt(lone.Length()), 0u);
    }
    EXPECT_TRUE(RawString(RawString(Wide, 0), ShiftJis).IsEmpty());
}

// ---- bodies and sharing ----

TEST(RawStringBody, LiteralIsConvertedOnceAndShared) {
    const RawString literal("abc");
    EXPECT_EQ(literal.Encoding(), Utf8);
    EXPECT_EQ(literal.Ownership(), Owned);
    EXPECT_EQ(UnitsOf(literal), (Bytes{'a', 'b', 'c'}));
    RawString copy(literal);
    EXPECT_TRUE(copy.SharesBodyWith(literal));
    EXPECT_EQ(literal.ShareCount(), 1);
    copy.Append('d');
    EXPECT_FALSE(copy.SharesBodyWith(literal));
    EXPECT_TRUE(literal.Equals("abc"));
    EXPECT_TRUE(copy.Equals("abcd"));
    EXPECT_EQ(literal.ShareCount(), 0);
    // Literal bytes are read as code page 932.
    EXPECT_EQ(UnitsOf(RawString("\x82\xA0")), (Bytes{0xE3, 0x81, 0x82}));
    EXPECT_TRUE(RawString("").IsEmpty());
}

TEST(RawStringBody, ViewsAreAlwaysCopied) {
    char text[] = "view";
    const RawString view = RawString::MakeView(text, -1, Utf8);
    EXPECT_EQ(view.Ownership(), View);
    EXPECT_EQ(view.Length(), 4);
    const RawString copy(view);
    EXPECT_FALSE(copy.SharesBodyWith(view));
    EXPECT_EQ(copy.Ownership(), Owned);
    RawString assigned;
    assigned = view;
    EXPECT_FALSE(assigned.SharesBodyWith(view));
    text[0] = 'V';
    EXPECT_TRUE(copy.Equals("view"));
    RawString written = RawString::MakeView(text, 4, Utf8);
    written.Append('!');
    EXPECT_EQ(written.Ownership(), Owned);
    EXPECT_STREQ(text, "View");
}

TEST(RawStringBody, OtherEncodingMakesNewBody) {
    const RawString text("abc");
    const RawString wide(text, Wide);
    EXPECT_FALSE(wide.SharesBodyWith(text));
    EXPECT_TRUE(RawString(text, Utf8).SharesBodyWith(text));
}

TEST(RawStringBody, AssignSharesConvertsAndSurvivesSelf) {
    RawString a("hello");
    RawString b;
    b = a;
    EXPECT_TRUE(b.SharesBodyWith(a));
    a = a;
    EXPECT_TRUE(a.Equals("hello"));
    a.AssignFrom(a, Wide);
    EXPECT_EQ(a.Encoding(), Wide);
    EXPECT_TRUE(a.Equals("hello"));
    EXPECT_TRUE(b.Equals("hello"));
    EXPECT_EQ(b.Encoding(), Utf8);
    RawString moved(std::move(a));
    EXPECT_TRUE(moved.Equals("hello"));
    EXPECT_TRUE(a.IsEmpty());  // NOLINT: a moved-from string stays a valid empty string
    a.Append('x');
    EXPECT_TRUE(a.Equals("x"));
}

TEST(RawStringBody, EmptyValues) {
    EXPECT_EQ(EmptyString().Ownership(), Empty);
    EXPECT_EQ(EmptyString().Encoding(), Utf8);
    RawString copy(EmptyString());
    EXPECT_TRUE(copy.SharesBodyWith(EmptyString()));
    copy.Append('a');
    EXPECT_TRUE(EmptyString().IsEmpty());
    EXPECT_EQ(RawString(Wide, 1).Capacity(), 1);
    EXPECT_EQ(RawString(Wide, -5).Capacity(), 0);
}

TEST(RawStringBody, GrowthRule) {
    struct Case {
        int32_t full;
        int32_t expected;
    };
    const Case cases[] = {{0, 22}, {198, 2 * 199 + 20}, {199, 2 * 200 + 100}, {250, 2 * 251 + 100}};
    for (StringEncoding encoding : {Utf8, Wide}) {
        for (const Case& c : cases) {
            RawString text(encoding, c.full);
            for (int32_t i = 0; i < c.full; ++i) text.Append('a');
            EXPECT_EQ(text.Capacity(), c.full);
            text.Append('b');
            EXPECT_EQ(text.Capacity(), c.expected) << c.full;
            EXPECT_EQ(text.UnitAt(c.full), uint32_t('b'));
            EXPECT_EQ(text.Length(), c.full + 1);
        }
    }
    RawString decimal;
    decimal.AppendDecimal(5);
    EXPECT_EQ(decimal.Capacity(), 67);
}

TEST(RawStringBody, FromRangeCopiesExactlyAndClips) {
    const RawString text("abcdef");
    const RawString part = RawString::FromRange(text, 1, 4);
    EXPECT_TRUE(part.Equals("bcd"));
    EXPECT_EQ(part.Capacity(), 3);
    EXPECT_TRUE(RawString::FromRange(text, -5, 2).Equals("ab"));
    EXPECT_TRUE(RawString::FromRange(text, 4, 100).Equals("ef"));
    EXPECT_EQ(RawString::FromRange(text, 4, 2, Wide).Encoding(), Wide);
    EXPECT_TRUE(RawString::FromRange(text, 4, 2, Wide).IsEmpty());
    const RawString wide = RawString::FromRange(WideText(L"x\u3042y"), 1, 2, ShiftJis);
    EXPECT_EQ(UnitsOf(wide), (Bytes{0x82, 0xA0}));
}

// ---- editing ----

TEST(RawStringEdit, InsertReplaceAndConcat) {
    RawString text("abcdef");
    text.InsertUnderscore(2);
    EXPECT_TRUE(text.Equals("ab_cdef"));
    text.InsertUnderscore(7);
    EXPECT_TRUE(text.Equals("ab_cdef_"));
    text.InsertUnderscore(9);
    text.InsertUnderscore(-1);
    EXPECT_TRUE(text.Equals("ab_cdef_"));

    struct Case {
        int32_t first, end;
        const char* other;
        int32_t otherFirst, otherEnd;
        const char* expected;
    };
    const Case cases[] = {
        {1, 3, "XYZ", 0, 3, "aXYZdef"},   {1, 5, "XY", 0, 2, "aXYf"},    {0, 6, "", 0, 0, ""},
        {-3, 1, "XYZ", 1, 99, "YZbcdef"}, {6, 99, "!", 0, 1, "abcdef!"}, {2, 2, "-", 0, 1, "ab-cdef"},
    };
    for (const Case& c : cases) {
        RawString target("abcdef");
        const RawString before(target);
        target.ReplaceRange(c.first, c.end, c.other, c.otherFirst, c.otherEnd);
        EXPECT_TRUE(target.Equals(c.expected)) << c.expected;
        EXPECT_TRUE(before.Equals("abcdef"));
    }
    RawString self("abc");
    self.ReplaceRange(1, 2, self, 0, 3);
    EXPECT_TRUE(self.Equals("aabcc"));

    RawString joined(Wide, 0);
    joined.Concat("ab", RawString(), WideText(L"\u3042"), RawString("c"));
    EXPECT_EQ(WideOf(joined), L"ab\u3042c");
}

TEST(RawStringEdit, AppendRangeAndGaps) {
    RawString text("ab");
    text.AppendRange(text, 0, 2);
    EXPECT_TRUE(text.Equals("abab"));
    text.AppendRange("xyz", 2, 1);
    text.AppendRange("xyz", -4, 1);
    EXPECT_TRUE(text.Equals("ababx"));
    RawString narrow;
    narrow.AppendRange(WideText(L"\u3141"), 0, 1);  // wide unit stored as its low byte
    EXPECT_EQ(UnitsOf(narrow), Bytes{0x41});
    text.Truncate(2);
    text.SetUnit(5, 'q');
    text.InsertGap(1, 2);
    EXPECT_EQ(text.Length(), 4);
    EXPECT_EQ(text.UnitAt(3), uint32_t('b'));
}

// ---- comparison and search ----

TEST(RawStringCompare, EqualityAndCase) {
    EXPECT_TRUE(RawString("abc").Equals(WideText(L"abc")));
    EXPECT_FALSE(RawString("abc").Equals("abd"));
    EXPECT_TRUE(RawString("Ab").RangeEqualsIgnoreCase(0, 2, "aB", 0, 2));
    EXPECT_FALSE(WideText(L"\u00E9").RangeEqualsIgnoreCase(0, 1, WideText(L"\u00C9"), 0, 1));
    EXPECT_FALSE(RawString("[").RangeEqualsIgnoreCase(0, 1, "{", 0, 1));
    EXPECT_TRUE(RawString("abc").RangeEquals(5, 9, "", 0, 0));
    EXPECT_TRUE(RawString("abcd").RangeEquals(1, 3, "xbc", 1, 99));
    EXPECT_TRUE(RawString("Hello").MatchesAtIgnoreCase(1, "ELx", 2));
    EXPECT_FALSE(RawString("Hello").MatchesAt(4, "ox", 2));  // this side clipped to 1 unit
    EXPECT_TRUE(RawString("Hello").MatchesAt(3, "lo", 2));
}

TEST(RawStringSearch, StepsOverTrailUnits) {
    // 0x83 0x5C is one code page 932 character whose trail byte equals a backslash.
    const RawString sjis = Units({0x83, 0x5C, 0x5C, 0x41}, ShiftJis);
    EXPECT_EQ(sjis.FindUnit(0x5C, 0), 2);
    EXPECT_EQ(sjis.Find("\\", 0, 4), 2);
    EXPECT_EQ(sjis.FindFirstOf("\\A", 0), 2);
    EXPECT_EQ(sjis.FindLastOf("\\", 0, 4), 2);
    EXPECT_EQ(sjis.FindUnitInRange(0x5C, 0, 1), 1);
    const RawString utf8 = Units({0xE3, 0x81, 0x82, 0x82}, Utf8);
    EXPECT_EQ(utf8.FindUnit(0x82, 0), 3);
    EXPECT_EQ(utf8.FindUnit(0x99, 0), 4);
    EXPECT_EQ(utf8.FindUnitInRange(0x82, 0, 3), 3);
}

TEST(RawStringSearch, PlainSearches) {
    const RawString text("a,b;c,d");
    EXPECT_EQ(text.Find(",d", 0, 7), 5);
    EXPECT_EQ(text.Find(",d", 0, 6), 6);
    EXPECT_EQ(text.Find("", 2, 4), 4);
    EXPECT_EQ(text.FindUnit(',', -9), 1);
    EXPECT_EQ(text.FindUnit('z', 99), 7);
    EXPECT_EQ(text.FindLastOf(",", 0, 5), 1);
    EXPECT_EQ(text.FindLastOf("x", 0, 5), 5);
    EXPECT_EQ(RawString("   ").SkipAll(" ", 0), 3);
    EXPECT_FALSE(text.IsUnitIn(7, "abcd"));
    EXPECT_FALSE(text.IsUnitIn(0, ""));
    const RawString lines = Units({'a', 13, 10, 'b', 10}, Utf8);
    EXPECT_EQ(lines.FindLineEnd(0, 5), 1);
    EXPECT_EQ(lines.FindLineEnd(3, 4), 4);
    EXPECT_EQ(lines.CountLineFeeds(), 2);
}

TEST(RawStringSearch, TrimRange) {
    struct Case {
        const char* text;
        int32_t first, end;
        int32_t start, stop;
    };
    const Case cases[] = {{"  ab  ", 0, 6, 2, 4}, {"    ", 0, 4, 4, 4}, {"  ab  ", 3, 99, 3, 4},
                          {"ab", -2, 2, 0, 2},    {"", 0, 0, 0, 0},     {" x ", 1, 2, 1, 2}};
    for (const Case& c : cases) {
        const RawRange range = RawString(c.text).TrimRange(c.first, c.end, " ");
        EXPECT_EQ(range.start, c.start) << c.text;
        EXPECT_EQ(range.end, c.stop) << c.text;
    }
}

TEST(RawStringSearch, TrailCount) {
    EXPECT_EQ(Units({0xE3, 0x81, 0x82}, Utf8).TrailCount(0), 2);
    EXPECT_EQ(Units({0xE3, 0x81}, Utf8).TrailCount(0), 1);  // never past the end
    EXPECT_EQ(Units({0x82, 0xA0}, ShiftJis).TrailCount(0), 1);
    EXPECT_EQ(Units({0xA0, 0x82}, ShiftJis).TrailCount(0), 0);
    EXPECT_EQ(WideText(L"\xD83D\xDE00").TrailCount(0), 1);
    EXPECT_EQ(WideText(L"\xD83D\xDE00").TrailCount(1), 0);
    const RawString big = Units({0xD8, 0x3D, 0xDE, 0x00, 0x00, 0x41}, Utf16BE);
    EXPECT_EQ(big.TrailCount(0), 3);
    EXPECT_EQ(big.TrailCount(1), 0);
    EXPECT_EQ(big.TrailCount(4), 1);
    EXPECT_EQ(Units({0x3D, 0xD8, 0x00, 0xDE}, Utf16LE).TrailCount(0), 3);
    EXPECT_EQ(Units({0xE3}, Ansi).TrailCount(0), 0);
    EXPECT_EQ(RawString("a").TrailCount(5), 0);
}

// ---- number text ----

TEST(RawStringNumber, ParseNumber) {
    struct Case {
        const char* text;
        bool complete;
        char sign;
        uint64_t magnitude;
    };
    const Case cases[] = {
        {"123", true, 0, 123},
        {"-0x1F", true, '-', 31},
        {"+0b101", true, '+', 5},
        {"0xff", true, 0, 255},
        {"12a4", false, 0, 12},
        {"0x1g", false, 0, 1},
        {"0b12", false, 0, 1},
        {"0X10", false, 0, 0},
        {"", true, 0, 0},
        {"-", true, '-', 0},
        {" 1", false, 0, 0},
        {"18446744073709551615", true, 0, UINT64_MAX},
        {"18446744073709551617", true, 0, 1},  // wraps modulo 2^64
    };
    for (const Case& c : cases) {
        const ParsedNumber number = RawString(c.text).ParseNumber();
        EXPECT_EQ(number.complete, c.complete) << c.text;
        EXPECT_EQ(number.sign, c.sign) << c.text;
        EXPECT_EQ(number.magnitude, c.magnitude) << c.text;
    }
    EXPECT_EQ(RawString("x-12y").ParseNumber(1, 4).Signed(), -12);
    EXPECT_EQ(RawString("-9223372036854775808").ParseNumber().Signed(), INT64_MIN);
    EXPECT_EQ(WideText(L"42").ParseNumber(-3, 77).magnitude, 42u);
    EXPECT_EQ(static_cast<int16_t>(RawString("-1").ParseNumber().Signed()), -1);
}

TEST(RawStringNumber, AppendDecimal) {
    const std::pair<int64_t, const char*> cases[] = {{0, "0"},
                                                     {-5, "-5"},
                                                     {1234567890, "1234567890"},
                                                     {INT64_MAX, "9223372036854775807"},
                                                     {INT64_MIN, "-9223372036854775808"}};
    for (const auto& [value, text] : cases) EXPECT_TRUE(RawString::Decimal(value).Equals(text)) << text;
    RawString wide = WideText(L"n=");
    wide.AppendDecimal(-17);
    EXPECT_EQ(WideOf(wide), L"n=-17");
}

TEST(RawStringNumber, AppendDecimalWidth) {
    struct Case {
        uint64_t value;
        int32_t width;
        const char* text;
    };
    const Case cases[] = {{7, 3, "007"},
                          {12345, 3, "345"},
                          {2024, 4, "2024"},
                          {0, 2, "00"},
                          {99, 0, ""},
                          {99, -4, ""},
                          {UINT64_MAX, 25, "0000018446744073709551615"}};
    for (const Case& c : cases) {
        RawString text("T");
        text.AppendDecimalWidth(c.value, c.width);
        EXPECT_TRUE(text.Equals((std::string("T") + c.text).c_str())) << c.value << "/" << c.width;
    }
}

// ---- escaped text ----

TEST(RawStringEscape, BothWays) {
    struct Case {
        Bytes plain;
        const char* escaped;
    };
    const Case cases[] = {
        {{'a', 13, 10, 'b'}, "a\\nb"},
        {{13, 13, 10}, "\\n\\n"},
        {{10, 13}, "\\n\\n"},
        {{9, '\\', 'x'}, "\\t\\x"},
        {{}, ""},
    };
    for (const Case& c : cases) EXPECT_TRUE(Units(c.plain, Utf8).EscapeControls().Equals(c.escaped)) << c.escaped;

    const std::pair<const char*, Bytes> back[] = {{"a\\nb", {'a', 13, 10, 'b'}},
                                                  {"\\t\\s\\q\\\\", {9, ' ', 'q', '\\'}},
                                                  {"x\\", {'x', '\\'}},
                                                  {"plain", {'p', 'l', 'a', 'i', 'n'}}};
    for (const auto& [escaped, plain] : back)
        EXPECT_EQ(UnitsOf(RawString(escaped).UnescapeControls()), plain) << escaped;

    const RawString wide = WideText(L"\u3042\r\n\t");
    EXPECT_EQ(WideOf(wide.EscapeControls()), L"\u3042\\n\\t");
    EXPECT_EQ(wide.EscapeControls().Encoding(), Wide);
    EXPECT_EQ(WideOf(wide.EscapeControls().UnescapeControls()), L"\u3042\r\n\t");
}

TEST(RawStringEscape, ShiftJisTrailBackslashIsNotAnEscape) {
    const RawString sjis = Units({0x83, 0x5C, 'n', 0x5C, 'n'}, ShiftJis);
    EXPECT_EQ(UnitsOf(sjis.UnescapeControls()), (Bytes{0x83, 0x5C, 'n', 13, 10}));
    EXPECT_EQ(UnitsOf(sjis.EscapeControls()), UnitsOf(sjis));
}

// ---- platform call forms ----

TEST(RawStringNative, CallForms) {
    struct Case {
        RawString text;
        NativeForm form;
    };
    const Case cases[] = {
        {RawString(), EmptyText},
        {RawString(Wide, 4), EmptyText},
        {RawString("plain ~"), Narrow},
        {Units({'a', 0x7F}, Utf8), WideConverted},
        {Units({0xC3, 0xA9}, Utf8), WideConverted},
        {Units({0x82, 0xA0}, ShiftJis), Narrow},
        {Units({0xE9}, Ansi), Narrow},
        {WideText(L"w"), WideDirect},
        {Units({'a'}, Utf7), WideConverted},
        {Units({'a'}, MacCodePage), WideConverted},
        {Units({'a', 0}, Utf16LE), WideConverted},
        {Units({0, 'a'}, Utf16BE), WideConverted},
    };
    for (const Case& c : cases) EXPECT_EQ(c.text.NativeCallForm(), c.form) << int(c.text.Encoding());

    const RawString empty, narrow("a"), wide = WideText(L"a"), converted = Units({0xC3, 0xA9}, Utf8);
    EXPECT_EQ(NativeCallForm(empty, empty), Narrow);
    EXPECT_EQ(NativeCallForm(narrow, empty), Narrow);
    EXPECT_EQ(NativeCallForm(empty, wide), WideDirect);
    EXPECT_EQ(NativeCallForm(narrow, wide), WideConverted);
    EXPECT_EQ(NativeCallForm(wide, converted), WideConverted);
    EXPECT_EQ(NativeCallForm(empty, empty, wide), WideDirect);
    EXPECT_EQ(NativeCallForm(narrow, empty, narrow), Narrow);
    EXPECT_EQ(NativeCallForm(wide, empty, narrow), WideConverted);
}

// ---- encoding services ----

TEST(RawStringEncoding, ClassifyShiftJisOrUtf8) {
    const std::pair<Bytes, int> cases[] = {
        {{0xC3, 0xA9}, 2},                          // two one-byte 932 characters against one UTF-8 character
        {{0x82, 0xA0}, 1},                          // stray UTF-8 continuation byte
        {{'a', 'b', 'c'}, 1},                       // plain ASCII
        {{}, 1},                                    //
        {{0xE3, 0x81, 0x82}, 1},                    // both valid, no one-byte 932 character
        {{0xE6, 0x97, 0xA5, 0xE6, 0x9C, 0xAC}, 2},  // UTF-8 that also reads as 932 with kana
        {{0x93, 0xFA, 0x96, 0x7B}, 1},              // 932 that is not UTF-8
        {{0xC3, 0x80}, 2},                          // 0x80 is no 932 byte
        {{0x82}, 1},                                // ends inside a character
        {{0xC0, 0xA1}, 1},                          // UTF-8 overlong lead
    };
    for (const auto& [bytes, expected] : cases) {
        EXPECT_EQ(ClassifyShiftJisOrUtf8(bytes.data(), static_cast<int32_t>(bytes.size())), expected)
            << testing::PrintToString(bytes);
    }
    EXPECT_EQ(ClassifyShiftJisOrUtf8(nullptr, 5), 1);
}

TEST(RawStringEncoding, CutAtCharBoundary) {
    struct Case {
        StringEncoding encoding;
        Bytes bytes;
        int32_t cut;
    };
    const Case cases[] = {
        {ShiftJis, {'a', 0x82}, 1},
        {ShiftJis, {0x82, 0x82}, 2},
        {ShiftJis, {0x82, 0x82, 0x82}, 2},
        {ShiftJis, {0x82, 0xA0}, 2},
        {Utf8, {'a', 0xE3, 0x81}, 1},
        {Utf8, {'a', 0xE3, 0x81, 0x82}, 4},
        {Utf8, {0x81, 0x82}, 0},
        {Utf8, {'a', 0xFF, 0x81}, 3},
        {Utf8, {'a', 0xF0}, 1},
        {Utf16LE, {0x61, 0x00, 0x62}, 2},
        {Utf16LE, {0x61, 0x00, 0x3D, 0xD8}, 2},
        {Utf16BE, {0x00, 0x61, 0xD8, 0x3D, 0xDE}, 2},
        {Wide, {0x3D, 0xD8, 0x00, 0xDE}, 4},
        {Ansi, {'a', 'b'}, 0},
        {Utf7, {'a'}, 0},
        {MacCodePage, {'a'}, 0},
        {Utf8, {}, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CutAtCharBoundary(c.encoding, c.bytes.data(), static_cast<int32_t>(c.bytes.size())), c.cut)
            << int(c.encoding) << " " << testing::PrintToString(c.bytes);
    }
    const uint8_t one[] = {'a'};
    EXPECT_EQ(CutAtCharBoundary(Utf8, one, -3), 0);
}

TEST(RawStringEncoding, ByteOrderMarks) {
    const std::pair<Bytes, int> cases[] = {{{0xFE, 0xFF}, Utf16BE},
                                           {{0xFF, 0xFE, 0x41}, Utf16LE},
                                           {{0xEF, 0xBB, 0xBF}, Utf8},
                                           {{0xEF, 0xBB}, 0},
                                           {{0xFE}, 0},
                                           {{'+', '/', 'v', '8', '-'}, 0}};
    for (const auto& [bytes, expected] : cases) {
        EXPECT_EQ(SniffByteOrderMark(bytes.data(), static_cast<int32_t>(bytes.size())), expected);
    }
    for (StringEncoding encoding : {Utf8, Utf16BE, Utf16LE}) {
        const ByteOrderMarkBytes mark = ByteOrderMarkOf(encoding);
        EXPECT_EQ(SniffByteOrderMark(mark.bytes, mark.length), encoding);
    }
    EXPECT_EQ(ByteOrderMarkOf(Ansi).length, 0);
}

namespace {

constexpr int kCopyRounds = 100000;

// Shares the string's body twice and lets both shares go, many times over.
DWORD WINAPI CopyAndDropMany(LPVOID text) {
    const RawString& source = *static_cast<const RawString*>(text);
    for (int round = 0; round < kCopyRounds; ++round) {
        RawString copy(source);
        const RawString second(copy);
    }
    return 0;
}

}  // namespace

// Handles of one body copied and dropped in four threads at once: every change of the share
// count is made under the body's lock, so none is lost and the body outlives them all.
TEST(RawString, CopiesFromManyThreadsKeepTheShareCountExact) {
    const RawString text = RawString::FromWide(L"shared by threads");
    HANDLE threads[4];
    for (HANDLE& thread : threads) {
        thread = CreateThread(nullptr, 0, &CopyAndDropMany, const_cast<RawString*>(&text), 0, nullptr);
        ASSERT_NE(thread, nullptr);
    }
    EXPECT_EQ(WaitForMultipleObjects(4, threads, TRUE, 60000), WAIT_OBJECT_0);
    for (HANDLE thread : threads) CloseHandle(thread);
    EXPECT_EQ(text.ShareCount(), 0);
    EXPECT_STREQ(text.WideUnits(), L"shared by threads");
}
