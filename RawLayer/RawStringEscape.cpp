// RawString escaped text: line breaks and tabs as backslash sequences, and back.
#include "RawLayer/RawString.h"
#include "RawLayer/RawStringBody.h"

namespace RawLayer {

using namespace StringBody;

// ---- escaped text ----

RawString RawString::EscapeControls() const {
    RawString out(Encoding(), Length());
    for (int32_t pos = 0; pos < Length();) {
        const int32_t trail = TrailCount(pos);
        const uint32_t unit = ReadUnit(body_, pos);
        if (trail == 0 && (unit == kReturn || unit == kLineFeed || unit == kTab)) {
            out.Append(kBackslash);
            out.Append(unit == kTab ? 't' : 'n');
            pos += (unit == kReturn && UnitAt(pos + 1) == kLineFeed) ? 2 : 1;
            continue;
        }
        out.AppendRange(*this, pos, pos + trail + 1);
        pos += trail + 1;
    }
    return out;
}

// Steps by characters, so a code page 932 trail byte 0x5C is never taken for a backslash. A
// backslash that ends the text escapes nothing and stays: stored texts keep every backslash of
// their display form (a folder "C:\" is stored as it is), so only this reading gives it back.
RawString RawString::UnescapeControls() const {
    RawString out(Encoding(), Length());
    for (int32_t pos = 0; pos < Length();) {
        const int32_t trail = TrailCount(pos);
        if (trail != 0 || ReadUnit(body_, pos) != kBackslash) {
            out.AppendRange(*this, pos, pos + trail + 1);
            pos += trail + 1;
            continue;
        }
        if (pos + 1 == Length()) {
            out.Append(kBackslash);
            break;
        }
        const uint32_t next = ReadUnit(body_, pos + 1);
        const int32_t nextEnd = pos + 2 + TrailCount(pos + 1);
        if (next == 'n') {
            out.Append(kReturn);
            out.Append(kLineFeed);
        } else if (next == 't' || next == 's') {
            out.Append(next == 't' ? kTab : ' ');
        } else {
            out.AppendRange(*this, pos + 1, nextEnd);
        }
        pos = nextEnd;
    }
    return out;
}

}  // namespace RawLayer
