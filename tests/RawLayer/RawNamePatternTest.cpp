#include "RawLayer/RawNamePattern.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace RawLayer;

namespace {

std::vector<std::string> CapturedTexts(const RawNamePattern& pattern, const RawString& name) {
    std::vector<std::string> texts;
    for (const RawRange& range : pattern.Captures()) {
        RawString part(RawString::FromRange(name, range.start, range.end), Utf8);
        texts.emplace_back(part.Bytes(), part.Length());
    }
    return texts;
}

struct MatchCase {
    const char* pattern;
    bool anchored;
    bool ignoreCase;
    const char* name;
    bool matches;
    std::vector<std::string> captures;
};

TEST(RawNamePatternTest, Matches) {
    const MatchCase cases[] = {
        {"ReadMe_*.txt", true, true, "readme_Guide.TXT", true, {"Guide"}},
        {"ReadMe_*.txt", true, false, "readme_Guide.TXT", false, {}},
        {"ReadMe_*.txt", true, true, "ReadMe_Guide.txt.bak", false, {}},
        {"ReadMe_*.txt", false, true, "ReadMe_Guide.txt.bak", true, {"Guide"}},
        {"abc", false, false, "abcdef", true, {}},
        {"abc", true, false, "abcdef", false, {}},
        {"abc", false, false, "ab", false, {}},
        {"a?c", true, false, "abc", true, {"b"}},
        {"a?c", true, false, "ac", false, {}},
        {"*", true, false, "", true, {""}},
        {"*.*", true, false, "name", false, {}},
        {"*.*", true, false, "a.b.c", true, {"a.b", "c"}},  // longest first
        {"a*b?c*", true, false, "a12b3c45", true, {"12", "3", "45"}},
        {"*x*", true, false, "axbxc", true, {"axb", "c"}},
        {"x%ny", true, false, "x\ny", true, {}},
        {"x%ny", true, false, "x\r\ny", true, {}},
        {"x%ny", true, false, "x\ry", false, {}},
        {"x%ny", true, false, "xny", false, {}},
        {"%O1%C%s%B2%E", true, false, "(1) [2]", true, {}},
        {"%q%i%l%m%v%t%J%K%r", true, false, "\";:,|\t><\r", true, {}},
        {"%e*", true, false, "%rest", true, {"rest"}},
        {"%*", true, false, "*", true, {}},
        {"%*", true, false, "a", false, {}},
        {"%?", true, false, "?", true, {}},
        {"%x", true, true, "X", false, {}},  // no folding inside escapes
        {"100%", true, false, "100%", true, {}},
        {"?", true, false, "", false, {}},
    };
    for (const MatchCase& c : cases) {
        RawNamePattern pattern(c.pattern, c.anchored, c.ignoreCase);
        RawString name(RawString::FromUnits(c.name, -1, Utf8));
        EXPECT_EQ(pattern.Match(name), c.matches) << c.pattern << " / " << c.name;
        if (c.matches) {
            EXPECT_EQ(CapturedTexts(pattern, name), c.captures) << c.pattern << " / " << c.name;
        }
    }
}

TEST(RawNamePatternTest, FailedMatchLeavesNoCaptures) {
    RawNamePattern pattern("*.txt", true, false);
    ASSERT_TRUE(pattern.Match("a.txt"));
    EXPECT_EQ(pattern.Captures().Count(), 1);
    EXPECT_FALSE(pattern.Match("a.doc"));
    EXPECT_EQ(pattern.Captures().Count(), 0);
}

TEST(RawNamePatternTest, CapturesArePositionsInTheNamesOwnEncoding) {
    RawNamePattern pattern("ReadMe_*.txt", true, true);
    RawString name = RawString::FromWide(L"README_\u65E5\u672C\u8A9E.txt");
    ASSERT_TRUE(pattern.Match(name));
    const RawRange* capture = pattern.Captures().First();
    EXPECT_EQ(capture->start, 7);
    EXPECT_EQ(capture->end, 10);
}

TEST(RawNamePatternTest, ManyStarsFailInPolynomialTime) {
    // Plain longest-first backtracking tries every way of placing the stars: far too many.
    std::string text(400, 'a');
    RawString name = RawString::FromUnits(text.data(), static_cast<int32_t>(text.size()), Utf8);
    RawNamePattern pattern("*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b", true, false);
    ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(pattern.Match(name));
    EXPECT_LT(GetTickCount64() - start, 5000u);

    RawNamePattern found("*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a", true, false);
    EXPECT_TRUE(found.Match(name));
    EXPECT_EQ(found.Captures().Count(), 24);
    EXPECT_EQ(found.Captures().First()->end, 400 - 24);  // the first star takes the most
}

}  // namespace
