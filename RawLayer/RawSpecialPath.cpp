// Folder queries and path settings.
#include "RawLayer/RawSpecialPath.h"

#include <shlobj.h>

#include <vector>

#include "RawLayer/RawCodeUnits.h"
#include "RawLayer/RawFile.h"
#include "RawLayer/RawPath.h"

namespace RawLayer {

namespace {

// The longest path the platform handles, terminator included; no query is asked beyond it.
constexpr DWORD kMaxPathUnits = 32768;

bool IsNarrowEncoding(StringEncoding encoding) { return encoding == Ansi || encoding == ShiftJis; }

DWORD CallNarrow(PathQuery query, char* buffer, DWORD size) {
    switch (query) {
        case PathQuery::Module:
            return GetModuleFileNameA(nullptr, buffer, size);
        case PathQuery::Temp:
            return GetTempPathA(size, buffer);
        case PathQuery::Current:
            return GetCurrentDirectoryA(size, buffer);
    }
    return 0;
}

DWORD CallWide(PathQuery query, wchar_t* buffer, DWORD size) {
    switch (query) {
        case PathQuery::Module:
            return GetModuleFileNameW(nullptr, buffer, size);
        case PathQuery::Temp:
            return GetTempPathW(size, buffer);
        case PathQuery::Current:
            return GetCurrentDirectoryW(size, buffer);
    }
    return 0;
}

// Runs the query until the whole path fits. The temporary folder and the current directory
// report the size they need when the buffer is too small; the module path comes back cut to
// the buffer (count == size), so the buffer is doubled then.
template <class Char>
bool QueryUnits(PathQuery query, DWORD firstUnits, std::vector<Char>& units, DWORD& count) {
    DWORD size = firstUnits > 0 ? firstUnits : 1;
    for (;;) {
        units.assign(size, Char());
        if constexpr (sizeof(Char) == 1) {
            count = CallNarrow(query, units.data(), size);
        } else {
            count = CallWide(query, units.data(), size);
        }
        if (count == 0) return false;
        if (count < size) return true;
        if (size >= kMaxPathUnits) return false;
        size = count > size ? count : size * 2;
        if (size > kMaxPathUnits) size = kMaxPathUnits;
    }
}

// The query's text as the platform call gives it: narrow in the encoding asked for when that is
// Ansi or ShiftJis, else Wide. Path edits happen on this form, before any byte-stream encoding.
RawString QueryNative(PathQuery query, StringEncoding encoding, DWORD firstUnits) {
    DWORD count = 0;
    if (IsNarrowEncoding(encoding)) {
        std::vector<char> units;
        if (!QueryUnits(query, firstUnits, units, count)) return RawString(encoding, 0);
        return RawString::FromUnits(units.data(), static_cast<int32_t>(count), encoding);
    }
    std::vector<wchar_t> units;
    if (!QueryUnits(query, firstUnits, units, count)) return RawString(Wide, 0);
    return RawString::FromUnits(units.data(), static_cast<int32_t>(count), Wide);
}

RawString InEncoding(const RawString& text, StringEncoding encoding) {
    return text.Encoding() == encoding ? text : RawString(text, encoding);
}

// A drive letter and colon, or two leading backslashes.
bool IsAbsoluteSetting(const RawString& path) {
    const uint32_t first = path.UnitAt(0);
    const uint32_t second = path.UnitAt(1);
    return (IsAsciiLetter(first) && second == ':') || (first == '\\' && second == '\\');
}

const RawString& UserMacro() {
    static const RawString macro("$(User)");
    return macro;
}

// Position of the first "$(User)", letters compared without case; -1 when absent.
int32_t FindUserMacro(const RawString& path) {
    const RawString& macro = UserMacro();
    for (int32_t pos = 0; pos + macro.Length() <= path.Length(); pos += path.TrailCount(pos) + 1) {
        if (path.MatchesAtIgnoreCase(pos, macro, macro.Length())) return pos;
    }
    return -1;
}

}  // namespace

RawString QueryPath(PathQuery query, StringEncoding encoding, DWORD firstUnits) {
    return InEncoding(QueryNative(query, encoding, firstUnits), encoding);
}

RawString ModulePath(StringEncoding encoding) { return QueryPath(PathQuery::Module, encoding); }

RawString ModuleDirectory(StringEncoding encoding) {
    return InEncoding(DirectoryOf(QueryNative(PathQuery::Module, encoding, kPathQueryUnits)), encoding);
}

RawString TempPath(StringEncoding encoding) {
    RawString path = QueryNative(PathQuery::Temp, encoding, kPathQueryUnits);
    if (path.Length() > 0 && IsSeparator(path, path.Length() - 1)) path.Truncate(path.Length() - 1);
    return InEncoding(path, encoding);
}

RawString CurrentDirectory(StringEncoding encoding) { return QueryPath(PathQuery::Current, encoding); }

RawString AppDataPath(StringEncoding encoding) {
    if (IsNarrowEncoding(encoding)) {
        char units[kPathQueryUnits] = {};
        if (!SHGetSpecialFolderPathA(nullptr, units, CSIDL_APPDATA, FALSE)) return RawString(encoding, 0);
        return RawString::FromUnits(units, -1, encoding);
    }
    wchar_t units[kPathQueryUnits] = {};
    if (!SHGetSpecialFolderPathW(nullptr, units, CSIDL_APPDATA, FALSE)) return RawString(encoding, 0);
    return InEncoding(RawString::FromUnits(units, -1, Wide), encoding);
}

RawString ExpandUserMacro(const RawString& path, const RawString& productName) {
    const int32_t pos = FindUserMacro(path);
    if (pos < 0) return path;
    const StringEncoding encoding = path.Encoding();
    const RawString folder(JoinPath(AppDataPath(encoding), RawString(productName, encoding)), encoding);
    CreateDirectories(folder);  // a folder that cannot be made still names the setting
    RawString result(path);
    result.ReplaceRange(pos, pos + UserMacro().Length(), folder, 0, folder.Length());
    return result;
}

RawString ResolveSettingPath(const RawString& value, const RawString& productName) {
    const RawString path = ExpandUserMacro(value, productName);
    if (IsAbsoluteSetting(path)) return path;
    return ResolvePath(path, ModuleDirectory(value.Encoding()));
}

}  // namespace RawLayer
