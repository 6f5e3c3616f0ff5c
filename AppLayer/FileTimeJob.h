// FileTimeJob: the process-wide job record that start-up fills from the command line. It lives
// from first use to process exit; the main dialog edits its settings in place.
#pragma once

#include "AppLayer/FileTimeValue.h"
#include "RawLayer/RawList.h"
#include "RawLayer/RawProfile.h"
#include "RawLayer/RawString.h"

namespace AppLayer {

struct FileTimeJob {
    FileTimeJob();

    RawLayer::RawProfile configProfile;  // the "ConfigFile" profile
    FileTimeSettings settings;
    RawLayer::RawString dateText;     // -D
    RawLayer::RawString timeText;     // -T
    RawLayer::RawString msecText;     // -M
    RawLayer::RawString sourcePath;   // -s, resolved; empty when none
    RawLayer::RawStringList targets;  // resolved, in command-line order
    bool undo = false;                // -U: put a run's old times back
    RawLayer::RawString undoPath;     // -U's journal, resolved; empty: the newest
};

FileTimeJob& Job();

// Maps the command-line entries onto the job and sets its value: the source's last write time
// or the clock, then the -D, -T and -M texts. False when a source was named whose time could
// not be read; the value then starts from the clock and nothing may be applied with it.
bool FillJob(FileTimeJob& job, const RawLayer::RawString& configProfilePath,
             const RawLayer::RawParameterList& parameters);

}  // namespace AppLayer
