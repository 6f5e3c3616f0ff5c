#include "RawLayer/RawTimeText.h"

#include "SystemTimeMaker.h"

#include <gtest/gtest.h>

#include <string>

using namespace RawLayer;

namespace {

std::string Text(const RawString& text) { return std::string(text.Bytes(), text.Length()); }

using TestSupport::Time;

}  // namespace

TEST(RawTimeText, FormsWithAndWithoutSeparators) {
    struct Case {
        SYSTEMTIME time;
        const char* slashDate;
        const char* plainDate;
        const char* colonTime;
        const char* plainTime;
        const char* msec;
    };
    const Case cases[] = {
        {Time(2024, 9, 7, 7, 5, 9, 5), "2024/09/07", "20240907", "07:05:09", "070509", "005"},
        {Time(1601, 1, 1, 0, 0, 0, 0), "1601/01/01", "16010101", "00:00:00", "000000", "000"},
        {Time(30827, 12, 31, 23, 59, 59, 999), "30827/12/31", "308271231", "23:59:59", "235959", "999"},
        // Years past four digits keep every digit; short years are padded to four.
        {Time(12000, 2, 29, 12, 0, 0, 10), "12000/02/29", "120000229", "12:00:00", "120000", "010"},
        {Time(10000, 1, 1, 1, 2, 3, 40), "10000/01/01", "100000101", "01:02:03", "010203", "040"},
        {Time(9999, 10, 10, 10, 10, 10, 100), "9999/10/10", "99991010", "10:10:10", "101010", "100"},
        {Time(999, 1, 2, 3, 4, 5, 6), "0999/01/02", "09990102", "03:04:05", "030405", "006"},
        {Time(65535, 1, 1, 0, 0, 0, 0), "65535/01/01", "655350101", "00:00:00", "000000", "000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.slashDate);
        EXPECT_EQ(Text(FormatDate(c.time, '/')), c.slashDate);
        EXPECT_EQ(Text(FormatDate(c.time, 0)), c.plainDate);
        EXPECT_EQ(Text(FormatTime(c.time, ':')), c.colonTime);
        EXPECT_EQ(Text(FormatTime(c.time, 0)), c.plainTime);
        EXPECT_EQ(Text(FormatMSec(c.time)), c.msec);
    }
}

TEST(RawTimeText, AnySeparatorUnit) {
    const SYSTEMTIME time = Time(2024, 9, 7, 13, 14, 15, 0);
    EXPECT_EQ(Text(FormatDate(time, '-')), "2024-09-07");
    EXPECT_EQ(Text(FormatTime(time, '.')), "13.14.15");
}
