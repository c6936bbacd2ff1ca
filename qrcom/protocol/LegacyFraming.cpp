#include "qrcom/protocol/LegacyFraming.h"

#include "qrcom/base/QrException.h"

namespace QrCom {

namespace {

enum class Failure { Protocol, Device, AlreadyExists, Canceled, NotFound, Folder };

struct DeviceError {
  uint8_t code;
  const wchar_t* text;
  Failure failure;
};

constexpr DeviceError kDeviceErrors[] = {
    {1, L"Invalid package size.", Failure::Protocol},
    {2, L"Missing BEGIN_OF_FILE marker.", Failure::Protocol},
    {3, L"Missing END_OF_FILE marker.", Failure::Protocol},
    {4, L"Missing file attribute flag byte.", Failure::Protocol},
    {5, L"Missing start of file data marker.", Failure::Protocol},
    {6, L"Missing GET_FILE command.", Failure::Protocol},
    {7, L"Missing DELETE_FILE command.", Failure::Protocol},
    {8, L"Missing RENAME_FILE command.", Failure::Protocol},
    {9, L"Cannot open temp file.", Failure::Device},
    {10, L"Cannot close temp file.", Failure::Device},
    {11, L"Cannot rename temp file.", Failure::Device},
    {12, L"Cannot delete temp file.", Failure::Device},
    {13, L"Cannot open requested file.", Failure::Device},
    {14, L"Cannot write to file.", Failure::Device},
    {15, L"Cannot delete requested file.", Failure::Device},
    {16, L"Cannot rename requested file.", Failure::Device},
    {17, L"Cannot retrieve disk info.", Failure::Device},
    {18, L"Page frame error.", Failure::Protocol},
    {19, L"File already exists on device", Failure::AlreadyExists},
    {20, L"Connection timeout.", Failure::Protocol},
    {21, L" Editor is open.", Failure::Device},
    {22, L"Buffer overflow.", Failure::Protocol},
    {23, L"Transmission canceled by user (PC side).", Failure::Canceled},
    {24, L"File not found on device.", Failure::NotFound},
    {26, L"Wrong command confirmed (Wrong ACK).", Failure::Device},
    {29, L"invalid folder specified.", Failure::Folder},
};

constexpr uint8_t kInvalidFolder = 29;

}  // namespace

void throwDeviceError(uint8_t code, std::wstring_view prefix, DeviceErrors errors) {
  for (const DeviceError& error : kDeviceErrors) {
    if (error.code != code) continue;
    if (code == kInvalidFolder && errors == DeviceErrors::Maintenance) break;
    const std::wstring message = compose(prefix, std::wstring_view(error.text));
    switch (error.failure) {
      case Failure::Protocol:
        throw ErrorInProtocolException(message);
      case Failure::Device:
        throw ErrorOnDeviceException(message);
      case Failure::AlreadyExists:
        throw FileAlreadyExistsOnDeviceException(message);
      case Failure::Canceled:
        throw TransmissionCanceledByUserException(message);
      case Failure::NotFound:
        throw FileNotFoundOnDeviceException(message);
      case Failure::Folder:
        throw CannotChangeToDirectoryException(message);
    }
  }
  throw ErrorInProtocolException(compose(prefix, L" No detailled description available."));
}

void confirmCommand(SerialPort& port, uint8_t expected, std::wstring_view prefix,
                    DeviceErrors errors) {
  const uint8_t answer = port.readByte();
  if (answer == Legacy::kAck) {
    if (port.readByte() != expected) {
      throw WrongCommandConfirmedException(compose(prefix, L" Wrong command byte received."));
    }
    return;
  }
  if (answer == Legacy::kNak) throwDeviceError(port.readByte(), prefix, errors);
  throw ErrorInProtocolException(compose(prefix, L" Missing ACK and NAK"));
}

void sendCommand(SerialPort& port, uint8_t command, std::wstring_view prefix, DeviceErrors errors) {
  port.writeByte(command);
  confirmCommand(port, command, prefix, errors);
}

std::vector<uint8_t> buildFrame(const uint8_t* body, size_t length, std::wstring_view prefix) {
  if (length > Legacy::kMaxFrameBody) {
    throw InvalidArgumentException(compose(prefix, L"Frame exceeds 65535 bytes."));
  }
  std::vector<uint8_t> frame;
  frame.reserve(length + 3);
  frame.push_back(static_cast<uint8_t>(length & 0xFF));
  frame.push_back(static_cast<uint8_t>(length >> 8));
  frame.insert(frame.end(), body, body + length);
  frame.push_back(Legacy::kSync);
  return frame;
}

void sendFrame(SerialPort& port, const uint8_t* body, size_t length, std::wstring_view prefix,
               DeviceErrors errors) {
  const std::vector<uint8_t> frame = buildFrame(body, length, prefix);
  port.writeBuffer(frame.data(), static_cast<uint32_t>(frame.size()));
  confirmCommand(port, Legacy::kSync, prefix, errors);
}

void sendDataBlock(SerialPort& port, const uint8_t* data, size_t length, std::wstring_view prefix,
                   DeviceErrors errors) {
  sendCommand(port, Legacy::kReceiveDataBlock, prefix, errors);
  sendFrame(port, data, length, prefix, errors);
}

std::vector<uint8_t> nameFrame(uint8_t command, std::string_view name, std::wstring_view prefix) {
  std::vector<uint8_t> body(name.begin(), name.end());
  body.push_back(command);
  return buildFrame(body.data(), body.size(), prefix);
}

void sendNameCommand(SerialPort& port, uint8_t command, const std::vector<uint8_t>& frame,
                     std::wstring_view prefix) {
  sendCommand(port, command, prefix);
  port.writeBuffer(frame.data(), static_cast<uint32_t>(frame.size()));
  confirmCommand(port, Legacy::kSync, prefix);
}

void acknowledge(SerialPort& port, uint8_t what) {
  const uint8_t answer[2] = {Legacy::kAck, what};
  port.writeBuffer(answer, 2);
}

std::vector<uint8_t> legacyHeaderBody(std::string_view name, uint8_t attribute) {
  std::vector<uint8_t> body;
  body.reserve(name.size() + 4);
  body.push_back(Legacy::kBeginOfFile);
  body.insert(body.end(), name.begin(), name.end());
  body.push_back(Legacy::kAttributeFlag);
  body.push_back(attribute);
  body.push_back(Legacy::kStartOfData);
  return body;
}

std::vector<uint8_t> currentHeaderBody(std::string_view name, const CalendarTime& stamp,
                                       uint8_t attribute) {
  std::vector<uint8_t> body;
  body.reserve(name.size() + 11);
  body.push_back(Legacy::kBeginOfFile);
  body.insert(body.end(), name.begin(), name.end());
  body.push_back(Legacy::kAttributeFlag);
  body.push_back(static_cast<uint8_t>(stamp.year >> 8));
  body.push_back(static_cast<uint8_t>(stamp.year & 0xFF));
  body.push_back(static_cast<uint8_t>(stamp.month));
  body.push_back(static_cast<uint8_t>(stamp.day));
  body.push_back(static_cast<uint8_t>(stamp.hour));
  body.push_back(static_cast<uint8_t>(stamp.minute));
  body.push_back(static_cast<uint8_t>(stamp.second));
  body.push_back(attribute);
  body.push_back(Legacy::kStartOfData);
  return body;
}

}  // namespace QrCom
