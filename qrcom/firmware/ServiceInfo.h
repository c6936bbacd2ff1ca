#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace QrCom {

// A month and a four-digit year of the service-information record.
struct ServiceDate {
  uint8_t month = 0;  // 1-12
  uint16_t year = 0;
};

// The display's 20-byte service-information record. It is carried and validated, not
// interpreted: the meaning of its fields is the service department's.
class ServiceInfo {
 public:
  static constexpr size_t kSize = 20;

  // Fills the record from wire bytes; bytes after the 20th are ignored. Throws WrongStreamSize
  // for fewer than 20 bytes, ServiceInfoCorrupted for a zero kind or reserved bytes not zero.
  void readObject(const uint8_t* data, int length);
  std::array<uint8_t, kSize> writeObject() const;

  uint8_t kind = 1;  // never 0 on the wire
  uint16_t number = 0;
  ServiceDate firstDate;
  uint8_t valueA = 0;
  bool secondDatePresent = false;
  ServiceDate secondDate;
  bool thirdDatePresent = false;
  ServiceDate thirdDate;
  bool fourthDatePresent = false;
  ServiceDate fourthDate;
  uint8_t valueB = 0;
  bool fifthDatePresent = false;
  ServiceDate fifthDate;
  bool flag = false;
  uint8_t state = 0;  // 0, 1 or 2
};

}  // namespace QrCom
