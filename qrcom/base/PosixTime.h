#pragma once

#include <ctime>

#include "qrcom/base/CalendarTime.h"

namespace QrCom {

// `seconds` since the epoch as local calendar time.
CalendarTime localCalendarTime(time_t seconds, uint16_t milliseconds);

}  // namespace QrCom
