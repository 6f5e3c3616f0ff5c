#include "AppLayer/FileTimeValue.h"

#include <map>
#include <mutex>

using RawLayer::ParsedNumber;
using RawLayer::RawString;

namespace AppLayer {

namespace {

constexpr uint16_t kFirstYear = 1601;
constexpr uint16_t kLastYear = 30827;

bool IsLeapYear(uint32_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

uint16_t DaysInMonth(uint16_t year, uint16_t month) {
    static const uint8_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// SystemTimeToFileTime that rejects what Windows rejects: some Wine versions roll an
// impossible day (2023-02-29) over into the next month instead.
bool ToFileTime(const SYSTEMTIME& time, FILETIME* fileTime) {
    return IsValidSystemTime(time) && SystemTimeToFileTime(&time, fileTime) != FALSE;
}

// By the rules of the local year, which near New Year may not be the UTC year: the rules that
// LocalToUtc takes for the local time it gives.
bool UtcToLocal(const SYSTEMTIME& utc, SYSTEMTIME* local) {
    if (!SystemTimeToTzSpecificLocalTime(&ZoneRulesOfYear(utc.wYear), &utc, local)) return false;
    if (local->wYear == utc.wYear) return true;
    return SystemTimeToTzSpecificLocalTime(&ZoneRulesOfYear(local->wYear), &utc, local) != FALSE;
}

bool LocalToUtc(const SYSTEMTIME& local, SYSTEMTIME* utc) {
    return TzSpecificLocalTimeToSystemTime(&ZoneRulesOfYear(local.wYear), &local, utc) != FALSE;
}

// Equal calendar fields, the day of week aside.
bool SameFields(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
           a.wMinute == b.wMinute && a.wSecond == b.wSecond && a.wMilliseconds == b.wMilliseconds;
}

uint16_t Clamp(uint16_t value, uint16_t low, uint16_t high) {
    return value < low ? low : (value > high ? high : value);
}

uint16_t WithParts(uint16_t flags, uint16_t partMask) {
    return static_cast<uint16_t>((flags & ~kPartMask) | (partMask & kPartMask));
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

constexpr uint64_t kTicksPerMSec = 10000;

uint64_t Ticks(const FILETIME& time) { return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime; }

uint32_t SubMilliseconds(const FILETIME& time) { return static_cast<uint32_t>(Ticks(time) % kTicksPerMSec); }

// The calendar fields of shown with the parts that flags select taken from parts.
SYSTEMTIME Combined(const SYSTEMTIME& shown, const TimeParts& parts, uint16_t flags) {
    SYSTEMTIME work = shown;
    if (flags & UseDate) {
        work.wYear = parts.year;
        work.wMonth = parts.month;
        work.wDay = parts.day;
    }
    if (flags & UseTime) {
        work.wHour = parts.hour;
        work.wMinute = parts.minute;
        work.wSecond = parts.second;
    }
    if (flags & UseMSec) {
        work.wMilliseconds = parts.milliseconds;
    }
    return work;
}

// MergeParts, where the instant's ticks below a millisecond follow the milliseconds: with
// UseMSec they become subMSec, otherwise the target keeps its own.
bool MergeWithTicks(FileTimeValue& target, const TimeParts& parts, uint16_t flags, uint32_t subMSec) {
    if (!target.ShowIn(flags)) {
        return false;
    }
    const SYSTEMTIME work = Combined(target.brokenDown, parts, flags);
    const uint32_t ticks = (flags & UseMSec) ? subMSec : SubMilliseconds(target.fileTime);
    // Nothing to change: storing again could move a local time inside a repeated hour.
    const bool same = target.zone != ZoneNotSet && SameFields(work, target.brokenDown);
    if (!same && !((flags & ShowUtc) ? target.StoreUtc(work) : target.StoreLocal(work))) {
        return false;
    }
    const uint64_t whole = Ticks(target.fileTime) - SubMilliseconds(target.fileTime) + ticks;
    target.fileTime = FILETIME{static_cast<DWORD>(whole), static_cast<DWORD>(whole >> 32)};
    return true;
}

}  // namespace

bool IsValidSystemTime(const SYSTEMTIME& time) {
    if (time.wYear < kFirstYear || time.wYear > kLastYear || time.wMonth < 1 || time.wMonth > 12) {
        return false;
    }
    if (time.wDay < 1 || time.wDay > DaysInMonth(time.wYear, time.wMonth)) {
        return false;
    }
    return time.wHour <= 23 && time.wMinute <= 59 && time.wSecond <= 59 && time.wMilliseconds <= 999;
}

const TIME_ZONE_INFORMATION& ProcessTimeZone() {
    static const TIME_ZONE_INFORMATION info = [] {
        TIME_ZONE_INFORMATION zone;
        ZeroMemory(&zone, sizeof(zone));
        GetTimeZoneInformation(&zone);
        return zone;
    }();
    return info;
}

const TIME_ZONE_INFORMATION& ZoneRulesOfYear(uint16_t year) {
    // The zone as the platform names it, read once; the rules of each year asked for are kept.
    // With the automatic daylight-saving change turned off there is one rule set for all years.
    static DYNAMIC_TIME_ZONE_INFORMATION dynamicZone;
    static const bool known = [] {
        ZeroMemory(&dynamicZone, sizeof(dynamicZone));
        return GetDynamicTimeZoneInformation(&dynamicZone) != TIME_ZONE_ID_INVALID &&
               !dynamicZone.DynamicDaylightTimeDisabled;
    }();
    // A drop's worker thread merges local times while the dialog may show them: the cache is
    // guarded, but not across the platform call. Entries are never removed, so a reference
    // handed out stays valid.
    static std::map<uint16_t, TIME_ZONE_INFORMATION> years;
    static std::mutex yearsLock;
    if (!known) return ProcessTimeZone();
    {
        std::lock_guard<std::mutex> hold(yearsLock);
        auto found = years.find(year);
        if (found != years.end()) return found->second;
    }
    TIME_ZONE_INFORMATION rules;
    ZeroMemory(&rules, sizeof(rules));
    if (!GetTimeZoneInformationForYear(year, &dynamicZone, &rules)) return ProcessTimeZone();
    std::lock_guard<std::mutex> hold(yearsLock);
    return years.emplace(year, rules).first->second;
}

TimeParts PartsOf(const SYSTEMTIME& time) {
    return TimeParts{time.wYear, time.wMonth,  time.wDayOfWeek, time.wDay,
                     time.wHour, time.wMinute, time.wSecond,    time.wMilliseconds};
}

void FileTimeValue::SetFromNow() {
    GetSystemTime(&brokenDown);
    zone = ZoneUtc;
    if (SystemTimeToFileTime(&brokenDown, &fileTime)) {
        FileTimeToSystemTime(&fileTime, &brokenDown);
    }
}

bool FileTimeValue::SetFromFileTime(const FILETIME& time) {
    SYSTEMTIME utc;
    if (!FileTimeToSystemTime(&time, &utc)) {
        return false;
    }
    fileTime = time;
    brokenDown = utc;
    zone = ZoneUtc;
    return true;
}

bool FileTimeValue::ShowAsUtc() {
    SYSTEMTIME utc;
    if (!FileTimeToSystemTime(&fileTime, &utc)) {
        return false;
    }
    brokenDown = utc;
    zone = ZoneUtc;
    return true;
}

bool FileTimeValue::ShowAsLocal() {
    if (zone != ZoneUtc) {
        return true;
    }
    SYSTEMTIME local;
    if (!UtcToLocal(brokenDown, &local)) {
        return false;
    }
    brokenDown = local;
    zone = ZoneLocal;
    return true;
}

bool FileTimeValue::StoreLocal(const SYSTEMTIME& local) {
    // Local to UTC by the rules of the value's own year, the same rules ShowAsLocal uses back,
    // so the round trip is exact outside the skipped and repeated hours of a change.
    SYSTEMTIME utc;
    if (!IsValidSystemTime(local) || !LocalToUtc(local, &utc)) {
        return false;
    }
    FILETIME instant;
    SYSTEMTIME normalUtc;
    SYSTEMTIME shown;
    if (!ToFileTime(utc, &instant) || !FileTimeToSystemTime(&instant, &normalUtc) || !UtcToLocal(normalUtc, &shown)) {
        return false;
    }
    fileTime = instant;
    brokenDown = shown;
    zone = ZoneLocal;
    return true;
}

bool FileTimeValue::StoreUtc(const SYSTEMTIME& utc) {
    FILETIME instant;
    SYSTEMTIME shown;
    if (!ToFileTime(utc, &instant) || !FileTimeToSystemTime(&instant, &shown)) {
        return false;
    }
    fileTime = instant;
    brokenDown = shown;
    zone = ZoneUtc;
    return true;
}

bool FileTimeValue::ShowIn(uint16_t flags) { return (flags & ShowUtc) ? ShowAsUtc() : ShowAsLocal(); }

bool MergeParts(FileTimeValue& target, const TimeParts& parts, uint16_t flags) {
    return MergeWithTicks(target, parts, flags, 0);
}

FILETIME MergeIntoFileTime(const FileTimeValue& chosen, uint16_t flags, const FILETIME& existing) {
    FileTimeValue result;
    FileTimeValue source = chosen;
    if (!result.SetFromFileTime(existing) || !source.ShowIn(flags)) {
        return existing;
    }
    MergeWithTicks(result, PartsOf(source.brokenDown), flags, SubMilliseconds(source.fileTime));
    return result.fileTime;
}

void FileTimeSettings::AssignValue(const FileTimeValue& other, uint16_t partMask) {
    const uint16_t work = WithParts(flags, partMask);
    FileTimeValue source = other;
    if (source.ShowIn(work)) {
        MergeWithTicks(value, PartsOf(source.brokenDown), work, SubMilliseconds(source.fileTime));
    }
}

void FileTimeSettings::ClearMilliseconds() { MergeParts(value, TimeParts{}, WithParts(flags, UseMSec)); }

void FileTimeSettings::ParseDate(const RawString& text) {
    if (text.IsEmpty()) {
        return;
    }
    FieldReader reader(text);
    TimeParts parts{};
    parts.year = Clamp(reader.Next(), kFirstYear, kLastYear);
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

bool ShiftFileTime(const FILETIME& time, int64_t ticks, FILETIME& shifted) {
    const int64_t count = static_cast<int64_t>((uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    // Counts past 2^63 have no calendar form.
    if (count < 0 || (ticks > 0 && count > INT64_MAX - ticks)) return false;
    const int64_t moved = count + ticks;
    if (moved < 0) return false;
    const FILETIME result{static_cast<DWORD>(uint64_t(moved) & 0xFFFFFFFFu), static_cast<DWORD>(uint64_t(moved) >> 32)};
    FileTimeValue check;
    if (!check.SetFromFileTime(result)) return false;
    shifted = result;
    return true;
}

}  // namespace AppLayer
