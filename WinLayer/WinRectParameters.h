// A rectangle as four units of a parameter list: for the name N, N_L, N_T, N_R and N_B hold the
// left, top, right and bottom edges as decimal text.
#pragma once

#include <windows.h>

#include <cstdint>

#include "RawLayer/RawList.h"
#include "RawLayer/RawString.h"

namespace WinLayer {

// Largest distance of a stored edge from the origin: beyond any desktop, far from overflow when
// edges are subtracted or added.
constexpr int32_t kLargestEdge = 1000000;

// Each edge whose key holds an integer within kLargestEdge takes it; a missing key, or one
// holding anything else, leaves its edge. False when some key held anything else.
bool ReadRectParameters(const RawLayer::RawParameterList& parameters, const RawLayer::RawString& name, RECT& rect);
// Sets the four keys, adding those the list lacks; other entries stay.
void WriteRectParameters(RawLayer::RawParameterList& parameters, const RawLayer::RawString& name, const RECT& rect);

}  // namespace WinLayer
