#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace QrTest {

// An extended-address record for 0x08000000, `count` data records of 16 bytes drawn from
// `seed` (their offsets wrap at 64 KiB), and the end record: an image an IAP loader or the
// Bluetooth module takes.
inline std::vector<std::string> hexRecords(int count, uint8_t seed) {
  std::vector<std::string> records = {":020000040800F2"};
  for (int index = 0; index < count; ++index) {
    const unsigned address = static_cast<unsigned>(index * 16) & 0xFFFF;
    unsigned sum = 0x10 + (address >> 8) + (address & 0xFF);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, ":10%04X00", address);
    std::string record = buffer;
    for (int i = 0; i < 16; ++i) {
      const unsigned value = (seed + index * 16 + i * 7) & 0xFF;
      std::snprintf(buffer, sizeof buffer, "%02X", value);
      record += buffer;
      sum += value;
    }
    std::snprintf(buffer, sizeof buffer, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
    records.push_back(record + buffer);
  }
  records.push_back(":00000001FF");
  return records;
}

// The records as a file holds them, each line ended by CR LF.
inline std::string hexText(const std::vector<std::string>& records) {
  std::string text;
  for (const std::string& record : records) text += record + "\r\n";
  return text;
}

}  // namespace QrTest
