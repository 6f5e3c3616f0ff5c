// RawString bodies, sharing, conversions through UTF-16, editing and search.
#include "RawLayer/RawString.h"

#include <cstring>
#include <new>

namespace RawLayer {

namespace {

// Largest capacity a body may ask for; beyond it allocation fails as out of memory.
constexpr int64_t kMaxCapacity = 0x3FFFFFF0;
// Zero units shared by every Empty body, wide enough for a 16-bit terminator. Never written:
// an Empty body has capacity 0, so any write reallocates first.
alignas(4) uint8_t g_zeroUnits[4] = {0, 0, 0, 0};

constexpr uint32_t kCr = 13;
constexpr uint32_t kLf = 10;
constexpr uint32_t kTab = 9;
constexpr uint32_t kBackslash = 92;

class BodyLock {
public:
    explicit BodyLock(RawStringBody* body) : lock_(&body->lock) { EnterCriticalSection(lock_); }
    ~BodyLock() { LeaveCriticalSection(lock_); }
    BodyLock(const BodyLock&) = delete;
    BodyLock& operator=(const BodyLock&) = delete;

private:
    CRITICAL_SECTION* lock_;
};

int UnitSize(uint8_t encoding) { return encoding == Wide ? 2 : 1; }

// A clipped range of a string.
struct Span {
    int32_t first;
    int32_t end;
    int32_t Length() const { return end - first; }
};

Span Clip(int64_t first, int64_t end, int32_t length) {
    if (first < 0) first = 0;
    if (first > length) first = length;
    if (end > length) end = length;
    if (end < first) end = first;
    return Span{static_cast<int32_t>(first), static_cast<int32_t>(end)};
}

uint32_t ReadUnit(const RawStringBody* body, int32_t pos) {
    if (body->encoding == Wide) return static_cast<const uint16_t*>(body->buffer)[pos];
    return static_cast<const uint8_t*>(body->buffer)[pos];
}

void WriteUnit(RawStringBody* body, int32_t pos, uint32_t unit) {
    if (body->encoding == Wide) {
        static_cast<uint16_t*>(body->buffer)[pos] = static_cast<uint16_t>(unit);
    } else {
        static_cast<uint8_t*>(body->buffer)[pos] = static_cast<uint8_t>(unit);
    }
}

int64_t GrowthCapacity(int64_t units) { return units < 200 ? 2 * units + 20 : 2 * units + 100; }

void* AllocateUnits(int64_t capacity, int unitSize) {
    if (capacity < 0 || capacity > kMaxCapacity) throw std::bad_alloc();
    return ::operator new(static_cast<size_t>((capacity + 1) * unitSize));
}

RawStringBody* CreateBody(StringOwnership ownership, StringEncoding encoding) {
    RawStringBody* body = new RawStringBody;
    body->ownership = ownership;
    body->encoding = encoding;
    body->buffer = g_zeroUnits;
    body->length = 0;
    body->capacity = 0;
    InitializeCriticalSection(&body->lock);
    body->shareCount = 0;
    return body;
}

void DestroyBody(RawStringBody* body) {
    DeleteCriticalSection(&body->lock);
    if (body->ownership == Owned) ::operator delete(body->buffer);
    delete body;
}

// An Owned body of `capacity` units (Empty when 0) holding a copy of `length` units.
RawStringBody* CopyUnits(const void* units, int32_t length, StringEncoding encoding, int64_t capacity) {
    if (capacity <= 0) return CreateBody(Empty, encoding);
    const int size = UnitSize(encoding);
    void* buffer = AllocateUnits(capacity, size);
    RawStringBody* body = CreateBody(Owned, encoding);
    body->buffer = buffer;
    body->capacity = static_cast<int32_t>(capacity);
    if (length > 0) std::memcpy(buffer, units, static_cast<size_t>(length) * size);
    body->length = length;
    WriteUnit(body, length, 0);
    return body;
}

// Copies UTF-16 units between a byte stream and 16-bit units; `swap` for big-endian bytes.
void CopyPairs(const uint8_t* from, uint8_t* to, int32_t units, bool swap) {
    for (int32_t i = 0; i < units; ++i) {
        to[2 * i] = from[2 * i + (swap ? 1 : 0)];
        to[2 * i + 1] = from[2 * i + (swap ? 0 : 1)];
    }
}

bool IsUtf16Bytes(uint8_t encoding) { return encoding == Utf16BE || encoding == Utf16LE; }

// UTF-16 of a narrow text; an odd last byte of a UTF-16 byte stream is ignored.
RawStringBody* WidenUnits(const void* bytes, int32_t length, StringEncoding from) {
    if (IsUtf16Bytes(from)) {
        const int32_t units = length / 2;
        if (units <= 0) return CreateBody(Empty, Wide);
        RawStringBody* body = CopyUnits(nullptr, 0, Wide, units);
        CopyPairs(static_cast<const uint8_t*>(bytes), static_cast<uint8_t*>(body->buffer), units, from == Utf16BE);
        body->length = units;
        WriteUnit(body, units, 0);
        return body;
    }
    const char* text = static_cast<const char*>(bytes);
    const int codePage = CodePageOf(from);
    const int units = length > 0 ? MultiByteToWideChar(codePage, 0, text, length, nullptr, 0) : 0;
    if (units <= 0) return CreateBody(Empty, Wide);
    RawStringBody* body = CopyUnits(nullptr, 0, Wide, units);
    const int done = MultiByteToWideChar(codePage, 0, text, length, static_cast<wchar_t*>(body->buffer), units);
    body->length = done > 0 ? done : 0;
    WriteUnit(body, body->length, 0);
    return body;
}

// A narrow text in `to` from UTF-16 units.
RawStringBody* NarrowUnits(const void* wide, int32_t units, StringEncoding to) {
    if (IsUtf16Bytes(to)) {
        const int32_t bytes = units * 2;
        if (bytes <= 0) return CreateBody(Empty, to);
        RawStringBody* body = CopyUnits(nullptr, 0, to, bytes);
        CopyPairs(static_cast<const uint8_t*>(wide), static_cast<uint8_t*>(body->buffer), units, to == Utf16BE);
        body->length = bytes;
        WriteUnit(body, bytes, 0);
        return body;
    }
    const wchar_t* text = static_cast<const wchar_t*>(wide);
    const int codePage = CodePageOf(to);
    const int bytes = units > 0 ? WideCharToMultiByte(codePage, 0, text, units, nullptr, 0, nullptr, nullptr) : 0;
    if (bytes <= 0) return CreateBody(Empty, to);
    RawStringBody* body = CopyUnits(nullptr, 0, to, bytes);
    char* out = static_cast<char*>(body->buffer);
    const int done = WideCharToMultiByte(codePage, 0, text, units, out, bytes, nullptr, nullptr);
    body->length = done > 0 ? done : 0;
    WriteUnit(body, body->length, 0);
    return body;
}

// A new body holding `units` of `from` in `to`. The same encoding is copied with room by the
// growth rule, or exactly when `exact`; every other pair passes through UTF-16.
RawStringBody* Convert(const void* units, int32_t length, StringEncoding from, StringEncoding to, bool exact) {
    if (from == to) return CopyUnits(units, length, to, exact || length == 0 ? length : GrowthCapacity(length));
    if (to == Wide) return WidenUnits(units, length, from);
    if (from == Wide) return NarrowUnits(units, length, to);
    RawStringBody* wide = WidenUnits(units, length, from);
    RawStringBody* result = NarrowUnits(wide->buffer, wide->length, to);
    DestroyBody(wide);
    return result;
}

// The body itself with one more holder, or a new body converted into `encoding`.
RawStringBody* ShareOrConvert(RawStringBody* source, StringEncoding encoding) {
    if (source->encoding == encoding && source->ownership != View) {
        BodyLock lock(source);
        ++source->shareCount;
        return source;
    }
    return Convert(source->buffer, source->length, static_cast<StringEncoding>(source->encoding), encoding, false);
}

int32_t UnitCountUpToZero(const void* units, StringEncoding encoding) {
    int32_t length = 0;
    if (encoding == Wide) {
        const uint16_t* p = static_cast<const uint16_t*>(units);
        while (p[length] != 0 && length < kMaxCapacity) ++length;
    } else {
        const uint8_t* p = static_cast<const uint8_t*>(units);
        while (p[length] != 0 && length < kMaxCapacity) ++length;
    }
    return length;
}

// Trail counts of one character by its first unit (and, for UTF-16 byte streams, its pair).
int32_t Utf8Trail(uint32_t lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 1;
    if (lead >= 0xE0 && lead <= 0xEF) return 2;
    if (lead >= 0xF0 && lead <= 0xF7) return 3;
    if (lead >= 0xF8 && lead <= 0xFB) return 4;
    if (lead >= 0xFC && lead <= 0xFD) return 5;
    return 0;
}

bool IsShiftJisLead(uint32_t byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xEF); }
bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

int32_t Utf16BytesTrail(const RawStringBody* body, int32_t pos) {
    if (pos % 2 != 0) return 0;
    const uint8_t* p = static_cast<const uint8_t*>(body->buffer) + pos;
    const uint32_t unit = body->encoding == Utf16BE ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]);
    return IsHighSurrogate(unit) ? 3 : 1;
}

