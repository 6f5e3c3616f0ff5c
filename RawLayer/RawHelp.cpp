#include "RawLayer/RawHelp.h"

#include <algorithm>

#include "RawLayer/RawFile.h"
#include "RawLayer/RawFindFile.h"
#include "RawLayer/RawLanguageTexts.h"
#include "RawLayer/RawNamePattern.h"
#include "RawLayer/RawPath.h"
#include "RawLayer/RawProfile.h"
#include "RawLayer/RawShell.h"
#include "RawLayer/RawSpecialPath.h"

namespace RawLayer {
namespace {

struct Texts {
    RawString section{"Manual"};
    RawString manualKey{"Manual"};
    RawString manualDefault{"ReadMe_*.txt,ReadMe_*.md,*.pdf"};
    RawString viewerKey{"Readora"};
    RawString viewerDefault{"txt,md"};
    RawString viewerProgram{"Readora.exe"};
    RawString viewerFolder{"Readora"};
    RawString readMe{"ReadMe_Kairodex.txt"};
    RawString underscore{"_"};
    RawString quote{"\""};
    RawString blanks{" \t"};
};

const Texts& Text() {
    static const Texts texts;
    return texts;
}

// Splits at the separator units; with quoting, a double quote starts or ends a stretch in which
// they do not separate, and every quote is dropped after trimming.
RawStringList SplitList(const RawString& text, const RawString& separators, bool quoting) {
    RawStringList items;
    const RawString source(text, Utf8);
    int32_t first = 0;
    bool quoted = false;
    for (int32_t position = 0; position <= source.Length(); ++position) {
        const bool atEnd = position == source.Length();
        if (!atEnd && quoting && source.UnitAt(position) == '"') quoted = !quoted;
        if (!atEnd && (quoted || !source.IsUnitIn(position, separators))) continue;
        const RawRange range = source.TrimRange(first, position, Text().blanks);
        RawString item(Utf8, range.end - range.start);
        for (int32_t unit = range.start; unit < range.end; ++unit) {
            if (!quoting || source.UnitAt(unit) != '"') item.Append(source.UnitAt(unit));
        }
        if (!item.IsEmpty()) items.Add(item);
        first = position + 1;
    }
    return items;
}

RawString ValueOr(const RawParameterList& settings, const RawString& key, const RawString& defaultValue) {
    const RawParameterUnit* unit = settings.Find(key);
    return unit ? unit->value : defaultValue;
}

// The folder without one trailing separator, so that a drive root reads "C:".
RawString WithoutTrailingSeparator(const RawString& folder) {
    const int32_t length = folder.Length();
    if (length > 0 && IsSeparator(folder, length - 1)) return RawString::FromRange(folder, 0, length - 1);
    return folder;
}

}  // namespace

RawStringList SplitManualPatterns(const RawString& text) { return SplitList(text, RawString(",;"), true); }

RawStringList SplitViewerExtensions(const RawString& text) { return SplitList(text, RawString(","), false); }

RawHelp::RawHelp() {
    manuals_.SetCaseSensitive(false);
    viewerExtensions_.SetCaseSensitive(false);
}

void RawHelp::SetUp(RawProfile& configuration) {
    SetUp(configuration, ModuleDirectory(Utf8), LanguageTexts().LanguageName());
}

void RawHelp::SetUp(RawProfile& configuration, const RawString& executableFolder, const RawString& languageName) {
    executableFolder_ = RawString(WithoutTrailingSeparator(executableFolder), Utf8);
    ChooseReadMe(languageName);
    RawParameterList settings;
    configuration.ReadSection(settings, Text().section);
    viewerExtensions_.Reset();
    for (const RawString& extension :
         SplitViewerExtensions(ValueOr(settings, Text().viewerKey, Text().viewerDefault))) {
        viewerExtensions_.FindOrAdd(extension);
    }
    manuals_.Reset();
    FindManuals(SplitManualPatterns(ValueOr(settings, Text().manualKey, Text().manualDefault)));
    RawStringListSort sort(manuals_);
    manuals_.Sort(sort);
}

void RawHelp::ChooseReadMe(const RawString& languageName) {
    defaultDocument_ = RawString();
    // Without the executable's folder the names would be relative to whatever folder is current.
    if (executableFolder_.IsEmpty()) return;
    const RawString readMe = JoinPath(executableFolder_, Text().readMe);
    if (!languageName.IsEmpty()) {
        const int32_t dot = ExtensionRange(readMe).start - 1;
        RawString localized = RawString::FromRange(readMe, 0, dot);
        localized.Concat(Text().underscore, languageName, RawString::FromRange(readMe, dot, readMe.Length()));
        if (IsFile(localized)) {
            defaultDocument_ = localized;
            return;
        }
    }
    if (IsFile(readMe)) defaultDocument_ = readMe;
}

void RawHelp::FindManuals(const RawStringList& patterns) {
    for (const RawString& pattern : patterns) {
        const RawString path = ResolvePath(pattern, executableFolder_);
        const RawString name = FileNameOf(path);
        // Only absolute folders are searched: never the current directory by accident.
        if (RootLength(path) == 0 || name.IsEmpty()) continue;
        RawNamePattern matcher(name, true, true);
        RawFindFile find(DirectoryOf(path));
        while (find.Next()) {
            if (!find.IsDirectory() && matcher.Match(find.Name())) manuals_.FindOrAdd(RawString(find.FullPath(), Utf8));
        }
    }
}

int32_t RawHelp::MenuManualCount() const { return std::min(manuals_.Count(), kManualMenuItems); }

RawString RawHelp::Manual(int32_t index) const {
    if (index < 0 || index >= manuals_.Count()) return RawString();
    RawListNode* node = manuals_.FirstNode();
    for (int32_t i = 0; i < index; ++i) node = node->next;
    return *RawStringList::Element(node);
}

RawString RawHelp::ManualOfCommand(UINT identifier) const {
    if (identifier < kManualMenuFirst || identifier > kManualMenuLast) return RawString();
    return Manual(static_cast<int32_t>(identifier - kManualMenuFirst));
}

RawString RawHelp::FindViewer() const {
    const RawString& folder = executableFolder_;
    if (folder.IsEmpty()) return RawString();
    const RawString beside = JoinPath(folder, Text().viewerProgram);
    if (IsFile(beside)) return beside;
    const RawString inFolder = JoinPath(JoinPath(folder, Text().viewerFolder), Text().viewerProgram);
    if (IsFile(inFolder)) return inFolder;
    // A program at a drive or share root has no parent folder; its "parent" would be a path
    // relative to the current directory.
    if (folder.Length() <= RootLength(folder)) return RawString();
    const RawString parent = DirectoryOf(folder);
    if (parent.IsEmpty()) return RawString();
    const RawString besideFolder = JoinPath(JoinPath(parent, Text().viewerFolder), Text().viewerProgram);
    return IsFile(besideFolder) ? besideFolder : RawString();
}

bool RawHelp::OpenDocument(const RawString& path) const {
    if (path.IsEmpty()) return false;
    const RawRange range = ExtensionRange(path);
    const RawString extension(RawString::FromRange(path, range.start, range.end), Utf8);
    RawShell shell;
    if (!extension.IsEmpty() && viewerExtensions_.Contains(extension)) {
        const RawString viewer = FindViewer();
        if (!viewer.IsEmpty()) {
            shell.SetProgram(viewer);
            RawString quoted(Text().quote);
            quoted.Concat(path, Text().quote);
            return shell.Execute(quoted);
        }
    }
    shell.SetProgram(path);
    return shell.Execute(RawString());
}

}  // namespace RawLayer
