// Helpers for the file time tests: calendar records, their text for messages, and what the
// test's time zone (TZ, set per run) makes of a local time.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "SystemTimeMaker.h"

namespace FileTimeTest {

using TestSupport::Time;

// "2024-09-07 12:00:00.000", the day of week left out.
inline std::string Show(const SYSTEMTIME& t) {
    char text[48];
    std::snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u.%03u", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond, t.wMilliseconds);
    return text;
}

inline uint64_t Count(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The file time of a UTC calendar time (valid dates only).
inline FILETIME Utc(const SYSTEMTIME& utc) {
    FILETIME time{};
    SystemTimeToFileTime(&utc, &time);
    return time;
}

inline FILETIME PlusTicks(const FILETIME& time, int64_t ticks) {
    const uint64_t count = Count(time) + static_cast<uint64_t>(ticks);
    return FILETIME{static_cast<DWORD>(count), static_cast<DWORD>(count >> 32)};
}

inline FILETIME Shifted(const FILETIME& time, int64_t minutes) { return PlusTicks(time, minutes * 600000000LL); }

inline std::string UtcText(const FILETIME& time) {
    SYSTEMTIME utc{};
    if (!FileTimeToSystemTime(&time, &utc)) return "<no calendar form>";
    return Show(utc) + " UTC";
}

enum class Zone { Utc, Berlin, Unknown };

// Said once per run on the console: a run by hand without TZ leaves out every check that needs
// a known zone, and that must not pass unnoticed.
inline void AnnounceUnknownZone(const char* tz) {
    static bool announced = false;
    if (announced) return;
    announced = true;
    std::fprintf(stderr,
                 "\n*** TZ is %s%s%s, neither UTC nor Europe/Berlin: the checks that depend on the time zone "
                 "are SKIPPED in this run (ctest sets TZ). ***\n\n",
                 tz ? "\"" : "", tz ? tz : "not set", tz ? "\"" : "");
}

inline Zone TestZone() {
    const char* tz = std::getenv("TZ");
    if (tz != nullptr && std::strcmp(tz, "UTC") == 0) return Zone::Utc;
    if (tz != nullptr && std::strcmp(tz, "Europe/Berlin") == 0) return Zone::Berlin;
    AnnounceUnknownZone(tz);
    return Zone::Unknown;
}

// Minutes local time runs ahead of UTC on a date well away from a change (Berlin: summer
// time April to September, standard time November to February).
inline int OffsetMinutes(const SYSTEMTIME& local) {
    if (TestZone() != Zone::Berlin) return 0;
    return local.wMonth >= 4 && local.wMonth <= 9 ? 120 : 60;
}

// The instant of a local calendar time away from a change, worked out without the code
// under test.
inline FILETIME FromLocal(const SYSTEMTIME& local) { return Shifted(Utc(local), -OffsetMinutes(local)); }

}  // namespace FileTimeTest
