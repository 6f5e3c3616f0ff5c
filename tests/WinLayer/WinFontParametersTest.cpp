#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "WinLayer/WinFontParameters.h"
#include "WinLayer/WinView.h"

using RawLayer::RawParameterList;
using RawLayer::RawString;
using namespace WinLayer;

namespace {

std::string Text(const RawString& text) { return std::string(text.Bytes(), text.Length()); }

std::string Value(const RawParameterList& list, const char* name) {
    RawLayer::RawParameterUnit* unit = list.Find(name);
    return unit ? Text(RawString(unit->value, RawLayer::Utf8)) : "<missing>";
}

LOGFONTW SampleFont() {
    LOGFONTW font = {};
    font.lfHeight = -16;
    font.lfWidth = 7;
    font.lfEscapement = 900;
    font.lfOrientation = -900;
    font.lfWeight = 700;
    font.lfItalic = 1;
    font.lfUnderline = 0;
    font.lfStrikeOut = 1;
    font.lfCharSet = 128;
    font.lfOutPrecision = 3;
    font.lfClipPrecision = 2;
    font.lfQuality = 5;
    font.lfPitchAndFamily = 0x31;
    wcscpy(font.lfFaceName, L"Tahoma");
    return font;
}

bool SameFont(const LOGFONTW& a, const LOGFONTW& b) {
    return std::memcmp(&a, &b, offsetof(LOGFONTW, lfFaceName)) == 0 && wcscmp(a.lfFaceName, b.lfFaceName) == 0;
}

}  // namespace

TEST(WinFontParameters, WritesEveryKeyInOrder) {
    RawParameterList list;
    WriteFontParameters(SampleFont(), list);
    const std::vector<std::string> expected = {
        "Height=-16",      "Width=7",     "Escapement=900", "Orientation=-900", "Weight=700",
        "Italic=1",        "Underline=0", "StrikeOut=1",    "Charset=128",      "OutPrecision=3",
        "ClipPrecision=2", "Quality=5",   "PitchFamily=49", "FaceName=Tahoma"};
    std::vector<std::string> written;
    for (RawLayer::RawParameterUnit& unit : list) written.push_back(Text(unit.name) + "=" + Text(unit.value));
    EXPECT_EQ(written, expected);
}

TEST(WinFontParameters, RoundTripGivesTheSameFont) {
    LOGFONTW extremes = SampleFont();
    extremes.lfHeight = -WinLayer::kLargestFontSize;
    extremes.lfWeight = 1000;
    extremes.lfQuality = 255;
    wcscpy(extremes.lfFaceName, L"\u00C9crit\u00FCre 31 units long......");  // 31 units, non-ASCII
    LOGFONTW empty = {};
    for (const LOGFONTW& font : {SampleFont(), extremes, empty}) {
        RawParameterList list;
        WriteFontParameters(font, list);
        LOGFONTW back;
        std::memset(&back, 0x5A, sizeof(back));
        ReadFontParameters(list, back);
        EXPECT_TRUE(SameFont(font, back));
    }
}

TEST(WinFontParameters, WritingIntoAListReplacesValuesAndKeepsOtherEntries) {
    RawParameterList list;
    list.Add("Other", "x");
    list.Add("height", "1");
    WriteFontParameters(SampleFont(), list);
    EXPECT_EQ(list.Count(), 15);
    EXPECT_EQ(Value(list, "Height"), "-16");
    EXPECT_EQ(Value(list, "Other"), "x");
}

