#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "RawLayer/RawClipboard.h"

using namespace RawLayer;

namespace {

std::wstring WideOf(const RawString& text) {
    EXPECT_EQ(text.Encoding(), Wide);
    return std::wstring(text.WideUnits(), static_cast<size_t>(text.Length()));
}

// The first format on the clipboard: the one put there, before any the system derives from it.
UINT FirstFormat() {
    if (!OpenClipboard(nullptr)) return 0;
    const UINT format = EnumClipboardFormats(0);
    CloseClipboard();
    return format;
}

// The whole block of a format as bytes, terminator and all.
std::string RawBlock(UINT format) {
    std::string bytes;
    if (!OpenClipboard(nullptr)) return bytes;
    if (HANDLE block = GetClipboardData(format)) {
        if (const void* data = GlobalLock(block)) {
            bytes.assign(static_cast<const char*>(data), GlobalSize(block));
            GlobalUnlock(block);
        }
    }
    CloseClipboard();
    return bytes;
}

// Puts a block of units exactly as given, as another program might: no terminator added.
void PutUnterminated(const std::wstring& units) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, units.size() * sizeof(wchar_t));
    ASSERT_NE(block, nullptr);
    memcpy(GlobalLock(block), units.data(), units.size() * sizeof(wchar_t));
    GlobalUnlock(block);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    if (!SetClipboardData(CF_UNICODETEXT, block)) GlobalFree(block);
    CloseClipboard();
}

// Another thread holding the clipboard open with a window of its own, until destroyed.
class ClipboardHolder {
public:
    ClipboardHolder()
        : opened_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), release_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        thread_ = std::thread([this] {
            // The window makes the hold another owner's. Wine's desktop process, which serves the
            // clipboard to X, may hold it for a moment after a put, or be ending or starting as the
            // window is made (each seen once in a full run): the holder waits either out.
            HWND window = nullptr;
            for (int attempt = 0; !held_ && attempt < 100; ++attempt) {
                if (!window) {
                    window = CreateWindowExW(0, L"STATIC", L"holder", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                             GetModuleHandleW(nullptr), nullptr);
                }
                held_ = window && OpenClipboard(window);
                if (!held_) Sleep(20);
            }
            SetEvent(opened_);
            WaitForSingleObject(release_, INFINITE);
            if (held_) CloseClipboard();
            if (window) DestroyWindow(window);
        });
        WaitForSingleObject(opened_, INFINITE);
    }
    ~ClipboardHolder() {
        SetEvent(release_);
        thread_.join();
        CloseHandle(opened_);
        CloseHandle(release_);
    }
    ClipboardHolder(const ClipboardHolder&) = delete;
    ClipboardHolder& operator=(const ClipboardHolder&) = delete;
    bool Held() const { return held_; }

private:
    HANDLE opened_;
    HANDLE release_;
    bool held_ = false;
    std::thread thread_;
};

// Bytes of private memory committed in this process.
SIZE_T CommittedPrivateBytes() {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region;
    for (const char* address = nullptr; VirtualQuery(address, &region, sizeof(region)) == sizeof(region);
         address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    }
    return total;
}

}  // namespace

