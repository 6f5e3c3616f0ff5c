#include "WinLayer/WinEnvironment.h"

namespace WinLayer {

namespace {
constexpr int kDefaultGap = 4;
}

WinEnvironment::WinEnvironment()
    : instance_(GetModuleHandleW(nullptr)), defaultFont_(WinFont::DefaultLogFont()), standardGap_(kDefaultGap) {}

WinEnvironment& Environment() {
    static WinEnvironment environment;
    return environment;
}

}  // namespace WinLayer
