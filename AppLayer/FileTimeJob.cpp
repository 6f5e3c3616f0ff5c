#include "AppLayer/FileTimeJob.h"

#include "RawLayer/RawFile.h"
#include "RawLayer/RawPath.h"
#include "RawLayer/RawSpecialPath.h"

using RawLayer::RawParameterList;
using RawLayer::RawParameterUnit;
using RawLayer::RawString;

namespace AppLayer {
namespace {

const RawString& NoTagPrefix() {
    static const RawString text("NoTag");
    return text;
}

// Flag of a value-less option letter; 0 for any other name.
uint16_t OptionFlag(const RawString& name) {
    static const struct {
        const char* name;
        uint16_t flag;
    } kOptions[] = {{"u", ShowUtc}, {"c", SetCreation}, {"w", SetLastWrite}, {"a", SetLastAccess},
                    {"d", UseDate}, {"t", UseTime},     {"m", UseMSec}};
    if (name.Length() != 1) return 0;
    for (const auto& option : kOptions) {
        if (name.UnitAt(0) == static_cast<uint8_t>(option.name[0])) return option.flag;
    }
    return 0;
}

RawString ResolveAgainstProgram(const RawString& path) {
    return RawLayer::ResolvePath(path, RawLayer::ModuleDirectory(RawLayer::Utf8));
}

// One entry's effect; texts with a value: D, T, M, s, O, U; NoTag* words are targets.
void TakeEntry(FileTimeJob& job, const RawParameterUnit& entry) {
    static const RawString kDate("D"), kTime("T"), kMSec("M"), kSource("s"), kUndo("U"), kOffset("O");
    const RawString& name = entry.name;
    if (uint16_t flag = OptionFlag(name)) {
        job.settings.flags |= flag;
        if (flag == ShowUtc) job.settings.value.ShowAsUtc();
    } else if (name.Equals(kDate)) {
        job.settings.flags |= UseDate;
        job.dateText = entry.value;
    } else if (name.Equals(kTime)) {
        job.settings.flags |= UseTime;
        job.timeText = entry.value;
    } else if (name.Equals(kMSec)) {
        job.settings.flags |= UseMSec;
        job.msecText = entry.value;
    } else if (name.Equals(kSource)) {
        job.sourcePath = entry.value.IsEmpty() ? RawString() : ResolveAgainstProgram(entry.value);
    } else if (name.Equals(kOffset)) {
        // Start-up refused a text that does not parse, and -O beside the value options.
        job.settings.shift = ParseOffset(entry.value, job.settings.shiftTicks);
    } else if (name.Equals(kUndo)) {
        job.undo = true;
        job.undoPath = entry.value.IsEmpty() ? RawString() : ResolveAgainstProgram(entry.value);
    } else if (name.MatchesAt(0, NoTagPrefix(), NoTagPrefix().Length())) {
        job.targets.Add(ResolveAgainstProgram(entry.value));
    }
}

}  // namespace

FileTimeJob::FileTimeJob() {
    settings.value.SetFromNow();
    settings.value.ShowAsLocal();
    settings.ClearMilliseconds();
}

FileTimeJob& Job() {
    static FileTimeJob job;
    return job;
}

bool FillJob(FileTimeJob& job, const RawString& configProfilePath, const RawParameterList& parameters) {
    job.configProfile.SetPath(configProfilePath);
    for (const RawParameterUnit& entry : parameters) TakeEntry(job, entry);
    if (!(job.settings.flags & (SetCreation | SetLastWrite | SetLastAccess))) job.settings.flags |= SetLastWrite;
    if (!(job.settings.flags & kPartMask)) job.settings.flags |= kPartMask;

    // A source whose time cannot be read must not lend the value 1601-01-01 to the targets.
    FileTimeValue base;
    FILETIME sourceTime = {};
    bool sourceRead =
        job.sourcePath.IsEmpty() || RawLayer::LastWriteTime(RawLayer::LongPathForm(job.sourcePath), &sourceTime);
    if (!job.sourcePath.IsEmpty() && sourceRead) {
        base.SetFromFileTime(sourceTime);
    } else {
        base.SetFromNow();
    }
    job.settings.AssignValue(base, kPartMask);
    job.settings.ParseDate(job.dateText);
    job.settings.ParseTime(job.timeText);
    job.settings.ParseMSec(job.msecText);
    return sourceRead;
}

}  // namespace AppLayer
