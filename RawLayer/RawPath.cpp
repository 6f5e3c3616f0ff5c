#include "RawLayer/RawPath.h"

#include <algorithm>
#include <vector>

#include "RawLayer/RawCodeUnits.h"

namespace RawLayer {

namespace {

const RawString& Backslash() {
    static const RawString text("\\");
    return text;
}

// Encodings whose byte units do not stand for ASCII characters one by one.
bool IsByteStream(StringEncoding encoding) {
    return encoding == Utf7 || encoding == Utf16BE || encoding == Utf16LE;
}

bool IsPlainAscii(const RawString& text) {
    if (text.IsEmpty()) return true;
    if (IsByteStream(text.Encoding())) return false;
    for (int32_t i = 0; i < text.Length(); ++i) {
        if (text.UnitAt(i) > 127) return false;
    }
    return true;
}

// Encoding that holds both texts without loss: one of theirs when the other is plain ASCII,
// else Wide.
StringEncoding JoinEncoding(const RawString& first, const RawString& second) {
    if (first.Encoding() == second.Encoding() || IsPlainAscii(second)) return first.Encoding();
    if (IsPlainAscii(first)) return second.Encoding();
    return Wide;
}

// Position of the first separator at or after position, the length when none.
int32_t ComponentEnd(const RawString& path, int32_t position) {
    while (position < path.Length() && !IsSeparator(path, position)) ++position;
    return position;
}

bool HasDriveAt(const RawString& path, int32_t position) {
    return IsAsciiLetter(path.UnitAt(position)) && path.UnitAt(position + 1) == ':';
}

// Root of a path behind "\\": server and share, or a device path's drive or volume.
int32_t DeviceOrShareEnd(const RawString& path) {
    uint32_t marker = path.UnitAt(2);
    bool device = (marker == '?' || marker == '.') && IsSeparator(path, 3);
    if (!device) return ComponentEnd(path, ComponentEnd(path, 2) + 1);
    if (HasDriveAt(path, 4)) return 6;
    static const RawString unc("UNC");
    if (path.RangeEqualsIgnoreCase(4, 7, unc, 0, 3) && IsSeparator(path, 7)) {
        return ComponentEnd(path, ComponentEnd(path, 8) + 1);
    }
    return ComponentEnd(path, 4);
}

int32_t DoubleSeparatorRootLength(const RawString& path) {
    return std::min(DeviceOrShareEnd(path), path.Length());
}

// Last separator before end, -1 when none.
int32_t LastSeparatorBefore(const RawString& path, int32_t end) {
    for (int32_t i = end - 1; i >= 0; --i) {
        if (IsSeparator(path, i)) return i;
    }
    return -1;
}

// What LongPathForm makes of a path: "C:\x", "\\server\share\x", or anything else.
enum class PathKind { Other, Drive, Share };

PathKind KindOf(const RawString& path) {
    if (HasDriveAt(path, 0) && IsSeparator(path, 2)) return PathKind::Drive;
    if (!IsSeparator(path, 0) || !IsSeparator(path, 1)) return PathKind::Other;
    const uint32_t marker = path.UnitAt(2);
    const bool device = (marker == '?' || marker == '.') && (IsSeparator(path, 3) || path.Length() == 3);
    return device ? PathKind::Other : PathKind::Share;
}

// The platform's full form of a Wide path; empty when it has none.
RawString FullPathOf(const RawString& wide) {
    std::vector<wchar_t> buffer(static_cast<size_t>(wide.Length()) + MAX_PATH);
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = GetFullPathNameW(wide.WideUnits(), size, buffer.data(), nullptr);
        if (length == 0) return RawString();
        if (length < size) return RawString::FromWide(buffer.data(), static_cast<int32_t>(length));
        buffer.resize(length);  // the size it asked for, terminator included
    }
    return RawString();
}

bool StartsWithStep(const RawString& path, int32_t position, int32_t dots) {
    for (int32_t i = 0; i < dots; ++i) {
        if (path.UnitAt(position + i) != '.') return false;
    }
    return position + dots < path.Length() && IsSeparator(path, position + dots);
}

}  // namespace

