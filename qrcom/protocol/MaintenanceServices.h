#pragma once

namespace QrCom {

// The device-wide service ids the maintenance strategies claim, named after the class that
// first brings each one.
namespace MaintenanceServices {
constexpr int kBrailleTableUpload = 14;
constexpr int kSearchBackwards = 16;
constexpr int kUsedBrailleTables = 19;
constexpr int kBrailleTableSlots = 22;
// Bluetooth PIN, battery figures and battery test mode over extended packets.
constexpr int kFirstPacketService = 23;
constexpr int kLastPacketService = 26;
// The real-time clock; 27 is what setting it to the PC's time asks for.
constexpr int kFirstClockService = 27;
constexpr int kLastClockService = 28;
constexpr int kMassStorageLock = 34;

constexpr bool inRange(int serviceId, int first, int last) {
  return serviceId >= first && serviceId <= last;
}
}  // namespace MaintenanceServices

}  // namespace QrCom
