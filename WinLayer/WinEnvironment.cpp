#include "WinLayer/WinEnvironment.h"

namespace WinLayer {

namespace {
constexpr int kDefaultGap = 4;
}

WinEnvironment::WinEnvironment()
    : instance_(GetModuleHandleW(nullptr)),
      defaultDescription_(WinFont::DefaultLogFont()),
      defaultFontMade_(false),
      standardGap_(kDefaultGap) {}

const WinFont& WinEnvironment::DefaultFont() const {
    if (!defaultFontMade_) {
        defaultFont_.Create(defaultDescription_);
        defaultFontMade_ = true;
    }
    return defaultFont_;
}

bool WinEnvironment::ReplaceDefaultFont(const LOGFONTW& logFont) {
    defaultDescription_ = logFont;
    return !defaultFontMade_ || defaultFont_.Create(logFont);
}

WinEnvironment& Environment() {
    static WinEnvironment environment;
    return environment;
}

}  // namespace WinLayer
