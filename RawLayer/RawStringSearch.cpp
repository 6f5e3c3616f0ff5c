// RawString comparison and search.
#include "RawLayer/RawCodeUnits.h"
#include "RawLayer/RawString.h"
#include "RawLayer/RawStringBody.h"

namespace RawLayer {

using namespace StringBody;

namespace {

bool SpansEqual(const RawStringBody* a, Span sa, const RawStringBody* b, Span sb, bool ignoreCase) {
    if (sa.Length() != sb.Length()) return false;
    for (int32_t i = 0; i < sa.Length(); ++i) {
        uint32_t ua = ReadUnit(a, sa.first + i);
        uint32_t ub = ReadUnit(b, sb.first + i);
        if (ignoreCase) {
            ua = FoldAscii(ua);
            ub = FoldAscii(ub);
        }
        if (ua != ub) return false;
    }
    return true;
}

bool SetHolds(const RawString& set, uint32_t unit) {
    for (int32_t pos = 0; pos < set.Length(); ++pos) {
        if (set.UnitAt(pos) == unit) return true;
    }
    return false;
}

}  // namespace

// ---- comparison and search ----

bool RawString::Equals(const RawString& other) const {
    return SpansEqual(body_, Span{0, Length()}, other.body_, Span{0, other.Length()}, false);
}

bool RawString::EqualsIgnoreCase(const RawString& other) const {
    return SpansEqual(body_, Span{0, Length()}, other.body_, Span{0, other.Length()}, true);
}

bool RawString::RangeEquals(int32_t first, int32_t end, const RawString& other, int32_t otherFirst,
                            int32_t otherEnd) const {
    return SpansEqual(body_, Clip(first, end, Length()), other.body_, Clip(otherFirst, otherEnd, other.Length()),
                      false);
}

bool RawString::RangeEqualsIgnoreCase(int32_t first, int32_t end, const RawString& other, int32_t otherFirst,
                                      int32_t otherEnd) const {
    return SpansEqual(body_, Clip(first, end, Length()), other.body_, Clip(otherFirst, otherEnd, other.Length()), true);
}

bool RawString::MatchesAt(int32_t pos, const RawString& other, int32_t count) const {
    return SpansEqual(body_, Clip(pos, static_cast<int64_t>(pos) + count, Length()), other.body_,
                      Clip(0, count, other.Length()), false);
}

bool RawString::MatchesAtIgnoreCase(int32_t pos, const RawString& other, int32_t count) const {
    return SpansEqual(body_, Clip(pos, static_cast<int64_t>(pos) + count, Length()), other.body_,
                      Clip(0, count, other.Length()), true);
}

int32_t RawString::Find(const RawString& other, int32_t first, int32_t end) const {
    const Span span = Clip(first, end, Length());
    const int32_t count = other.Length();
    if (count == 0) return span.end;
    for (int32_t pos = span.first; pos <= span.end - count; pos += TrailCount(pos) + 1) {
        if (SpansEqual(body_, Span{pos, pos + count}, other.body_, Span{0, count}, false)) return pos;
    }
    return span.end;
}

int32_t RawString::FindUnit(uint32_t unit, int32_t start) const { return FindUnitInRange(unit, start, Length()); }

int32_t RawString::FindUnitInRange(uint32_t unit, int32_t first, int32_t end) const {
    const Span span = Clip(first, end, Length());
    for (int32_t pos = span.first; pos < span.end; pos += TrailCount(pos) + 1) {
        if (ReadUnit(body_, pos) == unit) return pos;
    }
    return span.end;
}

int32_t RawString::FindLineEnd(int32_t first, int32_t end) const {
    const Span span = Clip(first, end, Length());
    for (int32_t pos = span.first; pos < span.end; ++pos) {
        const uint32_t unit = ReadUnit(body_, pos);
        if (unit == kReturn || unit == kLineFeed) return pos;
    }
    return span.end;
}

int32_t RawString::FindFirstOf(const RawString& set, int32_t start) const {
    const Span span = Clip(start, Length(), Length());
    for (int32_t pos = span.first; pos < span.end; pos += TrailCount(pos) + 1) {
        if (SetHolds(set, ReadUnit(body_, pos))) return pos;
    }
    return span.end;
}

int32_t RawString::SkipAll(const RawString& set, int32_t start) const {
    const Span span = Clip(start, Length(), Length());
    for (int32_t pos = span.first; pos < span.end; ++pos) {
        if (!SetHolds(set, ReadUnit(body_, pos))) return pos;
    }
    return span.end;
}

int32_t RawString::FindLastOf(const RawString& set, int32_t first, int32_t end) const {
    const Span span = Clip(first, end, Length());
    int32_t found = span.end;
    for (int32_t pos = span.first; pos < span.end; pos += TrailCount(pos) + 1) {
        if (SetHolds(set, ReadUnit(body_, pos))) found = pos;
    }
    return found;
}

bool RawString::IsUnitIn(int32_t pos, const RawString& set) const {
    if (pos < 0 || pos >= Length() || set.IsEmpty()) return false;
    return SetHolds(set, ReadUnit(body_, pos));
}

RawRange RawString::TrimRange(int32_t first, int32_t end, const RawString& set) const {
    const Span span = Clip(first, end, Length());
    int32_t start = span.first;
    while (start < span.end && SetHolds(set, ReadUnit(body_, start))) ++start;
    if (start == span.end) return RawRange{span.end, span.end};
    int32_t stop = span.end;
    while (stop > start && SetHolds(set, ReadUnit(body_, stop - 1))) --stop;
    return RawRange{start, stop};
}

int32_t RawString::CountLineFeeds() const {
    int32_t count = 0;
    for (int32_t pos = 0; pos < Length(); ++pos) count += ReadUnit(body_, pos) == kLineFeed ? 1 : 0;
    return count;
}

}  // namespace RawLayer
