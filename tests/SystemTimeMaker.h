// A SYSTEMTIME from its calendar fields, for tables of test cases.
#pragma once

#include <windows.h>

namespace TestSupport {

inline SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0,
                       WORD msec = 0) {
    SYSTEMTIME time{};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    time.wMilliseconds = msec;
    return time;
}

}  // namespace TestSupport
