// A rectangle as four units of a parameter list: for the name N, N_L, N_T, N_R and N_B hold the
// left, top, right and bottom edges as decimal text.
#pragma once

#include <windows.h>

#include "RawLayer/RawList.h"
#include "RawLayer/RawString.h"

namespace WinLayer {

// Each edge whose key the list holds takes the key's integer value; a missing key leaves its edge.
void ReadRectParameters(const RawLayer::RawParameterList& parameters, const RawLayer::RawString& name, RECT& rect);
// Sets the four keys, adding those the list lacks; other entries stay.
void WriteRectParameters(RawLayer::RawParameterList& parameters, const RawLayer::RawString& name, const RECT& rect);

}  // namespace WinLayer
