#include "WinLayer/WinCalls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RawLayer/ShellDrop.h"
#include "WinLayer/WinEnvironment.h"
#include "WinTestSupport.h"

using RawLayer::RawString;
using namespace WinLayer;

namespace {

// "a", e-acute (2 bytes), euro sign (3 bytes), a face outside the BMP (4 bytes, a surrogate
// pair), "b": 11 bytes, 6 UTF-16 units.
const char kMixedUtf8[] = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80" "b";
const wchar_t kMixedWide[] = L"a\u00E9\u20AC\U0001F600b";

RawString Utf8(const char* bytes) { return RawString::FromUnits(bytes, -1, RawLayer::Utf8); }

class DefaultFontDC {
public:
    DefaultFontDC() : old_(SelectObject(dc_.Get(), Environment().DefaultFont().Handle())) {}
    ~DefaultFontDC() { SelectObject(dc_.Get(), old_); }
    HDC Get() const { return dc_.Get(); }

private:
    WinLayerTest::ScreenDC dc_;
    HGDIOBJ old_;
};

}  // namespace

TEST(WinCallsExtent, Utf8BytesTakeTheExtentOfTheirCharacter) {
    const int wideExtents[] = {10, 20, 30, 40, 50, 60};
    struct Case {
        int wideFit;
        int expectedFit;
    } cases[] = {{6, 11}, {3, 6}, {4, 6}, {5, 10}, {0, 0}};
    for (const Case& c : cases) {
        int byteExtents[11] = {};
        int fit = MapExtentsToUtf8(reinterpret_cast<const uint8_t*>(kMixedUtf8), 11, kMixedWide, 6, wideExtents,
                                   c.wideFit, byteExtents);
        const std::vector<int> expected = {10, 20, 20, 30, 30, 30, 50, 50, 50, 50, 60};
        EXPECT_EQ(std::vector<int>(byteExtents, byteExtents + 11), expected);
        EXPECT_EQ(fit, c.expectedFit) << "wide fit " << c.wideFit;
    }
}

TEST(WinCallsExtent, MalformedUtf8StaysInsideItsBuffers) {
    // A three-byte lead followed by only one byte; the converter's units may not line up.
    const char bytes[] = "\xE3" "A";
    const wchar_t wide[] = L"\uFFFDA";
    const int wideExtents[] = {7, 14};
    int byteExtents[2] = {-1, -1};
    EXPECT_EQ(MapExtentsToUtf8(reinterpret_cast<const uint8_t*>(bytes), 2, wide, 2, wideExtents, 2, byteExtents), 2);
    EXPECT_EQ(byteExtents[0], 7);
    EXPECT_EQ(byteExtents[1], 7);
}

TEST(WinCallsExtent, MeasuresUtf8AsItsWideForm) {
    DefaultFontDC dc;
    WinTextExtent wide = TextExtentWithFit(dc.Get(), RawString::FromWide(kMixedWide), 0, 6);
    WinTextExtent utf8 = TextExtentWithFit(dc.Get(), Utf8(kMixedUtf8), 0, 100);  // end clipped
    ASSERT_TRUE(wide.ok);
    ASSERT_TRUE(utf8.ok);
    EXPECT_EQ(utf8.fitCount, 11);
    EXPECT_EQ(utf8.size.cx, wide.size.cx);
    ASSERT_EQ(utf8.extents.size(), 11u);
    EXPECT_EQ(utf8.extents[0], wide.extents[0]);
    EXPECT_EQ(utf8.extents[2], wide.extents[1]);
    EXPECT_EQ(utf8.extents[5], wide.extents[2]);
    EXPECT_EQ(utf8.extents[9], wide.extents[4]);
    EXPECT_EQ(utf8.extents[10], wide.extents[5]);
}

