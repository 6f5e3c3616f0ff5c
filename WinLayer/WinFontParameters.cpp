#include "WinLayer/WinFontParameters.h"

#include <commdlg.h>

#include <algorithm>
#include <cwchar>

#include "WinLayer/WinView.h"

namespace WinLayer {

using RawLayer::RawParameterList;
using RawLayer::RawParameterUnit;
using RawLayer::RawString;

namespace {

// The dialog starts from the given font, offers effects and colour, and lists only existing,
// horizontal fonts.
constexpr DWORD kChooseFontFlags = CF_INITTOLOGFONTSTRUCT | CF_EFFECTS | CF_FORCEFONTEXIST | CF_NOVERTFONTS;

struct IntegerKey {
    const char* name;
    LONG LOGFONTW::*member;
};

struct ByteKey {
    const char* name;
    BYTE LOGFONTW::*member;
};

constexpr IntegerKey kIntegerKeys[] = {
    {"Height", &LOGFONTW::lfHeight},           {"Width", &LOGFONTW::lfWidth},
    {"Escapement", &LOGFONTW::lfEscapement},   {"Orientation", &LOGFONTW::lfOrientation},
    {"Weight", &LOGFONTW::lfWeight},
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

// The integer text as the profile reads it, reduced to its low 32 bits.
uint32_t ParsedValue(const RawParameterUnit& unit) {
    return static_cast<uint32_t>(static_cast<uint64_t>(unit.value.ParseNumber().Signed()));
}

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
    for (int i = 0; i < kIntegerCount; ++i) {
        if (RawParameterUnit* unit = parameters.Find(KeyName(i))) {
            logFont.*kIntegerKeys[i].member = static_cast<LONG>(ParsedValue(*unit));
        }
    }
    for (int i = 0; i < kByteCount; ++i) {
        if (RawParameterUnit* unit = parameters.Find(KeyName(kIntegerCount + i))) {
            logFont.*kByteKeys[i].member = static_cast<BYTE>(ParsedValue(*unit));
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
