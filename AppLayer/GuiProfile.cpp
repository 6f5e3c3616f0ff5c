#include "AppLayer/GuiProfile.h"

#include "RawLayer/RawLanguageTexts.h"
#include "RawLayer/RawList.h"
#include "WinLayer/WinCommonDialog.h"
#include "WinLayer/WinEnvironment.h"
#include "WinLayer/WinFontParameters.h"

using RawLayer::RawParameterList;
using RawLayer::RawParameterUnit;
using RawLayer::RawString;

namespace AppLayer {
namespace {

void SelectLanguage(GuiProfile& gui) {
    static const RawString kSection("UserSelection"), kKey("Language");
    RawLayer::RawLanguageTexts& texts = RawLayer::LanguageTexts();
    RawString name = gui.profile.GetValue(kSection, kKey, texts.LanguageName());
    texts.SetLanguageName(name);
    texts.SelectSection(name);  // an empty name selects the automatic section
}

// A value outside these keeps the default: the layout adds gaps and margins up, and an absurd
// one would push the window off every screen or overflow.
constexpr int32_t kLargestGap = 64;
constexpr int32_t kLargestLineMargin = 64;

void ReadWindowParameters(GuiProfile& gui) {
    static const RawString kSection("WindowParameter"), kLineMargin("LineMargin");
    RawParameterList list;
    if (!gui.profile.ReadSection(list, kSection)) return;
    int32_t value = 0;
    if (RawParameterUnit* unit = list.Find(WinLayer::MarginKey())) {
        if (RawLayer::ProfileInteger(unit->value, 0, kLargestGap, &value)) {
            WinLayer::Environment().SetStandardGap(value);
        }
    }
    if (RawParameterUnit* unit = list.Find(kLineMargin)) {
        RawLayer::ProfileInteger(unit->value, 0, kLargestLineMargin, &gui.lineMargin);
    }
}

void ReadWindowFont(GuiProfile& gui) {
    static const RawString kSection("WindowFont");
    RawParameterList list;
    if (!gui.profile.ReadSection(list, kSection)) return;
    WinLayer::WinEnvironment& environment = WinLayer::Environment();
    LOGFONTW description = environment.DefaultFontDescription();
    WinLayer::ReadFontParameters(list, description);
    environment.ReplaceDefaultFont(description);
}

}  // namespace

GuiProfile& GuiProfileRecord() {
    static GuiProfile record;
    return record;
}

void LoadGuiProfile(const RawString& path) {
    GuiProfile& gui = GuiProfileRecord();
    gui.profile.SetPath(path);
    SelectLanguage(gui);
    ReadWindowParameters(gui);
    ReadWindowFont(gui);
}

}  // namespace AppLayer
