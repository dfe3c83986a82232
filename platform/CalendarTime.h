#pragma once

#include <cstdint>
#include <ctime>

namespace Dexal {

// Seconds since 1970-01-01 00:00:00 UTC, 64 bits on every platform.
using CalendarTime = std::int64_t;

// The C library's local-time conversion (_mktime64 / mktime); -1 when it cannot represent
// the fields. Out-of-range fields are normalised.
CalendarTime CalendarTimeFromLocal(std::tm fields);

// The same conversion, leaving the normalised fields behind.
CalendarTime NormaliseLocalFields(std::tm& fields);

// Local calendar fields of a time value (_localtime64_s / localtime_r); false on failure.
bool LocalFromCalendarTime(CalendarTime time, std::tm& fields);

CalendarTime CurrentCalendarTime();

// Local fields for a date at midnight, with the daylight-saving flag left to the C library.
std::tm LocalDateFields(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

}  // namespace Dexal
