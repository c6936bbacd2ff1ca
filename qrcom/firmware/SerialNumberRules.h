#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace QrCom {

// What a serial number tells, shared by the serial-number strategies.
namespace SerialNumberRules {

constexpr size_t kMaxLength = 40;

// One character per byte, ending at the first zero byte or after `maxLength` characters.
std::wstring fromBytes(const uint8_t* bytes, size_t count, size_t maxLength = kMaxLength);
// False for a serial number that begins with "XXX" in any case.
bool isValid(const std::wstring& serialNumber);
// Characters 4 to 11 equal `defaultText` (8 characters), ignoring case.
bool isDefault(const std::wstring& serialNumber, const wchar_t* defaultText);
// The two digits after the first "-"; throws DeliveryYearNotAvailable (empty message) when
// there are none.
int deliveryYear(const std::wstring& serialNumber);

}  // namespace SerialNumberRules
}  // namespace QrCom
