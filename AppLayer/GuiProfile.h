// The GUI profile record: the profile holding the dialogs' look and the user's choices, and the
// line margin read from it. One for the process, made on first use and kept to the end.
#pragma once

#include <cstdint>

#include "RawLayer/RawProfile.h"
#include "RawLayer/RawString.h"

namespace AppLayer {

struct GuiProfile {
    RawLayer::RawProfile profile;
    int32_t lineMargin = 1;  // pixels between the lines of the drop boxes
};

GuiProfile& GuiProfileRecord();

// Reads the language choice (and selects its section of the language file), the gaps and the
// window font. Called once at start, before any dialog is built.
void LoadGuiProfile(const RawLayer::RawString& path);

}  // namespace AppLayer
