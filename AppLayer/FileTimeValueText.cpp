// The text readers of FileTimeValue.h: a setting's date, time and milliseconds written as loose
// numbers, and the offsets of a shift.
#include "AppLayer/FileTimeValue.h"

using RawLayer::ParsedNumber;
using RawLayer::RawString;

namespace AppLayer {

namespace {

uint16_t Clamp(uint16_t value, uint16_t low, uint16_t high) {
    return value < low ? low : (value > high ? high : value);
}

bool IsDigitAt(const RawString& text, int32_t pos) {
    const uint32_t unit = text.UnitAt(pos);
    return unit >= '0' && unit <= '9';
}

// Reads the numbers of a date, time or millisecond text: the first from the first non-blank
// unit (so a sign or a 0x prefix counts), each further one from the next run of digits.
// A number missing at the end reads 0.
class FieldReader {
public:
    explicit FieldReader(const RawString& text) : text_(text) {
        while (text_.UnitAt(start_) == ' ' || text_.UnitAt(start_) == '\t') {
            ++start_;
        }
    }

    // The low 16 bits of the number, negated first when it carries a minus sign.
    uint16_t Next() {
        if (!first_) {
            SkipToNextRun();
        }
        first_ = false;
        const ParsedNumber number = text_.ParseNumber(start_, text_.Length());
        const uint64_t magnitude = number.sign == '-' ? 0 - number.magnitude : number.magnitude;
        return static_cast<uint16_t>(magnitude);
    }

private:
    // Past the current number's sign, its digits and the separators after them.
    void SkipToNextRun() {
        const int32_t length = text_.Length();
        while (start_ < length && !IsDigitAt(text_, start_)) {
            ++start_;
        }
        while (start_ < length && IsDigitAt(text_, start_)) {
            ++start_;
        }
        while (start_ < length && !IsDigitAt(text_, start_)) {
            ++start_;
        }
    }

    const RawString& text_;
    int32_t start_ = 0;
    bool first_ = true;
};

}  // namespace

void FileTimeSettings::ParseDate(const RawString& text) {
    if (text.IsEmpty()) {
        return;
    }
    FieldReader reader(text);
    TimeParts parts{};
    parts.year = Clamp(reader.Next(), kFirstCalendarYear, kLastCalendarYear);
    parts.month = Clamp(reader.Next(), 1, 12);
    parts.day = Clamp(reader.Next(), 1, 31);
    // A day its month lacks becomes the month's last day.
    const uint16_t work = WithParts(flags, UseDate);
    while (!MergeParts(value, parts, work) && parts.day > 1) {
        --parts.day;
    }
}

void FileTimeSettings::ParseTime(const RawString& text) {
    if (text.IsEmpty()) {
        return;
    }
    FieldReader reader(text);
    TimeParts parts{};
    parts.hour = Clamp(reader.Next(), 0, 23);
    parts.minute = Clamp(reader.Next(), 0, 59);
    parts.second = Clamp(reader.Next(), 0, 59);
    MergeParts(value, parts, WithParts(flags, UseTime));
}

void FileTimeSettings::ParseMSec(const RawString& text) {
    if (text.IsEmpty()) {
        return;
    }
    FieldReader reader(text);
    TimeParts parts{};
    parts.milliseconds = Clamp(reader.Next(), 0, 999);
    MergeParts(value, parts, WithParts(flags, UseMSec));
}

namespace {

// Digits from pos, at least least and at most most of them; pos moves past them.
bool ReadDigits(const RawString& text, int32_t& pos, int32_t least, int32_t most, int64_t& value) {
    value = 0;
    int32_t count = 0;
    for (; count < most && pos < text.Length(); ++count, ++pos) {
        const uint32_t unit = text.UnitAt(pos);
        if (unit < '0' || unit > '9') break;
        value = value * 10 + (unit - '0');
    }
    return count >= least;
}

bool ReadUnit(const RawString& text, int32_t& pos, uint32_t unit) {
    if (text.UnitAt(pos) != unit || pos >= text.Length()) return false;
    ++pos;
    return true;
}

constexpr int64_t kTicksPerMillisecond = 10000;
constexpr int64_t kTicksPerSecond = 1000 * kTicksPerMillisecond;
// Days are bounded so that no offset overflows: far more than the calendar spans.
constexpr int32_t kMostDayDigits = 7;

}  // namespace

bool ParseOffset(const RawString& text, int64_t& ticks) {
    int32_t pos = 0;
    const bool negative = text.UnitAt(0) == '-';
    if (negative || text.UnitAt(0) == '+') pos = 1;
    int64_t days = 0, hours = 0, minutes = 0, seconds = 0, milliseconds = 0;
    const int32_t first = pos;
    if (!ReadDigits(text, pos, 1, kMostDayDigits, hours)) return false;
    if (ReadUnit(text, pos, '.')) {
        days = hours;
        if (!ReadDigits(text, pos, 1, 2, hours) || hours > 23) return false;
    } else if (pos - first > 2 || hours > 23) {
        return false;  // a day or more is written with days
    }
    if (!ReadUnit(text, pos, ':') || !ReadDigits(text, pos, 2, 2, minutes) || minutes > 59) return false;
    if (!ReadUnit(text, pos, ':') || !ReadDigits(text, pos, 2, 2, seconds) || seconds > 59) return false;
    if (ReadUnit(text, pos, '.') && !ReadDigits(text, pos, 3, 3, milliseconds)) return false;
    if (pos != text.Length()) return false;
    const int64_t total =
        (((days * 24 + hours) * 60 + minutes) * 60 + seconds) * kTicksPerSecond + milliseconds * kTicksPerMillisecond;
    ticks = negative ? -total : total;
    return true;
}

}  // namespace AppLayer