uint32_t DigitValue(uint32_t unit) {
    if (unit >= '0' && unit <= '9') return unit - '0';
    if (unit >= 'A' && unit <= 'Z') return unit - 'A' + 10;
    if (unit >= 'a' && unit <= 'z') return unit - 'a' + 10;
    return 0xFF;
}

uint32_t FoldAscii(uint32_t unit) { return unit >= 'a' && unit <= 'z' ? unit - 32 : unit; }

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

// ---- construction and lifetime ----

RawStringBody* RawString::NewBody(StringOwnership ownership, StringEncoding encoding) {
    return CreateBody(ownership, encoding);
}

void RawString::ReleaseBody(RawStringBody* body) {
    int32_t before;
    {
        BodyLock lock(body);
        before = body->shareCount;
        if (before > 0) --body->shareCount;
    }
    if (before == 0) DestroyBody(body);
}

RawString::RawString() : body_(NewBody(Empty, Utf8)) {}

RawString::RawString(const char* literal) : body_(nullptr) {
    if (literal == nullptr) literal = "";
    const int32_t length = static_cast<int32_t>(std::strlen(literal));
    body_ = NewBody(Literal, Utf8);
    body_->buffer = const_cast<char*>(literal);
    body_->length = body_->capacity = length;
    RawString asShiftJis(NewBody(Literal, ShiftJis));
    asShiftJis.body_->buffer = body_->buffer;
    asShiftJis.body_->length = asShiftJis.body_->capacity = length;
    AssignFrom(asShiftJis, Utf8);
}

