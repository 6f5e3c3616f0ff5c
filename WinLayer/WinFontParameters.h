// Fonts as parameter lists: one key per LOGFONTW member ("Height" ... "FaceName"), values as
// decimal text, the face name as text. The lists are the in-memory form of a profile section.
#pragma once

#include <windows.h>

#include <cstdint>

#include "RawLayer/RawList.h"
#include "WinLayer/WinFont.h"

namespace WinLayer {

class WinView;

// Largest font height and width read from a profile, in pixels.
constexpr int32_t kLargestFontSize = 200;

// Members whose key holds a number in its key's range are replaced (others stay as they were);
// a missing "FaceName" empties the face name.
void ReadFontParameters(const RawLayer::RawParameterList& parameters, LOGFONTW& logFont);
// Sets every font key, adding the keys the list lacks; other entries stay.
void WriteFontParameters(const LOGFONTW& logFont, RawLayer::RawParameterList& parameters);
// Runs the font dialog over owner (may be null) starting from current; the chosen font's keys,
// or an empty list when the user cancels.
RawLayer::RawParameterList ChooseFontParameters(const WinView* owner, const WinFont& current);

}  // namespace WinLayer
