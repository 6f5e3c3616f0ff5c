// RawString: the one string type. A handle owns one counted reference to a RawStringBody;
// copies share the body, writers copy first. Each body carries its own encoding.
#pragma once

#include <windows.h>

#include <cstdint>

namespace RawLayer {

enum StringOwnership : uint8_t {
    Empty = 0,    // the static zero unit, shared by all empty bodies
    Owned = 1,    // heap buffer of capacity + 1 units, freed with the body
    Literal = 2,  // static program text, never freed
    View = 3,     // borrowed memory; never shared by count, always copied
};

enum StringEncoding : uint8_t {
    Ansi = 0,
    ShiftJis = 1,
    Utf8 = 2,
    Utf7 = 3,
    MacCodePage = 4,
    Utf16BE = 5,
    Utf16LE = 6,
    Wide = 7,
};

// Which entry point of a platform call a string needs.
enum NativeForm : int {
    Narrow = 0,
    WideDirect = 1,
    WideConverted = 2,
    EmptyText = 3,
};

// A range of code units: start, end exclusive.
struct RawRange {
    int32_t start;
    int32_t end;
};

struct RawStringBody {
    uint8_t ownership;
    uint8_t encoding;
    void* buffer;
    int32_t length;
    int32_t capacity;
    volatile LONG lock;     // a spin lock guarding shareCount only
    int32_t shareCount;     // holders beyond the first
};

// Result of ParseNumber: the sign seen ('-', '+' or 0), the magnitude and whether the whole
// range was used up. The magnitude wraps modulo 2^64 on overflow, which overflowed records.
struct ParsedNumber {
    bool complete;
    char sign;
    uint64_t magnitude;
    int32_t digits = 0;  // digits taken, past the sign and the base prefix
    bool overflowed = false;
    // Negated in unsigned arithmetic, so 2^63 and beyond wrap instead of overflowing.
    int64_t Signed() const { return static_cast<int64_t>(sign == '-' ? 0 - magnitude : magnitude); }
    // True, with *value set, when the range held one whole number (digits and nothing after
    // them, no overflow) from low to high; else *value is left alone.
    bool Within(int64_t low, int64_t high, int64_t* value) const;
};

class RawString;
// The process-wide shared empty Utf8 string.
const RawString& EmptyString();

class RawString {
public:
    RawString();  // new Empty body in Utf8
    // The bytes are read as code page 932 text and kept as an Owned Utf8 copy: plain ASCII is
    // unchanged; build other text with FromUnits.
    RawString(const char* literal);  // NOLINT: literals convert implicitly
    RawString(StringEncoding encoding, int32_t capacity);
    RawString(const RawString& other);  // Share
    RawString(const RawString& other, StringEncoding encoding);
    RawString(RawString&& other) noexcept;
    RawString& operator=(const RawString& other);
    RawString& operator=(RawString&& other) noexcept;
    ~RawString();

    // Owned copy of `length` units in `encoding` (-1: up to the first zero unit).
    static RawString FromUnits(const void* units, int32_t length, StringEncoding encoding);
    static RawString FromWide(const wchar_t* text, int32_t length = -1);
    // A View over the caller's memory; it must outlive the handle (copy it at once).
    static RawString MakeView(const void* units, int32_t length, StringEncoding encoding);
    static RawString FromRange(const RawString& source, int32_t first, int32_t end, StringEncoding encoding);
    static RawString FromRange(const RawString& source, int32_t first, int32_t end);
    static RawString Decimal(int64_t value);

    void AssignFrom(const RawString& other, StringEncoding encoding);
    void MakeWritable();

    StringEncoding Encoding() const { return static_cast<StringEncoding>(body_->encoding); }
    StringOwnership Ownership() const { return static_cast<StringOwnership>(body_->ownership); }
    int32_t Length() const { return body_->length; }
    int32_t Capacity() const { return body_->capacity; }
    bool IsEmpty() const { return body_->length == 0; }
    bool IsWide() const { return body_->encoding == Wide; }
    const void* Buffer() const { return body_->buffer; }
    const char* Bytes() const { return static_cast<const char*>(body_->buffer); }
    const wchar_t* WideUnits() const { return static_cast<const wchar_t*>(body_->buffer); }
    // Code unit at pos as a number (bytes unsigned); 0 outside the string.
    uint32_t UnitAt(int32_t pos) const;
    // Further units belonging to the character at pos, never reaching past the end; 0 outside.
    int32_t TrailCount(int32_t pos) const;
    bool SharesBodyWith(const RawString& other) const { return body_ == other.body_; }
    int32_t ShareCount() const { return body_->shareCount; }

