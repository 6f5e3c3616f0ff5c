// The deepest trees: a walk 1,500 folders deep, far past MAX_PATH. Its own program, run once,
// since Wine takes minutes over it (every opened path is resolved one component at a time).
#include "AppLayer/FileTimeApply.h"

#include <gtest/gtest.h>

#include <string>

#include "AppLayer/FileTimeApplySupport.h"

using namespace AppLayer;
using namespace FileTimeTest;
using RawLayer::RawString;
using RawLayer::RawStringList;

namespace {

class FileTimeDeepTreeTest : public RecordingTest {};

}  // namespace

TEST_F(FileTimeDeepTreeTest, TreesPastMaxPathAreWalkedToTheBottom) {
    constexpr int kDepth = 1500;
    const std::wstring deepest = scratch_.MakeChain(kDepth);
    ASSERT_TRUE(PathExists(deepest));
    std::wstring middle = scratch_.Path();
    for (int level = 0; level < 100; ++level) middle += L"\\d";
    middle += L"\\middle.txt";
    const std::wstring bottom = deepest + L"\\bottom.txt";
    ASSERT_TRUE(MakeFile(middle));
    ASSERT_TRUE(MakeFile(bottom));
    ASSERT_GT(bottom.size(), 3000u);
    // The target is narrow text in plain form, as a user names it; the walk must still reach
    // paths that only the wide calls take, and only in the long form on Windows.
    const RawString target(Wide(scratch_.Path()), RawLayer::Utf8);
    ASSERT_EQ(target.NativeCallForm(), RawLayer::Narrow);
    RawStringList targets;
    targets.Add(target);
    const SYSTEMTIME chosen = Time(2024, 9, 7, 12, 34, 56, 789);
    EXPECT_EQ(ApplyToAll(Chosen(ShowUtc | kAllParts | SetLastWrite, chosen), targets), 0u);
    EXPECT_EQ(Records().size(), 2u);
    EXPECT_EQ(UtcText(ReadTimes(middle).lastWrite), UtcText(Utc(chosen)));
    EXPECT_EQ(UtcText(ReadTimes(bottom).lastWrite), UtcText(Utc(chosen)));
}
