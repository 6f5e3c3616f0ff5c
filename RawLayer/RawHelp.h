// The help documents: the ReadMe beside the executable (in the user's language when there is one),
// the manuals that the configuration names by file patterns, and the help viewer "Readora.exe".
// Documents of the viewer's types go to the viewer when it is found, all others (and all of them
// without a viewer) to the program the shell associates with their type. A started program is
// left running; RawHelp keeps no handle of it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "RawLayer/RawList.h"
#include "RawLayer/RawString.h"

namespace RawLayer {

class RawProfile;

// Menu identifiers of the manuals, in list order; manuals beyond the last identifier get none.
constexpr UINT kManualMenuFirst = 4113;
constexpr UINT kManualMenuLast = 4142;
constexpr int32_t kManualMenuItems = static_cast<int32_t>(kManualMenuLast - kManualMenuFirst + 1);

class RawHelp {
public:
    RawHelp();

    // Finds the documents for this process: the executable's folder and the current language.
    // Reads section "Manual" of the configuration profile.
    void SetUp(RawProfile& configuration);
    // As SetUp, for a program standing in executableFolder and the language languageName.
    void SetUp(RawProfile& configuration, const RawString& executableFolder, const RawString& languageName);

    const RawString& ExecutableFolder() const { return executableFolder_; }
    // The ReadMe to open; empty when there is none.
    const RawString& DefaultDocument() const { return defaultDocument_; }
    // Full paths of every manual found, sorted ordinally, each file once.
    const RawStringList& Manuals() const { return manuals_; }
    const RawStringList& ViewerExtensions() const { return viewerExtensions_; }

    // How many manuals a menu offers: all of them, but never more than kManualMenuItems.
    int32_t MenuManualCount() const;
    // The manual at index, counted from 0 in list order; empty when there is none.
    RawString Manual(int32_t index) const;
    // The manual a menu identifier stands for; empty outside the identifiers or the list.
    RawString ManualOfCommand(UINT identifier) const;

    // "Readora.exe" beside the executable, in its "Readora" folder, or in a "Readora" folder
    // beside the executable's folder; empty when none is there. Never a relative path.
    RawString FindViewer() const;
    // Opens the document with the viewer or its associated program; nothing for an empty path.
    // True when a program was started.
    bool OpenDocument(const RawString& path) const;

private:
    void ChooseReadMe(const RawString& languageName);
    void FindManuals(const RawStringList& patterns);

    RawString executableFolder_;  // Utf8
    RawString defaultDocument_;
    RawStringList manuals_;           // case-insensitive: a file found twice is listed once
    RawStringList viewerExtensions_;  // case-insensitive
};

// The "Manual" setting as patterns: items separated by "," or ";", trimmed of spaces and tabs;
// inside double quotes (which are removed) "," and ";" do not separate. Empty items are dropped.
RawStringList SplitManualPatterns(const RawString& text);
// The "Readora" setting as extensions: items separated by ",", trimmed; empty items dropped.
RawStringList SplitViewerExtensions(const RawString& text);

}  // namespace RawLayer