RawString::RawString(StringEncoding encoding, int32_t capacity)
    : body_(capacity > 0 ? CopyUnits(nullptr, 0, encoding, capacity) : NewBody(Empty, encoding)) {}

RawString::RawString(const RawString& other) : body_(ShareOrConvert(other.body_, other.Encoding())) {}

RawString::RawString(const RawString& other, StringEncoding encoding) : body_(ShareOrConvert(other.body_, encoding)) {}

RawString::RawString(RawString&& other) noexcept : body_(other.body_) {
    other.body_ = ShareOrConvert(EmptyString().body_, Utf8);
}

RawString& RawString::operator=(const RawString& other) {
    AssignFrom(other, other.Encoding());
    return *this;
}

RawString& RawString::operator=(RawString&& other) noexcept {
    RawStringBody* mine = body_;
    body_ = other.body_;
    other.body_ = mine;
    return *this;
}

RawString::~RawString() { ReleaseBody(body_); }

RawString RawString::FromUnits(const void* units, int32_t length, StringEncoding encoding) {
    if (units == nullptr) return RawString(NewBody(Empty, encoding));
    if (length < 0) length = UnitCountUpToZero(units, encoding);
    return RawString(CopyUnits(units, length, encoding, length));
}

RawString RawString::FromWide(const wchar_t* text, int32_t length) { return FromUnits(text, length, Wide); }

RawString RawString::MakeView(const void* units, int32_t length, StringEncoding encoding) {
    if (units == nullptr) return RawString(NewBody(Empty, encoding));
    if (length < 0) length = UnitCountUpToZero(units, encoding);
    RawStringBody* body = NewBody(View, encoding);
    body->buffer = const_cast<void*>(units);
    body->length = body->capacity = length;
    return RawString(body);
}

