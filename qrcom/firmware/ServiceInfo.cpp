#include "qrcom/firmware/ServiceInfo.h"

#include "qrcom/base/QrException.h"

namespace QrCom {

namespace {

constexpr wchar_t kPrefix[] = L"ServiceInfo::readObject() -- ";
constexpr size_t kReservedStart = 16;
constexpr uint8_t kFlagBit = 0x01;
constexpr uint8_t kStateOneBit = 0x02;
constexpr uint8_t kStateTwoBit = 0x04;

// Two-digit years: 90-99 (and beyond) are the last century, 0-89 this one.
ServiceDate readDate(const uint8_t* bytes) {
  ServiceDate date;
  const uint8_t month = bytes[0];
  date.month = month == 0 ? 12 : static_cast<uint8_t>((month - 1) % 12 + 1);
  date.year = static_cast<uint16_t>(bytes[1] >= 90 ? 1900 + bytes[1] : 2000 + bytes[1]);
  return date;
}

// Years from 2090 on come only from year bytes 190-255 (read as 1900 + y); they go back to
// those bytes, since year + 48 would make 2090 the byte 90, which reads as 1990.
void writeDate(const ServiceDate& date, uint8_t* bytes) {
  constexpr uint16_t kLastCenturyBytesFrom = 2090;
  bytes[0] = date.month;
  if (date.year >= kLastCenturyBytesFrom) {
    bytes[1] = static_cast<uint8_t>(date.year - 1900);
  } else {
    bytes[1] = static_cast<uint8_t>(date.year <= 2000 ? date.year + 148 : date.year + 48);
  }
}

void readOptionalDate(const uint8_t* bytes, bool& present, ServiceDate& date) {
  present = bytes[0] != 0;
  date = present ? readDate(bytes) : ServiceDate();
}

void writeOptionalDate(bool present, const ServiceDate& date, uint8_t* bytes) {
  if (present) writeDate(date, bytes);
}

}  // namespace

void ServiceInfo::readObject(const uint8_t* data, int length) {
  if (length < static_cast<int>(kSize)) {
    throw WrongStreamSize(compose(kPrefix, L"Wrong size of stream for reading data"));
  }
  bool reservedClear = true;
  for (size_t i = kReservedStart; i < kSize; ++i) reservedClear = reservedClear && data[i] == 0;
  if (data[0] == 0 || !reservedClear) {
    throw ServiceInfoCorrupted(compose(kPrefix, L"Serviceinformation is corrupted"));
  }
  kind = data[0];
  number = static_cast<uint16_t>(data[1] | data[2] << 8);
  firstDate = readDate(data + 3);
  valueA = data[5];
  readOptionalDate(data + 6, secondDatePresent, secondDate);
  readOptionalDate(data + 8, thirdDatePresent, thirdDate);
  readOptionalDate(data + 10, fourthDatePresent, fourthDate);
  valueB = data[12];
  readOptionalDate(data + 13, fifthDatePresent, fifthDate);
  flag = (data[15] & kFlagBit) != 0;
  state = (data[15] & kStateOneBit) ? 1 : (data[15] & kStateTwoBit) ? 2 : 0;
}

std::array<uint8_t, ServiceInfo::kSize> ServiceInfo::writeObject() const {
  std::array<uint8_t, kSize> bytes{};
  bytes[0] = kind;
  bytes[1] = static_cast<uint8_t>(number & 0xFF);
  bytes[2] = static_cast<uint8_t>(number >> 8);
  writeDate(firstDate, &bytes[3]);
  bytes[5] = valueA;
  writeOptionalDate(secondDatePresent, secondDate, &bytes[6]);
  writeOptionalDate(thirdDatePresent, thirdDate, &bytes[8]);
  writeOptionalDate(fourthDatePresent, fourthDate, &bytes[10]);
  bytes[12] = valueB;
  writeOptionalDate(fifthDatePresent, fifthDate, &bytes[13]);
  bytes[15] = static_cast<uint8_t>((flag ? kFlagBit : 0) | (state == 1 ? kStateOneBit : 0) |
                                   (state == 2 ? kStateTwoBit : 0));
  return bytes;
}

}  // namespace QrCom
