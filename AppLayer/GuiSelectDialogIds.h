// Command numbers, modes and text tags of the select dialog.
#pragma once

#include <cstdint>

#include "WinLayer/WinNotifyCodes.h"

namespace AppLayer {

// What the dialog picks: a date (year, month, day) or a time of day (hour, minute, second).
constexpr uint16_t kSelectDate = 1;
constexpr uint16_t kSelectTime = 2;

// Commands its buttons post.
constexpr int kSelectCancel = 4352;
constexpr int kSelectFinish = 4353;

// A list's cursor moved.
constexpr int kSelectCursorMoved = WinLayer::NotifySelection;

// Corner flags of the two buttons: rounded at the left, rounded at the right.
constexpr uint32_t kSelectFinishCorners = 3;
constexpr uint32_t kSelectCancelCorners = 12;

// Height of the lists row before the dialog is sized.
constexpr int32_t kSelectListsHeight = 50;

}  // namespace AppLayer