RawString RawString::FromRange(const RawString& source, int32_t first, int32_t end, StringEncoding encoding) {
    const Span span = Clip(first, end, source.Length());
    if (span.Length() == 0) return RawString(NewBody(Empty, encoding));
    const int size = UnitSize(source.body_->encoding);
    const RawString view =
        MakeView(source.Bytes() + static_cast<size_t>(span.first) * size, span.Length(), source.Encoding());
    return RawString(Convert(view.Buffer(), view.Length(), view.Encoding(), encoding, true));
}

RawString RawString::FromRange(const RawString& source, int32_t first, int32_t end) {
    return FromRange(source, first, end, source.Encoding());
}

RawString RawString::Decimal(int64_t value) {
    RawString text;
    text.AppendDecimal(value);
    return text;
}

void RawString::AssignFrom(const RawString& other, StringEncoding encoding) {
    RawStringBody* fresh = ShareOrConvert(other.body_, encoding);
    ReleaseBody(body_);
    body_ = fresh;
}

void RawString::ConvertFrom(const RawString& source, StringEncoding encoding) { AssignFrom(source, encoding); }

void RawString::MakeWritable() {
    bool shared;
    {
        BodyLock lock(body_);
        shared = body_->shareCount > 0;
    }
    if (!shared && body_->ownership != Literal && body_->ownership != View) return;
    RawStringBody* copy =
        CopyUnits(body_->buffer, body_->length, static_cast<StringEncoding>(body_->encoding), body_->length);
    ReleaseBody(body_);
    body_ = copy;
}

// Makes room for `units` (growth rule, or exactly), keeping the text; the body must be writable.
void RawString::Grow(int32_t units, bool exact) {
    if (units <= body_->capacity) return;
    const int64_t capacity = exact ? units : GrowthCapacity(units);
    const int size = UnitSize(body_->encoding);
    void* buffer = AllocateUnits(capacity, size);
    std::memcpy(buffer, body_->buffer, static_cast<size_t>(body_->length + 1) * size);
    if (body_->ownership == Owned) ::operator delete(body_->buffer);
    body_->buffer = buffer;
    body_->capacity = static_cast<int32_t>(capacity);
    body_->ownership = Owned;
}

const RawString& EmptyString() {
    static const RawString empty;
    return empty;
}

// ---- inspection ----

uint32_t RawString::UnitAt(int32_t pos) const {
    if (pos < 0 || pos >= body_->length) return 0;
    return ReadUnit(body_, pos);
}

int32_t RawString::TrailCount(int32_t pos) const {
    if (pos < 0 || pos >= body_->length) return 0;
    int32_t trail = 0;
    switch (body_->encoding) {
        case ShiftJis:
            trail = IsShiftJisLead(ReadUnit(body_, pos)) ? 1 : 0;
            break;
        case Utf8:
            trail = Utf8Trail(ReadUnit(body_, pos));
            break;
        case Utf16BE:
        case Utf16LE:
            trail = Utf16BytesTrail(body_, pos);
            break;
        case Wide:
            trail = IsHighSurrogate(ReadUnit(body_, pos)) ? 1 : 0;
            break;
        default:
            break;
    }
    const int32_t left = body_->length - 1 - pos;
    return trail < left ? trail : left;
}

// ---- editing ----

void RawString::Append(uint32_t unit) {
    MakeWritable();
    Grow(body_->length + 1, false);
    WriteUnit(body_, body_->length, unit);
    ++body_->length;
    WriteUnit(body_, body_->length, 0);
}

void RawString::AppendRange(const RawString& other, int32_t first, int32_t end) {
    // Reads through the body, so appending a string to itself is safe while the buffer grows.
    const Span span = Clip(first, end, other.Length());
    if (span.Length() == 0) return;
    MakeWritable();
    Grow(body_->length + span.Length(), false);
    for (int32_t i = span.first; i < span.end; ++i) WriteUnit(body_, body_->length++, ReadUnit(other.body_, i));
    WriteUnit(body_, body_->length, 0);
}

void RawString::Concat(const RawString& a, const RawString& b, const RawString& c, const RawString& d,
                       const RawString& e) {
    const StringEncoding encoding = Encoding();
    const RawString parts[5] = {RawString(a, encoding), RawString(b, encoding), RawString(c, encoding),
                                RawString(d, encoding), RawString(e, encoding)};
    int64_t total = body_->length;
    for (const RawString& part : parts) total += part.Length();
    if (total == body_->length) return;
    if (total > kMaxCapacity) throw std::bad_alloc();
    MakeWritable();
    Grow(static_cast<int32_t>(total), false);
    const int size = UnitSize(encoding);
    for (const RawString& part : parts) {
        if (part.IsEmpty()) continue;
        std::memcpy(static_cast<uint8_t*>(body_->buffer) + static_cast<size_t>(body_->length) * size, part.Buffer(),
                    static_cast<size_t>(part.Length()) * size);
        body_->length += part.Length();
    }
    WriteUnit(body_, body_->length, 0);
}