TEST(RawClipboard, TextGoesInTheFormatOfItsCallForm) {
    const char utf8[] = "Gr\xC3\xBC\xC3\x9F\x65 \xE6\x97\xA5";  // Grüße 日
    struct Case {
        const char* name;
        RawString text;
        UINT format;
        std::wstring readBack;
    } cases[] = {
        {"wide", RawString::FromWide(L"wide \x263A text"), CF_UNICODETEXT, L"wide \x263A text"},
        {"utf8 non-ASCII", RawString::FromUnits(utf8, -1, Utf8), CF_UNICODETEXT,
         L"Gr\xFC\xDF"
         L"e \x65E5"},
        {"utf16be", RawString(RawString::FromWide(L"big \xE9"), Utf16BE), CF_UNICODETEXT, L"big \xE9"},
        {"plain ASCII utf8", RawString("plain ASCII"), CF_TEXT, L"plain ASCII"},
        {"ansi", RawString(RawString("ansi text"), Ansi), CF_TEXT, L"ansi text"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(PutClipboardText(c.text, 0, c.text.Length()));
        EXPECT_EQ(FirstFormat(), c.format);
        EXPECT_EQ(WideOf(GetClipboardText()), c.readBack);
    }
    // The narrow block holds the bytes and one terminator.
    ASSERT_TRUE(PutClipboardText(RawString("abc"), 0, 3));
    EXPECT_EQ(RawBlock(CF_TEXT), std::string("abc", 4));
}

TEST(RawClipboard, RangesAreClippedAndEndAtAZeroUnit) {
    const RawString wide = RawString::FromWide(L"abcdefg");
    struct Case {
        RawString text;
        int32_t first;
        int32_t end;
        std::wstring readBack;
    } cases[] = {
        {wide, 2, 5, L"cde"},
        {wide, -3, 2, L"ab"},
        {wide, 5, 100, L"fg"},
        {RawString("narrow"), 1, 4, L"arr"},
        {RawString::FromWide(L"ab\0cd", 5), 0, 5, L"ab"},
        {RawString::FromUnits("xy\0z", 4, Ansi), 0, 4, L"xy"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(PutClipboardText(c.text, c.first, c.end));
        EXPECT_EQ(WideOf(GetClipboardText()), c.readBack) << c.first << ".." << c.end;
    }
}

TEST(RawClipboard, EmptyRangePutsEmptyText) {
    struct Case {
        RawString text;
        UINT format;  // of the string, not of the range
    } cases[] = {{RawString("abc"), CF_TEXT}, {RawString::FromWide(L"wide"), CF_UNICODETEXT}, {RawString(), CF_TEXT}};
    for (const Case& c : cases) {
        ASSERT_TRUE(PutClipboardText(RawString("before"), 0, 6));
        EXPECT_TRUE(PutClipboardText(c.text, 1, 1));
        EXPECT_EQ(FirstFormat(), c.format);
        EXPECT_EQ(WideOf(GetClipboardText()), L"");
    }
}

TEST(RawClipboard, ReadingKeepsAtMost4096Units) {
    std::wstring text;
    for (int i = 0; i < 5000; ++i) text += static_cast<wchar_t>(L'A' + i % 26);
    ASSERT_TRUE(PutClipboardText(RawString::FromWide(text.c_str()), 0, 5000));
    EXPECT_EQ(RawBlock(CF_UNICODETEXT).size(), 5001 * sizeof(wchar_t));  // all of it went there
    EXPECT_EQ(WideOf(GetClipboardText()), text.substr(0, kClipboardReadLimit));
}

// Reading stops at the end of a block that has no terminator. (Wine writes a terminator over
// the last unit of such a block when it is put there, so one unit less may come back.)
TEST(RawClipboard, UnterminatedBlockIsReadOnlyToItsEnd) {
    for (size_t count : {1u, 37u, 4095u}) {
        PutUnterminated(std::wstring(count, L'x'));
        const RawString text = GetClipboardText();
        EXPECT_LE(text.Length(), static_cast<int32_t>(count));
        EXPECT_GE(text.Length(), static_cast<int32_t>(count) - 1);
        EXPECT_EQ(WideOf(text).find_first_not_of(L'x'), std::wstring::npos) << count;
    }
    PutUnterminated(std::wstring(6000, L'y'));
    EXPECT_EQ(GetClipboardText().Length(), kClipboardReadLimit);
}

TEST(RawClipboard, ClipboardHeldByAnotherThreadFailsCleanly) {
    ASSERT_TRUE(PutClipboardText(RawString("before"), 0, 6));
    // 2 MB per attempt: a block that is not freed stays committed.
    const std::wstring big(1 << 20, L'b');
    const RawString bigText = RawString::FromWide(big.c_str(), static_cast<int32_t>(big.size()));
    {
        ClipboardHolder holder;
        ASSERT_TRUE(holder.Held());
        const SIZE_T before = CommittedPrivateBytes();
        for (int i = 0; i < 64; ++i) EXPECT_FALSE(PutClipboardText(bigText, 0, bigText.Length()));
        EXPECT_LT(CommittedPrivateBytes(), before + 32 * 1024 * 1024);  // 128 MB if the blocks leaked
        EXPECT_FALSE(PutClipboardText(RawString("after"), 0, 5));
        const RawString text = GetClipboardText();
        EXPECT_EQ(text.Encoding(), Wide);
        EXPECT_EQ(text.Length(), 0);
    }
    // Nothing went there, and neither call left the clipboard open.
    EXPECT_EQ(WideOf(GetClipboardText()), L"before");
    EXPECT_TRUE(PutClipboardText(RawString("after"), 0, 5));
    EXPECT_EQ(WideOf(GetClipboardText()), L"after");
}
