#include <sys/time.h>

#include "qrcom/base/Clock.h"
#include "qrcom/base/PosixTime.h"

namespace QrCom {

CalendarTime localCalendarTime(time_t seconds, uint16_t milliseconds) {
  tm local{};
  localtime_r(&seconds, &local);
  CalendarTime result;
  result.year = static_cast<uint16_t>(local.tm_year + 1900);
  result.month = static_cast<uint16_t>(local.tm_mon + 1);
  result.dayOfWeek = static_cast<uint16_t>(local.tm_wday);
  result.day = static_cast<uint16_t>(local.tm_mday);
  result.hour = static_cast<uint16_t>(local.tm_hour);
  result.minute = static_cast<uint16_t>(local.tm_min);
  result.second = static_cast<uint16_t>(local.tm_sec);
  result.milliseconds = milliseconds;
  return result;
}

CalendarTime RealClock::localTime() {
  timeval now{};
  gettimeofday(&now, nullptr);
  return localCalendarTime(now.tv_sec, static_cast<uint16_t>(now.tv_usec / 1000));
}

}  // namespace QrCom
