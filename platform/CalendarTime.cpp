#include "platform/CalendarTime.h"

namespace Dexal {

std::tm LocalDateFields(int year, int month, int day, int hour, int minute, int second) {
  std::tm fields{};
  fields.tm_year = year - 1900;
  fields.tm_mon = month - 1;
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  fields.tm_sec = second;
  fields.tm_wday = 0;
  fields.tm_yday = 0;
  // The tester's fields are wall-clock time: let the C library decide on daylight saving.
  fields.tm_isdst = -1;
  return fields;
}

}  // namespace Dexal
