// Folder queries (the executable, the temporary folder, the current directory, the user's
// application-data folder) and the resolution of path settings. Every query returns a new string
// in the encoding asked for: Ansi and ShiftJis through the narrow call, every other encoding
// through the wide call (converted when it is not Wide). Failures give an empty string.
#pragma once

#include <windows.h>

#include <cstdint>

#include "RawLayer/RawString.h"

namespace RawLayer {

// Full path of the executable.
RawString ModulePath(StringEncoding encoding);
// The executable's folder, without a trailing separator.
RawString ModuleDirectory(StringEncoding encoding);
// The temporary folder, never ending with a separator.
RawString TempPath(StringEncoding encoding);
RawString CurrentDirectory(StringEncoding encoding);
// The per-user application-data folder; empty when the shell cannot tell it.
RawString AppDataPath(StringEncoding encoding);

// The path with its first "$(User)" (ASCII letters in any case) replaced by the application-data
// folder joined with productName; that folder is created. Without the macro, the path unchanged.
RawString ExpandUserMacro(const RawString& path, const RawString& productName);
// A path setting made absolute: the macro expanded, then a path without a drive letter or a
// leading double backslash taken relative to the executable's folder.
RawString ResolveSettingPath(const RawString& value, const RawString& productName);

// Units the queries ask with first; longer results are asked for again with the size needed.
constexpr DWORD kPathQueryUnits = 261;

enum class PathQuery { Module, Temp, Current };
// The raw query behind ModulePath, TempPath (separator kept) and CurrentDirectory, asking with
// firstUnits first. Never returns a truncated path: a longer one is asked for again, and a
// query that cannot be satisfied gives an empty string.
RawString QueryPath(PathQuery query, StringEncoding encoding, DWORD firstUnits = kPathQueryUnits);

}  // namespace RawLayer
