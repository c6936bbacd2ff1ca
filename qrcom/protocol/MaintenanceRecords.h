#pragma once

#include <cstdint>

namespace QrCom {

// Battery figures as the device reports them; their meaning is the device's.
struct BatteryInfo {
  uint16_t firstWord = 0;
  uint16_t secondWord = 0;
  int32_t thirdByte = 0;
  int32_t fourthByte = 0;
  int32_t fifthByte = 0;
};

// The device's real-time clock.
struct DeviceDateTime {
  uint16_t year = 0;
  uint8_t month = 0;
  uint8_t day = 0;
  uint8_t hour = 0;
  uint8_t minute = 0;
  uint8_t second = 0;
};

}  // namespace QrCom
