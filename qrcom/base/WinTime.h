#pragma once

#include <windows.h>

#include "qrcom/base/CalendarTime.h"

namespace QrCom {

inline CalendarTime toCalendarTime(const SYSTEMTIME& time) {
  return CalendarTime{time.wYear, time.wMonth,  time.wDayOfWeek, time.wDay,
                      time.wHour, time.wMinute, time.wSecond,    time.wMilliseconds};
}

}  // namespace QrCom
