// Texts shared by the framework's dialogs (buttons and prompts of the text table "CommonDialog",
// with built-in defaults) and the GUI profile key of the standard gap.
#pragma once

#include "RawLayer/RawList.h"
#include "RawLayer/RawString.h"

namespace WinLayer {

// Name of the text table in the language file.
const RawLayer::RawString& CommonDialogTableName();
// The (tag, default text) pairs, ending with an empty tag. Static; registered with the language
// store, which points at it for the rest of the process.
const RawLayer::RawLocaleRecord* CommonDialogTable();

// One unit per tag of the table, in table order, holding the text to show: the current language's
// text, or the default when the language file lacks it or holds an empty text. Texts that came
// from the defaults are written into the language file at its next save.
RawLayer::RawParameterList CommonDialogTexts();

// Key of the standard gap in section "WindowParameter" of the GUI profile.
const RawLayer::RawString& MarginKey();

}  // namespace WinLayer