void RawString::InsertGap(int32_t pos, int32_t count) {
    if (count <= 0 || pos < 0 || pos > body_->length) return;
    if (static_cast<int64_t>(body_->length) + count > kMaxCapacity) throw std::bad_alloc();
    MakeWritable();
    Grow(body_->length + count, false);
    const int size = UnitSize(body_->encoding);
    uint8_t* at = static_cast<uint8_t*>(body_->buffer) + static_cast<size_t>(pos) * size;
    std::memmove(at + static_cast<size_t>(count) * size, at, static_cast<size_t>(body_->length - pos + 1) * size);
    std::memset(at, 0, static_cast<size_t>(count) * size);
    body_->length += count;
}

void RawString::InsertUnderscore(int32_t pos) {
    if (pos < 0 || pos > body_->length) return;
    InsertGap(pos, 1);
    WriteUnit(body_, pos, '_');
}

void RawString::ReplaceRange(int32_t first, int32_t end, const RawString& other, int32_t otherFirst, int32_t otherEnd) {
    if (&other == this) {  // the buffer changes below: read from a held share
        const RawString source(other);
        ReplaceRange(first, end, source, otherFirst, otherEnd);
        return;
    }
    const Span span = Clip(first, end, body_->length);
    const Span from = Clip(otherFirst, otherEnd, other.Length());
    const int32_t delta = from.Length() - span.Length();
    if (span.Length() == 0 && from.Length() == 0) return;
    MakeWritable();
    const int size = UnitSize(body_->encoding);
    if (delta < 0) {
        uint8_t* base = static_cast<uint8_t*>(body_->buffer);
        std::memmove(base + static_cast<size_t>(span.end + delta) * size, base + static_cast<size_t>(span.end) * size,
                     static_cast<size_t>(body_->length - span.end + 1) * size);
        body_->length += delta;
    } else if (delta > 0) {
        ReserveExact(body_->length + delta);
        InsertGap(span.end, delta);
    }
    for (int32_t i = 0; i < from.Length(); ++i) WriteUnit(body_, span.first + i, ReadUnit(other.body_, from.first + i));
}

void RawString::SetUnit(int32_t pos, uint32_t unit) {
    if (pos < 0 || pos >= body_->length) return;
    MakeWritable();
    WriteUnit(body_, pos, unit);
}

void RawString::Truncate(int32_t length) {
    if (length < 0) length = 0;
    if (length >= body_->length) return;
    MakeWritable();
    body_->length = length;
    WriteUnit(body_, length, 0);
}

void RawString::Reserve(int32_t units) {
    if (units <= body_->capacity) return;
    MakeWritable();
    Grow(units, false);
}

void RawString::ReserveExact(int32_t units) {
    if (units <= body_->capacity) return;
    MakeWritable();
    Grow(units, true);
}

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
        if (unit == kCr || unit == kLf) return pos;
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
    for (int32_t pos = 0; pos < Length(); ++pos) count += ReadUnit(body_, pos) == kLf ? 1 : 0;
    return count;
}

// ---- number text ----

ParsedNumber RawString::ParseNumber(int32_t first, int32_t end) const {
    const Span span = Clip(first, end, Length());
    ParsedNumber result{true, 0, 0};
    int32_t pos = span.first;
    const uint32_t lead = UnitAt(pos);
    if (pos < span.end && (lead == '-' || lead == '+')) {
        result.sign = static_cast<char>(lead);
        ++pos;
    }
    uint32_t base = 10;
    if (pos + 1 < span.end && UnitAt(pos) == '0' && (UnitAt(pos + 1) == 'x' || UnitAt(pos + 1) == 'b')) {
        base = UnitAt(pos + 1) == 'x' ? 16 : 2;
        pos += 2;
    }
    for (; pos < span.end; ++pos) {
        const uint32_t digit = DigitValue(ReadUnit(body_, pos));
        if (digit >= base) {
            result.complete = false;
            break;
        }
        result.magnitude = result.magnitude * base + digit;  // unsigned: wraps past 64 bits
    }
    return result;
}

