#include "RawLayer/RawZoneRules.h"

#include <map>
#include <mutex>

namespace RawLayer {

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

bool UtcToLocal(const SYSTEMTIME& utc, SYSTEMTIME* local) {
    if (!SystemTimeToTzSpecificLocalTime(&ZoneRulesOfYear(utc.wYear), &utc, local)) return false;
    if (local->wYear == utc.wYear) return true;
    return SystemTimeToTzSpecificLocalTime(&ZoneRulesOfYear(local->wYear), &utc, local) != FALSE;
}

bool LocalToUtc(const SYSTEMTIME& local, SYSTEMTIME* utc) {
    return TzSpecificLocalTimeToSystemTime(&ZoneRulesOfYear(local.wYear), &local, utc) != FALSE;
}

}  // namespace RawLayer