TEST(WinFontParameters, ReadChangesOnlyPresentKeysAndAlwaysTheFaceName) {
    struct Case {
        std::vector<std::pair<const char*, const char*>> entries;
        LOGFONTW (*expected)();
    } cases[] = {
        {{{"Height", "-16"}},
         [] {
             LOGFONTW f = SampleFont();
             f.lfHeight = -16;
             f.lfFaceName[0] = 0;
             return f;
         }},
        {{{"Weight", "0x190"}, {"FaceName", "Arial"}},
         [] {
             LOGFONTW f = SampleFont();
             f.lfWeight = 400;
             wcscpy(f.lfFaceName, L"Arial");
             return f;
         }},
        {{{"Width", "12"}, {"FaceName", "Tahoma"}},
         [] {
             LOGFONTW f = SampleFont();
             f.lfWidth = 12;
             return f;
         }},
        // Hand-edited nonsense keeps the member: not a whole number, out of its range, overflowing.
        {{{"Italic", "257"}, {"Width", "12px"}, {"Height", "2147483648"}, {"Weight", "-1"}, {"FaceName", "Tahoma"}},
         [] { return SampleFont(); }},
        {{{"Height", "201"}, {"Escapement", "3601"}, {"Orientation", "99999999999999999999"}, {"FaceName", "Tahoma"}},
         [] { return SampleFont(); }},
        {{{"Height", "-"}, {"Width", ""}, {"Quality", "0x"}, {"FaceName", "Tahoma"}}, [] { return SampleFont(); }},
        {{{"charset", "-1"}, {"FaceName", ""}},
         [] {
             LOGFONTW f = SampleFont();
             f.lfFaceName[0] = 0;
             return f;
         }},
        {{{"Height", "-200"}, {"Weight", "1000"}, {"charset", "255"}, {"FaceName", "Tahoma"}},
         [] {
             LOGFONTW f = SampleFont();
             f.lfHeight = -200;
             f.lfWeight = 1000;
             f.lfCharSet = 255;
             return f;
         }},
        {{{"FaceName", "A face name far longer than thirty-one units"}},
         [] {
             LOGFONTW f = SampleFont();
             wcscpy(f.lfFaceName, L"A face name far longer than thi");
             return f;
         }},
    };
    for (const Case& c : cases) {
        RawParameterList list;
        for (const auto& entry : c.entries) list.Add(entry.first, entry.second);
        LOGFONTW font = SampleFont();
        wcscpy(font.lfFaceName, L"Courier New");
        ReadFontParameters(list, font);
        EXPECT_TRUE(SameFont(font, c.expected())) << c.entries.front().first;
    }
}

namespace {

// Answers every dialog box of this thread with a button, so that a modal dialog returns.
WPARAM g_answer = IDCANCEL;

BOOL CALLBACK AnswerDialog(HWND window, LPARAM) {
    char className[16] = {};
    GetClassNameA(window, className, sizeof(className));
    if (std::strcmp(className, "#32770") == 0 && IsWindowVisible(window)) PostMessageA(window, WM_COMMAND, g_answer, 0);
    return TRUE;
}

void CALLBACK AnswerTimer(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), AnswerDialog, 0); }

int CALLBACK TakeTrueTypeFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM found) {
    if (!(type & TRUETYPE_FONTTYPE) || font->lfFaceName[0] == L'@') return 1;
    wcscpy(reinterpret_cast<wchar_t*>(found), font->lfFaceName);
    return 0;
}

// A face the font dialog lists: the fonts present differ between systems.
std::wstring InstalledFace() {
    wchar_t face[LF_FACESIZE] = {};
    LOGFONTW query = {};
    query.lfCharSet = DEFAULT_CHARSET;
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExW(dc, &query, TakeTrueTypeFace, reinterpret_cast<LPARAM>(face), 0);
    ReleaseDC(nullptr, dc);
    return face;
}

RawParameterList ChooseAndAnswer(WPARAM answer, const WinFont& current) {
    g_answer = answer;
    UINT_PTR timer = SetTimer(nullptr, 0, 200, AnswerTimer);
    RawParameterList list = ChooseFontParameters(nullptr, current);
    KillTimer(nullptr, timer);
    return list;
}

}  // namespace

TEST(WinFontParameters, FontDialogGivesKeysOnlyWhenConfirmed) {
    LOGFONTW start = WinFont::DefaultLogFont();
    start.lfHeight = -16;
    const std::wstring face = InstalledFace();
    ASSERT_FALSE(face.empty());
    wcscpy(start.lfFaceName, face.c_str());
    WinFont current(start);

    EXPECT_EQ(ChooseAndAnswer(IDCANCEL, current).Count(), 0);
    RawParameterList chosen = ChooseAndAnswer(IDOK, current);
    EXPECT_EQ(chosen.Count(), 14);
    EXPECT_EQ(Value(chosen, "FaceName"), Text(RawString(RawString::FromWide(face.c_str()), RawLayer::Utf8)));
    EXPECT_EQ(Value(chosen, "Height"), "-16");
}