bool IsSeparator(const RawString& path, int32_t position) {
    if (position < 0 || position >= path.Length()) return false;
    uint32_t unit = path.UnitAt(position);
    if (unit != '\\' && unit != '/') return false;
    if (path.Encoding() != ShiftJis || unit == '/') return true;
    // A run of lead-range bytes before it: odd means the last one leads this 0x5C.
    int32_t leads = 0;
    while (position - leads > 0 && IsShiftJisLead(path.UnitAt(position - leads - 1))) ++leads;
    return leads % 2 == 0;
}

int32_t LastSeparator(const RawString& path) {
    int32_t last = LastSeparatorBefore(path, path.Length());
    return last < 0 ? path.Length() : last;
}

RawRange DirectoryRange(const RawString& path) {
    int32_t last = LastSeparator(path);
    if (last == path.Length()) return RawRange{0, 0};
    return RawRange{0, last};
}

RawRange FileNameRange(const RawString& path) {
    int32_t last = LastSeparator(path);
    if (last == path.Length()) return RawRange{0, path.Length()};
    return RawRange{last + 1, path.Length()};
}

RawRange ExtensionRange(const RawString& path) {
    int32_t length = path.Length();
    for (int32_t i = length - 1; i >= 0; --i) {
        if (IsSeparator(path, i)) break;
        if (path.UnitAt(i) == '.') return RawRange{i + 1, length};
    }
    return RawRange{length, length};
}

int32_t RootLength(const RawString& path) {
    if (HasDriveAt(path, 0)) return 2;
    if (IsSeparator(path, 0) && IsSeparator(path, 1)) return DoubleSeparatorRootLength(path);
    return 0;
}

RawString JoinPath(const RawString& directory, const RawString& name) {
    RawString result(directory, JoinEncoding(directory, name));
    int32_t length = directory.Length();
    if (length == 0 || IsSeparator(directory, length - 1)) {
        result.Concat(name);
    } else {
        result.Concat(Backslash(), name);
    }
    return result;
}

RawString DirectoryOf(const RawString& path) {
    RawRange range = DirectoryRange(path);
    return RawString::FromRange(path, range.start, range.end);
}

RawString FileNameOf(const RawString& path) {
    RawRange range = FileNameRange(path);
    return RawString::FromRange(path, range.start, range.end);
}

RawString ResolvePath(const RawString& path, const RawString& base) {
    if (path.IsEmpty() || HasDriveAt(path, 0) || (IsSeparator(path, 0) && IsSeparator(path, 1))) return path;
    int32_t baseEnd = base.Length();
    if (baseEnd > 0 && IsSeparator(base, baseEnd - 1)) --baseEnd;
    int32_t root = RootLength(base);
    int32_t position = 0;
    for (;;) {
        if (StartsWithStep(path, position, 1)) {
            position += 2;
        } else if (StartsWithStep(path, position, 2)) {
            position += 3;
            // Never above the root: "C:\a" with "..\..\x" is "C:\x", not the relative "x".
            int32_t parentEnd = std::max(LastSeparatorBefore(base, baseEnd), 0);
            baseEnd = std::max(parentEnd, std::min(root, baseEnd));
        } else {
            break;
        }
    }
    RawString rest = RawString::FromRange(path, position, path.Length());
    RawString result = RawString::FromRange(base, 0, baseEnd);
    if (result.IsEmpty()) return rest;
    RawString joined(result, JoinEncoding(result, rest));
    joined.Concat(Backslash(), rest);
    return joined;
}

RawString LongPathForm(const RawString& path) {
    RawString wide(path, Wide);
    if (KindOf(wide) == PathKind::Other) return wide;
    const RawString full = FullPathOf(wide);
    const PathKind kind = KindOf(full);
    // A device name ("C:\x\nul" resolves to "\\.\nul") is left to the platform as it was given.
    if (kind == PathKind::Other) return wide;
    const int32_t keep = kind == PathKind::Drive ? 3 : RootLength(full);
    int32_t end = full.Length();
    while (end > keep && IsSeparator(full, end - 1)) --end;
    RawString longForm = RawString::FromWide(kind == PathKind::Drive ? L"\\\\?\\" : L"\\\\?\\UNC");
    longForm.AppendRange(full, kind == PathKind::Drive ? 0 : 1, end);
    return longForm;
}

}  // namespace RawLayer
