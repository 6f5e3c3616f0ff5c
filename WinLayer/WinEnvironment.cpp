#include "WinLayer/WinEnvironment.h"

#include "RawLayer/RawPhaseClock.h"

namespace WinLayer {

namespace {
constexpr int kDefaultGap = 4;
}

WinEnvironment::WinEnvironment()
    : instance_(GetModuleHandleW(nullptr)), defaultDescription_(WinFont::DefaultLogFont()), standardGap_(kDefaultGap) {}

WinEnvironment::~WinEnvironment() {
    for (HDC context : spareContexts_) DeleteDC(context);
}

HDC WinEnvironment::LendMemoryContext() {
    HDC context = nullptr;
    if (!spareContexts_.empty()) {
        context = spareContexts_.back();
        spareContexts_.pop_back();
    } else {
        context = CreateCompatibleDC(nullptr);
    }
    if (context && SaveDC(context) == 0) {
        DeleteDC(context);
        return nullptr;
    }
    return context;
}

void WinEnvironment::TakeBackMemoryContext(HDC context) {
    if (!context) return;
    if (RestoreDC(context, -1)) {
        spareContexts_.push_back(context);
    } else {
        DeleteDC(context);  // its state is unknown: not lent again
    }
}

const WinFont& WinEnvironment::DefaultFont() const {
    if (!defaultFont_) {
        defaultFont_ = std::make_unique<WinFont>(defaultDescription_);
        KAIRODEX_PHASE("default font made");
    }
    return *defaultFont_;
}

bool WinEnvironment::ReplaceDefaultFont(const LOGFONTW& logFont) {
    if (defaultFont_) {
        auto font = std::make_unique<WinFont>(logFont);
        if (!font->Handle()) return false;  // the description keeps telling the font in use
        // Windows made with the old font hold its handle; deleting it would leave them drawing
        // with a dead object, so it is kept until the record ends.
        replacedFonts_.push_back(std::move(defaultFont_));
        defaultFont_ = std::move(font);
    }
    defaultDescription_ = logFont;
    return true;
}

WinEnvironment& Environment() {
    static WinEnvironment environment;
    return environment;
}

}  // namespace WinLayer
