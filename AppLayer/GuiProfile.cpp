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

void ReadWindowParameters(GuiProfile& gui) {
    static const RawString kSection("WindowParameter"), kLineMargin("LineMargin");
    RawParameterList list;
    if (!gui.profile.ReadSection(list, kSection)) return;
    if (RawParameterUnit* unit = list.Find(WinLayer::MarginKey())) {
        WinLayer::Environment().SetStandardGap(static_cast<int>(unit->value.ParseNumber().Signed()));
    }
    if (RawParameterUnit* unit = list.Find(kLineMargin)) {
        gui.lineMargin = static_cast<int32_t>(unit->value.ParseNumber().Signed());
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
