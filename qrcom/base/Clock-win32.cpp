#include "qrcom/base/Clock.h"
#include "qrcom/base/WinTime.h"

namespace QrCom {

CalendarTime RealClock::localTime() {
  SYSTEMTIME local{};
  GetLocalTime(&local);
  return toCalendarTime(local);
}

}  // namespace QrCom
