// Command numbers of the main dialog and the tags of its texts in the language file (table
// "MainDlg"). Buttons and check boxes report their command number as the notification code of
// WM_COMMAND; the dialog itself receives the restart, font and undo notifications with identifier 0.
#pragma once

#include "RawLayer/RawList.h"
#include "RawLayer/RawString.h"

namespace AppLayer {

// The text table of the main dialog: name and (tag, default text) pairs ending with an empty tag.
const RawLayer::RawString& MainDialogTableName();
const RawLayer::RawLocaleRecord* MainDialogTable();

constexpr int kCommandClose = 4352;
constexpr int kCommandRestart = 4353;     // posted by the language choice of the window menu
constexpr int kCommandFontChosen = 4354;  // posted by the font choice; no action
constexpr int kCommandUseDate = 4355;
constexpr int kCommandDateSelect = 4356;
constexpr int kCommandDateCurrent = 4357;
constexpr int kCommandUseTime = 4358;
constexpr int kCommandTimeSelect = 4359;
constexpr int kCommandTimeCurrent = 4360;
constexpr int kCommandUseMSec = 4361;
constexpr int kCommandMSecClear = 4362;
constexpr int kCommandMSecCurrent = 4363;
constexpr int kCommandSourceDrop = 4364;
constexpr int kCommandTargetDrop = 4365;
constexpr int kCommandShowUtc = 4366;
constexpr int kCommandSetCreation = 4367;
constexpr int kCommandSetLastWrite = 4368;
constexpr int kCommandSetLastAccess = 4369;
constexpr int kCommandUndoLastChange = 4370;  // posted by the window menu's undo item

// Text tags, in the order of the controls.
constexpr const char* kTagDateTag = "DateTag";
constexpr const char* kTagDateSelect = "DateSelect";
constexpr const char* kTagDateCurrent = "DateCurrent";
constexpr const char* kTagTimeTag = "TimeTag";
constexpr const char* kTagTimeSelect = "TimeSelect";
constexpr const char* kTagTimeCurrent = "TimeCurrent";
constexpr const char* kTagMSecTag = "MSecTag";
constexpr const char* kTagMSecClear = "MSecClear";
constexpr const char* kTagMSecCurrent = "MSecCurrent";
constexpr const char* kTagUtcTag = "UtcTag";
constexpr const char* kTagCreationTimeTag = "CreationTimeTag";
constexpr const char* kTagLastWriteTimeTag = "LastWriteTimeTag";
constexpr const char* kTagLastAccessTimeTag = "LastAccessTimeTag";
constexpr const char* kTagSourceBox = "SourceBox";
constexpr const char* kTagTargetBox = "TargetBox";
constexpr const char* kTagCloseButton = "CloseButton";
// Messages to the user.
constexpr const char* kTagSourceUnreadable = "SourceUnreadable";
constexpr const char* kTagTargetFailed = "TargetFailed";
constexpr const char* kTagRestartFailed = "RestartFailed";
constexpr const char* kTagJournalNotBegun = "JournalNotBegun";
constexpr const char* kTagJournalFailed = "JournalFailed";
constexpr const char* kTagUndoFailed = "UndoFailed";
constexpr const char* kTagRunProgress = "RunProgress";
constexpr const char* kTagRunCancelled = "RunCancelled";
constexpr const char* kTagUndoCancelled = "UndoCancelled";

}  // namespace AppLayer
