
#include "WinLayer/WinMenu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RawLayer/TempFolder.h"

using RawLayer::RawLanguageTexts;
using RawLayer::RawParameterList;
using RawLayer::RawString;
using WinLayer::FillLanguageMenu;
using WinLayer::OwnedMenu;

namespace {

// A store over a language file with the given bytes in a scratch folder.
class LanguageFile {
public:
    explicit LanguageFile(const std::string& bytes) {
        const std::wstring path = scratch_.Below(L"LanguageFile.ini");
        TempFolder::Write(path, bytes);
        store.SetFilePath(RawString::FromWide(path.c_str()));
        store.LoadLanguageMap();
    }

    RawLanguageTexts store;

private:
    TempFolder scratch_;
};

struct MenuItem {
    UINT identifier;
    std::wstring text;
    bool checked;
    bool operator==(const MenuItem& other) const {
        return identifier == other.identifier && text == other.text && checked == other.checked;
    }
};

std::vector<MenuItem> MenuItems(HMENU menu) {
    std::vector<MenuItem> items;
    for (int position = 0; position < GetMenuItemCount(menu); ++position) {
        wchar_t text[128] = {};
        GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
        const UINT state = GetMenuState(menu, position, MF_BYPOSITION);
        items.push_back({GetMenuItemID(menu, position), text, (state & MF_CHECKED) != 0});
    }
    return items;
}

}  // namespace

TEST(WinMenu, LanguageMenuOffersAutoAndEveryLanguage) {
    LanguageFile file("[LangMap]\r\nEnglish=1033\r\n\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E=0x411\r\n");
    const struct {
        const char* name;
        std::vector<bool> checks;
    } cases[] = {{"", {true, false, false}}, {"English", {false, true, false}}, {"english", {false, false, false}}};
    for (const auto& item : cases) {
        file.store.SetLanguageName(item.name);
        OwnedMenu menu(CreatePopupMenu());
        RawParameterList languages;
        ASSERT_TRUE(FillLanguageMenu(menu.Get(), file.store, languages));
        EXPECT_EQ(languages.Count(), 2);
        const std::vector<MenuItem> expected = {{4144, L"(Auto)", item.checks[0]},
                                                {4145, L"English", item.checks[1]},
                                                {4146, L"\u65e5\u672c\u8a9e", item.checks[2]}};
        EXPECT_EQ(MenuItems(menu.Get()), expected) << item.name;
    }
}

TEST(WinMenu, LanguageMenuNeedsTwoLanguagesAndStopsAtTwentyNine) {
    LanguageFile one("[LangMap]\r\nEnglish=1033\r\n");
    OwnedMenu empty(CreatePopupMenu());
    RawParameterList languages;
    EXPECT_FALSE(FillLanguageMenu(empty.Get(), one.store, languages));
    EXPECT_EQ(GetMenuItemCount(empty.Get()), 0);

    std::string many = "[LangMap]\r\n";
    for (int index = 0; index < 35; ++index) {
        const std::string number = std::to_string(index);
        many.append(1, 'L').append(number).append(1, '=').append(number).append("\r\n");
    }
    LanguageFile file(many);
    OwnedMenu menu(CreatePopupMenu());
    ASSERT_TRUE(FillLanguageMenu(menu.Get(), file.store, languages));
    const std::vector<MenuItem> items = MenuItems(menu.Get());
    ASSERT_EQ(items.size(), 30u);
    EXPECT_EQ(items.back().identifier, WinLayer::kLanguageMenuLast);
    EXPECT_EQ(items.back().text, L"L28");
}
