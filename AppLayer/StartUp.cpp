#include "AppLayer/StartUp.h"

#include "AppLayer/FileTimeApply.h"
#include "AppLayer/FileTimeJob.h"
#include "AppLayer/FileTimeJournal.h"
#include "AppLayer/FileTimeUndo.h"
#include "AppLayer/GuiDialogMode.h"
#include "AppLayer/GuiMainDialog.h"
#include "AppLayer/GuiProfile.h"
#include "RawLayer/RawCommandLine.h"
#include "RawLayer/RawFile.h"
#include "RawLayer/RawLanguageTexts.h"
#include "RawLayer/RawPath.h"
#include "RawLayer/RawPhaseClock.h"
#include "RawLayer/RawProfile.h"
#include "RawLayer/RawSpecialPath.h"
#include "RawLayer/RawThreadDump.h"
#include "WinLayer/WinEnvironment.h"
#include "WinLayer/WinMessageBox.h"

using RawLayer::RawParameterList;
using RawLayer::RawParameterUnit;
using RawLayer::RawProfile;
using RawLayer::RawString;

namespace AppLayer {
namespace {

const RawString& CommonSection() {
    static const RawString text("Common");
    return text;
}

const RawString& ProgramKey() {
    static const RawString text("Program");
    return text;
}

// -O moves times by an offset: the options that choose a value or its parts say nothing with
// it, its text must parse, and it needs targets (the dialog shows no offset, so it must not
// open with one). Names the first bad text in badText (badOffset set).
bool OffsetOptionsAreSound(const RawParameterList& parameters, bool& badOffset, RawString& badText) {
    static const RawString kOffset("O"), kTarget("NoTag");
    static const RawString kValueOptions[] = {"D", "T", "M", "s", "d", "t", "m"};
    if (!parameters.Find(kOffset)) return true;
    bool targets = false;
    for (const RawParameterUnit& entry : parameters) {
        targets = targets || entry.name.MatchesAt(0, kTarget, kTarget.Length());
        for (const RawString& option : kValueOptions) {
            if (entry.name.Equals(option)) return false;
        }
        int64_t ticks = 0;
        if (entry.name.Equals(kOffset) && !ParseOffset(entry.value, ticks)) {
            badOffset = true;
            badText = entry.value;
            return false;
        }
    }
    return targets;
}

// The usage text, after the offset text that could not be read when there is one.
RawString UsageMessage(bool badOffset, const RawString& badText) {
    static const RawString kBadOffset("Bad offset: \""), kEnd("\"\r\n");
    if (!badOffset) return UsageText();
    RawString text(kBadOffset);
    text.Concat(badText, kEnd, UsageText());
    return text;
}

const RawString& BadProfileText() {
    static const RawString text("Bad format profile !!");
    return text;
}

// Creates a missing main profile; false (after the warning) when one exists without "Program".
bool CheckMainProfile(const RawString& path) {
    RawProfile profile(path);
    DWORD attributes = RawLayer::FileAttributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        profile.SetValue(CommonSection(), ProgramKey(), ProductName());
        return true;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return true;
    if (!profile.GetValue(CommonSection(), ProgramKey(), RawString()).IsEmpty()) return true;
    WinLayer::ShowWarning(BadProfileText(), ProductName());
    return false;
}

// The "Common" keys: profile paths, the language and the language file.
void ReadCommonSection(const RawString& mainProfilePath, RawString& guiProfilePath, RawString& configPath) {
    static const RawString kGuiProfile("GuiProfile"), kConfigFile("ConfigFile"), kLanguage("Language"),
        kLanguageFile("LanguageFile");
    RawParameterList common;
    if (!RawProfile(mainProfilePath).ReadSection(common, CommonSection())) return;
    RawLayer::RawLanguageTexts& texts = RawLayer::LanguageTexts();
    if (RawParameterUnit* unit = common.Find(kGuiProfile)) {
        guiProfilePath = RawLayer::ResolveSettingPath(unit->value, ProductName());
    }
    if (RawParameterUnit* unit = common.Find(kConfigFile)) {
        configPath = RawLayer::ResolveSettingPath(unit->value, ProductName());
    }
    if (RawParameterUnit* unit = common.Find(kLanguage)) texts.SetLanguageName(unit->value);
    if (RawParameterUnit* unit = common.Find(kLanguageFile)) {
        texts.SetFilePath(RawLayer::ResolveSettingPath(unit->value, ProductName()));
    }
}

}  // namespace

const RawString& UsageText() {
    static const RawString text(
        "Arguments = [-u] [-c] [-w] [-a] [-d] [-t] [-m] [-s SourceFile] [-D Date] [-T Time] [-M MSec] "
        "[File/Folder]*\r\nor [-c] [-w] [-a] -O [+|-][Days.]hh:mm:ss[.mmm] [File/Folder]*\r\nor -U [JournalFile]");
    return text;
}

RawString MainProfilePath() {
    static const RawString kExtension(".ini");
    RawString path = RawLayer::ModulePath(RawLayer::Utf8);
    if (path.Length() > 4) path.Truncate(path.Length() - 4);
    path.Concat(kExtension);
    return path;
}

StartResult StartUp(HINSTANCE instance, RawParameterList& parameters) {
    static const RawString kHelp("h"), kUndo("U");
    RawLayer::ParseCommandLine(parameters);
    // An undo takes nothing else: options or targets beside it would say something it ignores.
    bool badOffset = false;
    RawString badText;
    if (parameters.Find(kHelp) || (parameters.Find(kUndo) && parameters.Count() > 1) ||
        !OffsetOptionsAreSound(parameters, badOffset, badText)) {
        WinLayer::ShowWarning(UsageMessage(badOffset, badText), ProductName());
        return StartResult::Stop;
    }
    WinLayer::Environment().SetInstance(instance);
    RawString mainProfile = MainProfilePath();
    if (!CheckMainProfile(mainProfile)) return StartResult::Stop;
    return LoadSettings(mainProfile, parameters);
}

StartResult LoadSettings(const RawString& mainProfilePath, const RawParameterList& parameters) {
    RawString guiProfilePath = mainProfilePath;
    RawString configPath = mainProfilePath;
    ReadCommonSection(mainProfilePath, guiProfilePath, configPath);
    KAIRODEX_PHASE("main profile read");
    RawLayer::RawLanguageTexts& texts = RawLayer::LanguageTexts();
    texts.FindLanguageFile(RawLayer::DirectoryOf(configPath));
    texts.LoadLanguageMap();
    KAIRODEX_PHASE("language file found, map read");
    LoadGuiProfile(guiProfilePath);
    KAIRODEX_PHASE("GUI profile and language section read");
    const bool filled = FillJob(Job(), configPath, parameters);
    KAIRODEX_PHASE("job filled");
    return filled ? StartResult::Continue : StartResult::SourceUnreadable;
}

int ProgramEntry(HINSTANCE instance) {
    KAIRODEX_PHASE("program entry");
    RawLayer::InstallThreadDump();
    RawParameterList parameters;
    StartResult start = StartUp(instance, parameters);
    if (start == StartResult::Stop) return kExitStopped;
    FileTimeJob& job = Job();
    if (job.undo) return RunUndoMode(job);
    if (job.targets.Count() == 0) return RunDialogMode(job, start == StartResult::SourceUnreadable);
    return RunCommandLineMode(job, start);
}

int RunCommandLineMode(const FileTimeJob& job, StartResult start) {
    if (start == StartResult::SourceUnreadable) return kExitFilesFailed;
    // Without a journal there would be no way back: the run is refused.
    FileTimeJournal journal;
    if (!journal.Begin(JournalFolder())) return kExitNoJournal;
    KAIRODEX_PHASE("journal begun");
    const uint32_t failed = ApplyToAll(job.settings, job.targets, nullptr, &journal);
    KAIRODEX_PHASE("files applied");
    return failed == 0 ? kExitDone : kExitFilesFailed;
}

int RunUndoMode(const FileTimeJob& job) {
    const UndoResult result = job.undoPath.IsEmpty() ? UndoNewest(JournalFolder()) : UndoJournal(job.undoPath);
    switch (result.outcome) {
        case UndoOutcome::Done:
            return kExitDone;
        case UndoOutcome::SomeFailed:
        case UndoOutcome::Stopped:
            return kExitFilesFailed;
        default:
            return kExitNothingToUndo;
    }
}

}  // namespace AppLayer
