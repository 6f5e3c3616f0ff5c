#include <gtest/gtest.h>

#include "WinLayer/WinEnvironment.h"
#include "WinLayer/WinGdiObjects.h"
#include "WinTestSupport.h"

using namespace WinLayer;
using WinLayerTest::RecordingView;

namespace {

int FontHeight(HFONT font) {
    LOGFONTW description = {};
    if (GetObjectW(font, sizeof(description), &description) != static_cast<int>(sizeof(description))) return 0;
    return description.lfHeight;
}

}  // namespace

// A window keeps the font handle it was handed at creation and draws with it; replacing the
// default font must not delete that handle under it.
TEST(WinEnvironmentFont, ReplacedFontStaysValidWhileWindowsUseIt) {
    WinEnvironment& environment = Environment();
    const LOGFONTW original = environment.DefaultFontDescription();
    RecordingView view;
    view.Property().className = "STATIC";
    view.Property().style = WS_POPUP;
    view.viewRect = {0, 0, 120, 40};
    ASSERT_NE(view.Create(nullptr), nullptr);
    const HFONT given = reinterpret_cast<HFONT>(SendMessageW(view.Window(), WM_GETFONT, 0, 0));
    ASSERT_EQ(given, environment.DefaultFont().Handle());

    LOGFONTW tall = original;
    tall.lfHeight = -30;
    ASSERT_TRUE(environment.ReplaceDefaultFont(tall));
    EXPECT_NE(environment.DefaultFont().Handle(), given);
    EXPECT_EQ(FontHeight(environment.DefaultFont().Handle()), -30);
    EXPECT_EQ(GetObjectType(given), static_cast<DWORD>(OBJ_FONT));
    EXPECT_EQ(FontHeight(given), original.lfHeight);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(view.Window(), WM_GETFONT, 0, 0)), given);
    RedrawWindow(view.Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(GetObjectType(given), static_cast<DWORD>(OBJ_FONT));

    DestroyWindow(view.Window());
    EXPECT_TRUE(environment.ReplaceDefaultFont(original));
}

// Every font the record made, replaced or not, is deleted when the record ends, and not before.
TEST(WinEnvironmentFont, ReplacedFontsAreDeletedWithTheEnvironment) {
    const long before = LiveGdiObjects();
    HFONT first = nullptr;
    HFONT last = nullptr;
    {
        WinEnvironment environment;
        first = environment.DefaultFont().Handle();
        ASSERT_NE(first, nullptr);
        for (LONG height : {-20, -30}) {
            LOGFONTW description = WinFont::DefaultLogFont();
            description.lfHeight = height;
            ASSERT_TRUE(environment.ReplaceDefaultFont(description));
        }
        last = environment.DefaultFont().Handle();
        EXPECT_EQ(LiveGdiObjects(), before + 3);
        EXPECT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_FONT));
    }
    EXPECT_EQ(LiveGdiObjects(), before);
    EXPECT_EQ(GetObjectType(first), 0u);
    EXPECT_EQ(GetObjectType(last), 0u);
}
