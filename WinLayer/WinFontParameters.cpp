#include "WinLayer/WinFontParameters.h"

#include <commdlg.h>

#include <algorithm>
#include <cwchar>

#include "RawLayer/RawProfile.h"
#include "WinLayer/WinView.h"

namespace WinLayer {

using RawLayer::RawParameterList;
using RawLayer::RawParameterUnit;
using RawLayer::RawString;

namespace {

// The dialog starts from the given font, offers effects and colour, and lists only existing,
// horizontal fonts.
constexpr DWORD kChooseFontFlags = CF_INITTOLOGFONTSTRUCT | CF_EFFECTS | CF_FORCEFONTEXIST | CF_NOVERTFONTS;

// Each key's sane range: a value outside it (or no number at all) leaves the member as it was.
// Heights and widths in pixels, angles in tenths of a degree, the weight from 0 to 1000; the
// byte members from 0 to 255.
struct IntegerKey {
    const char* name;
    LONG LOGFONTW::*member;
    int32_t low;
    int32_t high;
};

struct ByteKey {
    const char* name;
    BYTE LOGFONTW::*member;
};

constexpr IntegerKey kIntegerKeys[] = {
    {"Height", &LOGFONTW::lfHeight, -kLargestFontSize, kLargestFontSize},
    {"Width", &LOGFONTW::lfWidth, -kLargestFontSize, kLargestFontSize},
    {"Escapement", &LOGFONTW::lfEscapement, -3600, 3600},
    {"Orientation", &LOGFONTW::lfOrientation, -3600, 3600},
    {"Weight", &LOGFONTW::lfWeight, 0, 1000},
};

constexpr ByteKey kByteKeys[] = {
    {"Italic", &LOGFONTW::lfItalic},
    {"Underline", &LOGFONTW::lfUnderline},
    {"StrikeOut", &LOGFONTW::lfStrikeOut},
    {"Charset", &LOGFONTW::lfCharSet},
    {"OutPrecision", &LOGFONTW::lfOutPrecision},
    {"ClipPrecision", &LOGFONTW::lfClipPrecision},
    {"Quality", &LOGFONTW::lfQuality},
    {"PitchFamily", &LOGFONTW::lfPitchAndFamily},
};

constexpr int kIntegerCount = sizeof(kIntegerKeys) / sizeof(kIntegerKeys[0]);
constexpr int kByteCount = sizeof(kByteKeys) / sizeof(kByteKeys[0]);

// Key names in table order: integers, bytes, then "FaceName"; built once.
const RawString& KeyName(int index) {
    static const struct Names {
        RawString names[kIntegerCount + kByteCount + 1];
        Names() {
            for (int i = 0; i < kIntegerCount; ++i) names[i] = RawString(kIntegerKeys[i].name);
            for (int i = 0; i < kByteCount; ++i) names[kIntegerCount + i] = RawString(kByteKeys[i].name);
            names[kIntegerCount + kByteCount] = RawString("FaceName");
        }
    } keys;
    return keys.names[index];
}

const RawString& FaceNameKey() { return KeyName(kIntegerCount + kByteCount); }

void ReadFaceName(const RawParameterList& parameters, LOGFONTW& logFont) {
    RawParameterUnit* unit = parameters.Find(FaceNameKey());
    int32_t length = 0;
    if (unit) {
        RawString wide(unit->value, RawLayer::Wide);
        length = std::min<int32_t>(wide.Length(), LF_FACESIZE - 1);
        if (length > 0) wmemcpy(logFont.lfFaceName, wide.WideUnits(), length);
    }
    logFont.lfFaceName[length] = 0;
}

void SetValue(RawParameterList& parameters, const RawString& name, const RawString& value) {
    parameters.FindOrAdd(name)->value = value;
}

}  // namespace

void ReadFontParameters(const RawParameterList& parameters, LOGFONTW& logFont) {
    int32_t value = 0;
    for (int i = 0; i < kIntegerCount; ++i) {
        const IntegerKey& key = kIntegerKeys[i];
        RawParameterUnit* unit = parameters.Find(KeyName(i));
        if (unit && RawLayer::ProfileInteger(unit->value, key.low, key.high, &value)) logFont.*key.member = value;
    }
    for (int i = 0; i < kByteCount; ++i) {
        const ByteKey& key = kByteKeys[i];
        RawParameterUnit* unit = parameters.Find(KeyName(kIntegerCount + i));
        if (unit && RawLayer::ProfileInteger(unit->value, 0, 255, &value)) {
            logFont.*key.member = static_cast<BYTE>(value);
        }
    }
    ReadFaceName(parameters, logFont);
}

void WriteFontParameters(const LOGFONTW& logFont, RawParameterList& parameters) {
    for (int i = 0; i < kIntegerCount; ++i) {
        SetValue(parameters, KeyName(i), RawString::Decimal(logFont.*kIntegerKeys[i].member));
    }
    for (int i = 0; i < kByteCount; ++i) {
        SetValue(parameters, KeyName(kIntegerCount + i), RawString::Decimal(logFont.*kByteKeys[i].member));
    }
    int32_t length = static_cast<int32_t>(wcsnlen(logFont.lfFaceName, LF_FACESIZE));
    SetValue(parameters, FaceNameKey(), RawString(RawString::FromWide(logFont.lfFaceName, length), RawLayer::Utf8));
}

RawParameterList ChooseFontParameters(const WinView* owner, const WinFont& current) {
    LOGFONTW logFont = current.LogFont();
    CHOOSEFONTW choice = {};
    choice.lStructSize = sizeof(choice);
    choice.hwndOwner = owner ? owner->Window() : nullptr;
    choice.lpLogFont = &logFont;
    choice.Flags = kChooseFontFlags;
    RawParameterList parameters;
    // Only TRUE confirms: a dialog that could not be shown comes back from some systems as -1.
    if (ChooseFontW(&choice) == TRUE) WriteFontParameters(logFont, parameters);
    return parameters;
}

}  // namespace WinLayer
