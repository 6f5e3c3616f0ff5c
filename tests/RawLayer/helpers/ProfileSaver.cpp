// Test helper: saves the large section into the profile named by its argument, once; exit code 0
// when the save said it saved. The test kills it at random points of the save.
#include <windows.h>

#include "LargeSection.h"
#include "RawLayer/RawProfile.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    RawLayer::RawProfile profile(RawLayer::RawString::FromWide(argv[1]));
    return profile.WriteSection(TestSupport::LargeSection(), "Big") ? 0 : 3;
}
