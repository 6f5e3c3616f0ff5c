#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RawLayer/FileBytes.h"
#include "RawLayer/RawProfile.h"
#include "RawLayer/TempFolder.h"
#include "RawStringText.h"
#include "WinLayer/WinRectParameters.h"

using RawLayer::RawParameterList;
using RawLayer::RawString;
using namespace WinLayer;

using TestText::Bytes;
using TestText::Entries;

namespace {

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

// Written as four keys after the list's other entries; writing again updates them in place.
TEST(WinRectParameters, WritesFourKeys) {
    RawParameterList list;
    list.Add("Other", "1");
    WriteRectParameters(list, "WindowRect", RECT{-8, 20, 1300, 2147483647});
    WriteRectParameters(list, "WindowRect", RECT{-8, 20, 1300, -2147483647 - 1});
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"Other=1", "WindowRect_L=-8", "WindowRect_T=20",
                                                       "WindowRect_R=1300", "WindowRect_B=-2147483648"}));
}

// Through a real profile file and back; keys are found whatever their case; a missing key leaves
// its edge; keys of another name are not read.
TEST(WinRectParameters, ReadsBackWhatWasStoredAndKeepsMissingEdges) {
    TempFolder scratch;
    RawLayer::RawProfile profile(RawString(RawString::FromWide(scratch.Below(L"Gui.ini").c_str()), RawLayer::Utf8));
    const RECT stored = {-1920, 5, -100, 900};
    RawParameterList written;
    WriteRectParameters(written, "WindowRect", stored);
    ASSERT_TRUE(profile.WriteSection(written, "MainDialog"));
    RawParameterList read;
    ASSERT_TRUE(profile.ReadSection(read, "MainDialog"));
    RECT rect = {1, 2, 3, 4};
    ReadRectParameters(read, "WindowRect", rect);
    EXPECT_TRUE(SameRect(rect, stored));

    // Anything but a whole number within the largest edge leaves its edge and is reported.
    const struct {
        const char* section;
        RECT expected;
        bool sound;
    } cases[] = {
        {"WindowRect_L=77\r\n", {77, 2, 3, 4}, true},
        {"windowrect_b=0x10\r\nWindowRect_T=-5x\r\n", {1, 2, 3, 16}, false},
        {"Other_L=9\r\nWindowRect=5\r\nWindowRectL=6\r\n", {1, 2, 3, 4}, true},
        {"WindowRect_R=\r\n", {1, 2, 3, 4}, false},
        {"WindowRect_L=-1000000\r\nWindowRect_R=1000000\r\n", {-1000000, 2, 1000000, 4}, true},
        {"WindowRect_L=-1000001\r\nWindowRect_T=2147483647\r\nWindowRect_R=18446744073709551617\r\n",
         {1, 2, 3, 4},
         false},
    };
    for (const auto& item : cases) {
        ASSERT_TRUE(FileBytes::Write(scratch.Below(L"Gui.ini"), std::string("[MainDialog]\r\n") + item.section));
        profile.ReadSection(read, "MainDialog");
        RECT edges = {1, 2, 3, 4};
        EXPECT_EQ(ReadRectParameters(read, "WindowRect", edges), item.sound) << item.section;
        EXPECT_TRUE(SameRect(edges, item.expected)) << item.section;
    }
}
