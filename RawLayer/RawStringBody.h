// Internals of RawString shared by its sources (RawString*.cpp); nothing else includes this.
// Bodies are made, copied and converted here; positions are never checked (callers clip first).
#pragma once

#include <cstdint>

#include "RawLayer/RawCodeUnits.h"
#include "RawLayer/RawString.h"

namespace RawLayer::StringBody {

// Largest capacity a body may ask for; beyond it allocation fails as out of memory.
constexpr int64_t kMaxCapacity = 0x3FFFFFF0;

inline int UnitSize(uint8_t encoding) { return encoding == Wide ? 2 : 1; }

// A clipped range of a string.
struct Span {
    int32_t first;
    int32_t end;
    int32_t Length() const { return end - first; }
};

inline Span Clip(int64_t first, int64_t end, int32_t length) {
    if (first < 0) first = 0;
    if (first > length) first = length;
    if (end > length) end = length;
    if (end < first) end = first;
    return Span{static_cast<int32_t>(first), static_cast<int32_t>(end)};
}

inline uint32_t ReadUnit(const RawStringBody* body, int32_t pos) {
    if (body->encoding == Wide) return static_cast<const uint16_t*>(body->buffer)[pos];
    return static_cast<const uint8_t*>(body->buffer)[pos];
}

inline void WriteUnit(RawStringBody* body, int32_t pos, uint32_t unit) {
    if (body->encoding == Wide) {
        static_cast<uint16_t*>(body->buffer)[pos] = static_cast<uint16_t>(unit);
    } else {
        static_cast<uint8_t*>(body->buffer)[pos] = static_cast<uint8_t>(unit);
    }
}

inline int64_t GrowthCapacity(int64_t units) { return units < 200 ? 2 * units + 20 : 2 * units + 100; }

// A new body with no units: the shared zero units, capacity 0.
RawStringBody* CreateBody(StringOwnership ownership, StringEncoding encoding);
void DestroyBody(RawStringBody* body);
// An Owned body of `capacity` units (Empty when 0) holding a copy of `length` units.
RawStringBody* CopyUnits(const void* units, int32_t length, StringEncoding encoding, int64_t capacity);
// A new body holding `units` of `from` in `to`. The same encoding is copied with room by the
// growth rule, or exactly when `exact`; every other pair passes through UTF-16.
RawStringBody* Convert(const void* units, int32_t length, StringEncoding from, StringEncoding to, bool exact);

}  // namespace RawLayer::StringBody