void RawString::AppendDecimal(int64_t value) {
    static const char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    ReserveExact(Length() + 67);
    uint64_t magnitude = static_cast<uint64_t>(value);
    if (value < 0) {
        Append('-');
        magnitude = 0 - magnitude;
    }
    char digits[24];
    int count = 0;
    do {
        digits[count++] = kDigits[magnitude % 10];
        magnitude /= 10;
    } while (magnitude != 0);
    while (count > 0) Append(static_cast<uint8_t>(digits[--count]));
}

void RawString::AppendDecimalWidth(uint64_t value, int32_t width) {
    if (width <= 0) return;
    if (static_cast<int64_t>(Length()) + width > kMaxCapacity) throw std::bad_alloc();
    ReserveExact(Length() + width);
    const int32_t start = Length();
    InsertGap(start, width);
    for (int32_t pos = start + width - 1; pos >= start; --pos) {
        WriteUnit(body_, pos, '0' + static_cast<uint32_t>(value % 10));
        value /= 10;
    }
}

// ---- escaped text ----

RawString RawString::EscapeControls() const {
    RawString out(Encoding(), Length());
    for (int32_t pos = 0; pos < Length();) {
        const int32_t trail = TrailCount(pos);
        const uint32_t unit = ReadUnit(body_, pos);
        if (trail == 0 && (unit == kCr || unit == kLf || unit == kTab)) {
            out.Append(kBackslash);
            out.Append(unit == kTab ? 't' : 'n');
            pos += (unit == kCr && UnitAt(pos + 1) == kLf) ? 2 : 1;
            continue;
        }
        out.AppendRange(*this, pos, pos + trail + 1);
        pos += trail + 1;
    }
    return out;
}

// Steps by characters, so a code page 932 trail byte 0x5C is never taken for a backslash.
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
            out.Append(0);
            break;
        }
        const uint32_t next = ReadUnit(body_, pos + 1);
        const int32_t nextEnd = pos + 2 + TrailCount(pos + 1);
        if (next == 'n') {
            out.Append(kCr);
            out.Append(kLf);
        } else if (next == 't' || next == 's') {
            out.Append(next == 't' ? kTab : ' ');
        } else {
            out.AppendRange(*this, pos + 1, nextEnd);
        }
        pos = nextEnd;
    }
    return out;
}

// ---- platform call forms ----

NativeForm RawString::NativeCallForm() const {
    if (Length() == 0) return EmptyText;
    switch (body_->encoding) {
        case Ansi:
        case ShiftJis:
            return Narrow;
        case Wide:
            return WideDirect;
        case Utf8:
            for (int32_t pos = 0; pos < Length(); ++pos) {
                if (ReadUnit(body_, pos) > 126) return WideConverted;
            }
            return Narrow;
        default:
            return WideConverted;
    }
}

NativeForm CombineForms(NativeForm a, NativeForm b) {
    if (a == EmptyText) return b;
    if (b == EmptyText) return a;
    return a == b ? a : WideConverted;
}

NativeForm NativeCallForm(const RawString& a, const RawString& b) {
    const NativeForm form = CombineForms(a.NativeCallForm(), b.NativeCallForm());
    return form == EmptyText ? Narrow : form;
}

NativeForm NativeCallForm(const RawString& a, const RawString& b, const RawString& c) {
    const NativeForm form = CombineForms(CombineForms(a.NativeCallForm(), b.NativeCallForm()), c.NativeCallForm());
    return form == EmptyText ? Narrow : form;
}

// ---- encoding services ----

int CodePageOf(StringEncoding encoding) {
    switch (encoding) {
        case Ansi:
            return CP_ACP;
        case ShiftJis:
            return 932;
        case Utf8:
            return CP_UTF8;
        case Utf7:
            return CP_UTF7;
        case MacCodePage:
            return CP_MACCP;
        default:
            return -1;
    }
}

