// RawZoneRules: the platform's time zone rules, read once per process and kept per year, and
// the conversions between UTC and local calendar times under them. The records handed out are
// process-wide and never freed; any thread may ask.
#pragma once

#include <windows.h>

#include <cstdint>

namespace RawLayer {

// The platform's time zone record, read once per process on first use: today's rules.
const TIME_ZONE_INFORMATION& ProcessTimeZone();
// The zone's rules in force in year (daylight-saving dates and biases change over the years);
// today's rules when the platform cannot tell that year's.
const TIME_ZONE_INFORMATION& ZoneRulesOfYear(uint16_t year);

// By the rules of the local year, which near New Year may not be the UTC year: the rules that
// LocalToUtc takes for the local time it gives. False when the platform refuses the time.
bool UtcToLocal(const SYSTEMTIME& utc, SYSTEMTIME* local);
// By the rules of the local time's own year.
bool LocalToUtc(const SYSTEMTIME& local, SYSTEMTIME* utc);

}  // namespace RawLayer
