// Path text functions: positions are code units of the path's own encoding, ranges are
// (start, end exclusive). Backslash and slash both separate.
#pragma once

#include <cstdint>

#include "RawLayer/RawString.h"

namespace RawLayer {

// The unit at position is "\" or "/". In ShiftJis text a 0x5C that is the second byte of a
// double-byte character does not count.
bool IsSeparator(const RawString& path, int32_t position);
// Position of the last separator, the length when there is none.
int32_t LastSeparator(const RawString& path);
// Everything before the last separator; (0, 0) when there is none.
RawRange DirectoryRange(const RawString& path);
// Everything after the last separator; the whole path when there is none.
RawRange FileNameRange(const RawString& path);
// After the last dot of the file name; empty at the end when the name has no dot.
RawRange ExtensionRange(const RawString& path);
// Length of the root that ".." never climbs above: "C:" 2, "\\server\share" up to the share's
// end, "\\?\C:" 6, "\\?\UNC\server\share" up to the share's end; 0 for a relative path.
int32_t RootLength(const RawString& path);

// directory + "\" + name; no separator added when directory is empty or ends with one.
RawString JoinPath(const RawString& directory, const RawString& name);
// Text of the directory range as a new string in the path's encoding.
RawString DirectoryOf(const RawString& path);
RawString FileNameOf(const RawString& path);
// Absolute paths (drive letter, two leading separators) unchanged; otherwise path appended to
// base after leading ".\" steps are dropped and "..\" steps have cut base (never above its root).
RawString ResolvePath(const RawString& path, const RawString& base);
// The path as Wide text by which the wide file calls reach it at any length. An absolute path
// on a drive ("C:\x") or a share ("\\server\share\x") is first resolved the way the platform
// resolves plain paths ("." and ".." steps, "/", doubled separators, trailing dots and blanks),
// then given the "\\?\" or "\\?\UNC\" prefix, under which no resolution happens and MAX_PATH
// does not apply; separators at its end go, except the root's. Relative paths, drive-relative
// ones ("C:x") and those that already begin with "\\?\" or "\\.\" keep their text.
RawString LongPathForm(const RawString& path);

}  // namespace RawLayer