namespace {

// Code page 932 reading of one byte; false when the run cannot be 932 text.
struct ShiftJisReader {
    bool inTrail = false;
    int32_t singleByteKana = 0;
    bool Take(uint8_t byte) {
        if (inTrail) {
            inTrail = false;
            return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
        }
        if (byte <= 0x7F) return true;
        if (IsShiftJisLead(byte)) {
            inTrail = true;
            return true;
        }
        if (byte < 0xA1 || byte > 0xDF) return false;
        ++singleByteKana;
        return true;
    }
};

// UTF-8 reading of one byte; false when the run cannot be UTF-8 text.
struct Utf8Reader {
    int32_t due = 0;
    int32_t longLeads = 0;
    bool Take(uint8_t byte) {
        if (due > 0) {
            --due;
            return byte >= 0x80 && byte <= 0xBF;
        }
        if (byte <= 0x7F) return true;
        due = Utf8Trail(byte);
        if (byte >= 0xF8 && byte <= 0xFD) ++longLeads;
        return due > 0;
    }
};

}  // namespace

int ClassifyShiftJisOrUtf8(const uint8_t* bytes, int32_t length) {
    if (bytes == nullptr) return 1;
    ShiftJisReader shiftJis;
    Utf8Reader utf8;
    for (int32_t i = 0; i < length; ++i) {
        if (!shiftJis.Take(bytes[i])) return 2;
        if (!utf8.Take(bytes[i])) return 1;
    }
    return utf8.longLeads < shiftJis.singleByteKana ? 2 : 1;
}

namespace {

int32_t CutShiftJis(const uint8_t* bytes, int32_t length) {
    int32_t leads = 0;
    while (leads < length && IsShiftJisLead(bytes[length - 1 - leads])) ++leads;
    return leads % 2 != 0 ? length - 1 : length;
}

int32_t CutUtf8(const uint8_t* bytes, int32_t length) {
    int32_t start = length - 1;
    while (start >= 0 && bytes[start] >= 0x80 && bytes[start] <= 0xBF) --start;
    if (start < 0) return 0;
    const uint8_t lead = bytes[start];
    if (lead <= 0x7F) return length;
    const int32_t trail = Utf8Trail(lead);
    if (trail == 0) return length;  // not a lead byte: nothing to keep whole
    return length - start > trail ? length : start;
}

int32_t CutUtf16(const uint8_t* bytes, int32_t length, bool bigEndian) {
    const int32_t even = length & ~1;
    if (even < 2) return even;
    const uint8_t* last = bytes + even - 2;
    const uint32_t unit = bigEndian ? (last[0] << 8 | last[1]) : (last[1] << 8 | last[0]);
    return IsHighSurrogate(unit) ? even - 2 : even;
}

}  // namespace

int32_t CutAtCharBoundary(StringEncoding encoding, const uint8_t* bytes, int32_t length) {
    if (bytes == nullptr || length <= 0) return 0;
    switch (encoding) {
        case ShiftJis:
            return CutShiftJis(bytes, length);
        case Utf8:
            return CutUtf8(bytes, length);
        case Utf16BE:
            return CutUtf16(bytes, length, true);
        case Utf16LE:
        case Wide:
            return CutUtf16(bytes, length, false);
        default:
            return 0;
    }
}

int SniffByteOrderMark(const uint8_t* bytes, int32_t length) {
    if (bytes == nullptr || length < 2) return 0;
    if (bytes[0] == 0xFE && bytes[1] == 0xFF) return Utf16BE;
    if (bytes[0] == 0xFF && bytes[1] == 0xFE) return Utf16LE;
    if (length >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) return Utf8;
    return 0;
}

ByteOrderMarkBytes ByteOrderMarkOf(StringEncoding encoding) {
    static const uint8_t kLittle[] = {0xFF, 0xFE};
    static const uint8_t kBig[] = {0xFE, 0xFF};
    static const uint8_t kUtf7[] = {'+', '/', 'v', '8', '-'};
    static const uint8_t kUtf8[] = {0xEF, 0xBB, 0xBF};
    switch (encoding) {
        case Utf16LE:
            return ByteOrderMarkBytes{kLittle, 2};
        case Utf16BE:
            return ByteOrderMarkBytes{kBig, 2};
        case Utf7:
            return ByteOrderMarkBytes{kUtf7, 5};
        case Utf8:
            return ByteOrderMarkBytes{kUtf8, 3};
        default:
            return ByteOrderMarkBytes{nullptr, 0};
    }
}

}  // namespace RawLayer
