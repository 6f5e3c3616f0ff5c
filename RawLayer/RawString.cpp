// RawString bodies and sharing, inspection and editing.
#include "RawLayer/RawString.h"

#include <cstring>
#include <new>

#include "RawLayer/RawCodeUnits.h"
#include "RawLayer/RawScopedLock.h"
#include "RawLayer/RawStringBody.h"

namespace RawLayer {

using namespace StringBody;

namespace {

// Zero units shared by every Empty body, wide enough for a 16-bit terminator. Never written:
// an Empty body has capacity 0, so any write reallocates first.
alignas(4) uint8_t g_zeroUnits[4] = {0, 0, 0, 0};

void* AllocateUnits(int64_t capacity, int unitSize) {
    if (capacity < 0 || capacity > kMaxCapacity) throw std::bad_alloc();
    return ::operator new(static_cast<size_t>((capacity + 1) * unitSize));
}

}  // namespace

namespace StringBody {

RawStringBody* CreateBody(StringOwnership ownership, StringEncoding encoding) {
    RawStringBody* body = new RawStringBody;
    body->ownership = ownership;
    body->encoding = encoding;
    body->buffer = g_zeroUnits;
    body->length = 0;
    body->capacity = 0;
    body->lock = 0;
    body->shareCount = 0;
    return body;
}

void DestroyBody(RawStringBody* body) {
    if (body->ownership == Owned) ::operator delete(body->buffer);
    delete body;
}

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

}  // namespace StringBody

namespace {

// The body itself with one more holder, or a new body converted into `encoding`.
RawStringBody* ShareOrConvert(RawStringBody* source, StringEncoding encoding) {
    if (source->encoding == encoding && source->ownership != View) {
        RawScopedSpinLock lock(source->lock);
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

// Trail count of the character at pos of a UTF-16 byte stream, by its unit.
int32_t Utf16BytesTrail(const RawStringBody* body, int32_t pos) {
    if (pos % 2 != 0) return 0;
    const uint8_t* p = static_cast<const uint8_t*>(body->buffer) + pos;
    const uint32_t unit = body->encoding == Utf16BE ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]);
    return IsHighSurrogate(unit) ? 3 : 1;
}

}  // namespace

// ---- construction and lifetime ----

RawStringBody* RawString::NewBody(StringOwnership ownership, StringEncoding encoding) {
    return CreateBody(ownership, encoding);
}

void RawString::ReleaseBody(RawStringBody* body) {
    int32_t before;
    {
        RawScopedSpinLock lock(body->lock);
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

void RawString::AssignFrom(const RawString& other, StringEncoding encoding) {
    RawStringBody* fresh = ShareOrConvert(other.body_, encoding);
    ReleaseBody(body_);
    body_ = fresh;
}

void RawString::MakeWritable() {
    bool shared;
    {
        RawScopedSpinLock lock(body_->lock);
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

}  // namespace RawLayer