TEST(WinCallsExtent, NarrowWideAndByteStreamFormsAgree) {
    DefaultFontDC dc;
    const char le[] = {'x', 0, 'y', 0, 'z', 0};
    WinTextExtent wide = TextExtentWithFit(dc.Get(), RawString::FromWide(L"xyz"), 0, 3);
    WinTextExtent narrow = TextExtentWithFit(dc.Get(), RawString("xyz"), 0, 3);
    WinTextExtent stream = TextExtentWithFit(dc.Get(), RawString::FromUnits(le, 6, RawLayer::Utf16LE), 0, 6);
    EXPECT_EQ(narrow.extents, wide.extents);
    EXPECT_EQ(narrow.fitCount, 3);
    EXPECT_EQ(stream.extents, (std::vector<int>{wide.extents[0], wide.extents[0], wide.extents[1],
                                                 wide.extents[1], wide.extents[2], wide.extents[2]}));
    EXPECT_EQ(stream.fitCount, 6);
    WinTextExtent none = TextExtentWithFit(dc.Get(), RawString(), 0, 0);
    EXPECT_TRUE(none.extents.empty());
    EXPECT_EQ(none.fitCount, 0);
}

TEST(WinCallsText, MeasureOfAnEmptyRangeIsOneLineHighAndNoWidth) {
    DefaultFontDC dc;
    RECT letter = {5, 5, 1000, 1000};
    MeasureTextRange(dc.Get(), RawString("A"), 0, 1, letter, DT_NOPREFIX);
    const RawString texts[] = {RawString(), RawString::FromWide(L""), RawString("AB")};
    for (const RawString& text : texts) {
        RECT rect = {5, 5, 1000, 1000};
        int height = MeasureTextRange(dc.Get(), text, 1, 1, rect, DT_NOPREFIX);
        EXPECT_EQ(rect.left, 5);
        EXPECT_EQ(rect.right, 5);
        EXPECT_EQ(rect.bottom, letter.bottom);
        EXPECT_EQ(height, letter.bottom - letter.top);
    }
}

TEST(WinCallsDrop, LongNamesComeBackWhole) {
    const std::wstring longName = L"C:\\" + std::wstring(300, L'n') + L".txt";
    const std::wstring accented = L"C:\\d\\\u00E9t\u00E9.txt";
    HDROP drop = ShellDrop::MakeDrop({longName, accented});
    EXPECT_EQ(DroppedFileCount(drop), 2u);

    RawString wide = DroppedFileName(drop, 0, RawLayer::Wide);
    EXPECT_EQ(wide.Encoding(), RawLayer::Wide);
    EXPECT_TRUE(wide.Equals(RawString::FromWide(longName.c_str())));
    RawString ansi = DroppedFileName(drop, 0, RawLayer::Ansi);
    EXPECT_EQ(ansi.Encoding(), RawLayer::Ansi);
    EXPECT_EQ(ansi.Length(), static_cast<int32_t>(longName.size()));
    RawString utf8 = DroppedFileName(drop, 1, RawLayer::Utf8);
    EXPECT_EQ(utf8.Encoding(), RawLayer::Utf8);
    EXPECT_TRUE(utf8.Equals(Utf8("C:\\d\\\xC3\xA9t\xC3\xA9.txt")));

    EXPECT_TRUE(DroppedFileName(drop, 2, RawLayer::Wide).IsEmpty());
    EXPECT_TRUE(DroppedFileName(drop, 0xFFFFFFFF, RawLayer::Utf8).IsEmpty());
    DragFinish(drop);
}

TEST(WinCallsMenu, InsertsTextInEitherForm) {
    HMENU menu = CreatePopupMenu();
    EXPECT_TRUE(InsertMenuText(menu, 0, MF_BYPOSITION | MF_STRING, 100, RawString("Plain")));
    EXPECT_TRUE(InsertMenuText(menu, 1, MF_BYPOSITION | MF_STRING, 101, Utf8("Gr\xC3\xB6\xC3\x9F" "e")));
    EXPECT_TRUE(InsertMenuText(menu, 2, MF_BYPOSITION | MF_SEPARATOR, 0, RawString()));
    wchar_t text[32] = {};
    GetMenuStringW(menu, 100, text, 32, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"Plain");
    GetMenuStringW(menu, 101, text, 32, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"Gr\u00F6\u00DFe");
    EXPECT_EQ(GetMenuItemCount(menu), 3);
    DestroyMenu(menu);
}