    // Editing; each makes the body writable first.
    void Append(uint32_t unit);
    void AppendRange(const RawString& other, int32_t first, int32_t end);
    // Appends up to five strings after one growth; others are converted to this encoding.
    void Concat(const RawString& a, const RawString& b = EmptyString(), const RawString& c = EmptyString(),
                const RawString& d = EmptyString(), const RawString& e = EmptyString());
    void InsertGap(int32_t pos, int32_t count);
    void InsertUnderscore(int32_t pos);
    void ReplaceRange(int32_t first, int32_t end, const RawString& other, int32_t otherFirst, int32_t otherEnd);
    void SetUnit(int32_t pos, uint32_t unit);  // pos inside the string
    void Truncate(int32_t length);             // cuts to length units when shorter
    void Reserve(int32_t units);               // growth rule for `units`
    void ReserveExact(int32_t units);

    // Comparison and search; units compared as numbers, ranges clipped.
    bool Equals(const RawString& other) const;
    bool EqualsIgnoreCase(const RawString& other) const;
    bool RangeEquals(int32_t first, int32_t end, const RawString& other, int32_t otherFirst, int32_t otherEnd) const;
    bool RangeEqualsIgnoreCase(int32_t first, int32_t end, const RawString& other, int32_t otherFirst,
                               int32_t otherEnd) const;
    bool MatchesAt(int32_t pos, const RawString& other, int32_t count) const;
    bool MatchesAtIgnoreCase(int32_t pos, const RawString& other, int32_t count) const;
    int32_t Find(const RawString& other, int32_t first, int32_t end) const;
    int32_t FindUnit(uint32_t unit, int32_t start) const;
    int32_t FindUnitInRange(uint32_t unit, int32_t first, int32_t end) const;
    int32_t FindLineEnd(int32_t first, int32_t end) const;
    int32_t FindFirstOf(const RawString& set, int32_t start) const;
    int32_t SkipAll(const RawString& set, int32_t start) const;
    int32_t FindLastOf(const RawString& set, int32_t first, int32_t end) const;
    bool IsUnitIn(int32_t pos, const RawString& set) const;
    RawRange TrimRange(int32_t first, int32_t end, const RawString& set) const;
    int32_t CountLineFeeds() const;

    // Number text. Values past 64 bits wrap.
    ParsedNumber ParseNumber(int32_t first, int32_t end) const;
    ParsedNumber ParseNumber() const { return ParseNumber(0, Length()); }
    void AppendDecimal(int64_t value);
    void AppendDecimalWidth(uint64_t value, int32_t width);

    RawString EscapeControls() const;
    // Backslash n gives CR LF, t a tab, s a space, any other character itself; a backslash that
    // ends the text stays a backslash.
    RawString UnescapeControls() const;

    NativeForm NativeCallForm() const;

private:
    explicit RawString(RawStringBody* body) : body_(body) {}
    static RawStringBody* NewBody(StringOwnership ownership, StringEncoding encoding);
    static void ReleaseBody(RawStringBody* body);
    void Grow(int32_t units, bool exact);

    RawStringBody* body_;
};

// Combined form for a call with several string arguments. EmptyText is neutral here, so that
// combining stays order-free; the multi-argument NativeCallForm turns an all-empty call into Narrow.
NativeForm CombineForms(NativeForm a, NativeForm b);
NativeForm NativeCallForm(const RawString& a, const RawString& b);
NativeForm NativeCallForm(const RawString& a, const RawString& b, const RawString& c);

// Code page the platform converter uses for an encoding (UTF-16 encodings: none, -1).
int CodePageOf(StringEncoding encoding);

// 1 (code page 932) or 2 (UTF-8).
int ClassifyShiftJisOrUtf8(const uint8_t* bytes, int32_t length);
int32_t CutAtCharBoundary(StringEncoding encoding, const uint8_t* bytes, int32_t length);
// Utf16BE, Utf16LE, Utf8 for a byte-order mark at the start of bytes, else 0.
int SniffByteOrderMark(const uint8_t* bytes, int32_t length);

// The byte-order mark written for an encoding (Utf8, Utf7, Utf16BE, Utf16LE); length 0 for others.
struct ByteOrderMarkBytes {
    const uint8_t* bytes;  // static
    int32_t length;
};
ByteOrderMarkBytes ByteOrderMarkOf(StringEncoding encoding);

}  // namespace RawLayer
