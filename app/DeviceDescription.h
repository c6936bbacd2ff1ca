#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace QrApp {

// What the user interface needs to name one display; the controller fills it from the device.
struct DeviceLabel {
  uint8_t modelId = 0;
  // Absent when the display has no serial-number service or its query reported
  // WrongProtocolVersionException.
  std::optional<std::wstring> serialNumber;
  // Where the display is attached, already localized: comPortText, usbHidPortText or, on Linux,
  // the tty path.
  std::wstring port;
};

// String ids of the model name: the possessive form used in the confirmation question (German
// with its article) and the list form used in descriptions. Unknown models get the ids of
// "Quorlin device" and "Unknown".
uint16_t possessiveModelNameId(uint8_t modelId);
uint16_t listModelNameId(uint8_t modelId);

std::wstring comPortText(int portNumber, uint16_t language);
std::wstring usbHidPortText(uint16_t language);

// The entry of the device selection and the progress dialog's target device: list name, serial
// number in parentheses when known, port.
std::wstring deviceDescription(const DeviceLabel& device, uint16_t language);

// The question asked when exactly one display answers: with the serial number when known.
std::wstring confirmationQuestion(const DeviceLabel& device, uint16_t language);

}  // namespace QrApp
