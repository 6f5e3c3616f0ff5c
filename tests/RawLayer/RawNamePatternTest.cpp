#include "RawLayer/RawNamePattern.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace RawLayer;

namespace {

std::vector<std::string> CapturedTexts(const RawNamePattern& pattern, const RawString& name) {
    std::vector<std::string> texts;
    for (const RawRange& range : pattern.Captures()) {
        texts.emplace_back(name.Bytes() + range.start, range.end - range.start);
    }
    return texts;
}

TEST(RawNamePatternTest, Matches) {
    const struct {
        const char* pattern;
        bool anchored, ignoreCase;
        const char* name;
        bool matches;
        std::vector<std::string> captures;
    } cases[] = {
        {"ReadMe_*.txt", true, true, "readme_Guide.TXT", true, {"Guide"}},
        {"ReadMe_*.txt", true, false, "readme_Guide.TXT", false, {}},
        {"ReadMe_*.txt", true, true, "ReadMe_Guide.txt.bak", false, {}},
        {"ReadMe_*.txt", false, true, "ReadMe_Guide.txt.bak", true, {"Guide"}},
        {"abc", false, false, "abcdef", true, {}},
        {"abc", true, false, "abcdef", false, {}},
        {"abc", false, false, "ab", false, {}},
        {"a?c", true, false, "abc", true, {"b"}},
        {"?", true, false, "", false, {}},
        {"*", true, false, "", true, {""}},
        {"*.*", true, false, "a.b.c", true, {"a.b", "c"}},  // longest first
        {"a*b?c*", true, false, "a12b3c45", true, {"12", "3", "45"}},
        {"x%ny", true, false, "x\ny", true, {}},
        {"x%ny", true, false, "x\r\ny", true, {}},
        {"x%ny", true, false, "x\ry", false, {}},
        {"%O1%C%s%B2%E%e%q%i%l%m%v%t%J%K%r", true, false, "(1) [2]%\";:,|\t><\r", true, {}},
        {"%*%?", true, false, "*?", true, {}},
        {"%x", true, true, "X", false, {}},  // no folding inside escapes
        {"100%", true, false, "100%", true, {}},
    };
    for (const auto& c : cases) {
        RawNamePattern pattern(c.pattern, c.anchored, c.ignoreCase);
        RawString name(RawString::FromUnits(c.name, -1, Utf8));
        EXPECT_EQ(pattern.Match(name), c.matches) << c.pattern << " / " << c.name;
        std::vector<std::string> none;
        EXPECT_EQ(CapturedTexts(pattern, name), c.matches ? c.captures : none) << c.pattern << " / " << c.name;
    }
}

TEST(RawNamePatternTest, ManyStarsStayFast) {
    // Plain longest-first backtracking would try every placement of the stars: far too many.
    std::string text(400, 'a');
    RawString name = RawString::FromUnits(text.data(), static_cast<int32_t>(text.size()), Utf8);
    std::string stars;
    for (int i = 0; i < 24; ++i) stars += "*a";
    RawNamePattern failing((stars + "b").c_str(), true, false);
    EXPECT_FALSE(failing.Match(name));
    RawNamePattern matching(stars.c_str(), true, false);
    EXPECT_TRUE(matching.Match(name));
    EXPECT_EQ(matching.Captures().First()->end, 400 - 24);  // the first star takes the most
}

}  // namespace
