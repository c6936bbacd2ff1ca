#include "qrcom/protocol/PagelingProtocol.h"

#include "qrcom/base/QrException.h"

namespace QrCom {
namespace Pageling {

namespace {
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kNak = 0x15;
constexpr uint32_t kMaxCollected = 400;

enum class Failure { Device, Memory, Protocol, Files, Tables, Exists };
enum class Answer { None, Ack, AckAndReset, AckAndEnd };

struct PagelingError {
  uint8_t code;
  Answer answer;
  const wchar_t* text;
  Failure failure;
};

constexpr PagelingError kErrors[] = {
    {1, Answer::None, L" Watchdog error.", Failure::Device},
    {2, Answer::None, L" Block Null not readable.", Failure::Device},
    {3, Answer::None, L" No flash memory found.", Failure::Device},
    {4, Answer::None, L" Too much defective blocks.", Failure::Device},
    {5, Answer::None, L" Keyboard buffer overflow.", Failure::Device},
    {6, Answer::None, L" Parity or framing error.", Failure::Device},
    {7, Answer::AckAndReset, L" Defective memory block detected. Reset forced.", Failure::Device},
    {8, Answer::AckAndEnd, L" Not enough memory.", Failure::Memory},
    {9, Answer::Ack, L" Page frame error.", Failure::Protocol},
    {10, Answer::AckAndReset, L" File frame error.", Failure::Protocol},
    {11, Answer::None, L" Unauthorized access to block 0.", Failure::Device},
    {12, Answer::Ack, L" Maximal number of files loaded.", Failure::Files},
    {13, Answer::None, L" Maximal number of Braille Tables loaded.", Failure::Tables},
    {14, Answer::Ack, L" File already exists on device.", Failure::Exists},
};

void answerFirst(SerialPort& port, Answer answer) {
  if (answer == Answer::None) return;
  port.writeByte(kAck);
  if (answer == Answer::AckAndReset) writeControl(port, kResetReceiver);
  if (answer == Answer::AckAndEnd) port.writeByte(kEndOfTransfer);
}
}  // namespace

void writeControl(SerialPort& port, uint8_t command) {
  const uint8_t control[2] = {kControl, command};
  port.writeBuffer(control, 2);
}

void throwPagelingError(SerialPort& port, uint8_t code, std::wstring_view prefix) {
  for (const PagelingError& error : kErrors) {
    if (error.code != code) continue;
    answerFirst(port, error.answer);
    const std::wstring message = compose(prefix, std::wstring_view(error.text));
    switch (error.failure) {
      case Failure::Device:
        throw ErrorOnDeviceException(message);
      case Failure::Memory:
        throw NotEnoughMemoryException(message);
      case Failure::Protocol:
        throw ErrorInProtocolException(message);
      case Failure::Files:
        throw MaxNumberOfFilesLoadedException(message);
      case Failure::Tables:
        throw MaxNumberOfBrailleTablesLoadedException(message);
      case Failure::Exists:
        throw FileAlreadyExistsOnDeviceException(message);
    }
  }
  throw ErrorInProtocolException(compose(prefix, L" No detailled description available."));
}

void awaitAnswer(SerialPort& port, std::wstring_view prefix) {
  const uint8_t first = port.readByte();
  if (first == kAck) return;
  if (first == kNak) throwPagelingError(port, port.readByte(), prefix);
  // Only the last two bytes of the collection decide.
  uint8_t last = 0;
  uint8_t beforeLast = 0;
  uint32_t collected = 0;
  while (collected < kMaxCollected) {
    uint8_t byte = 0;
    try {
      byte = port.readByte();
    } catch (const CannotReadFromPortException&) {
      break;
    }
    beforeLast = last;
    last = byte;
    ++collected;
  }
  if (collected > 0 && last == kAck) return;
  if (collected >= 2 && beforeLast == kNak) throwPagelingError(port, last, prefix);
  throw ErrorInProtocolException(compose(prefix, L" Missing ACK and NAK"));
}

void openTransaction(SerialPort& port, uint8_t command, std::wstring_view prefix) {
  writeControl(port, command);
  try {
    awaitAnswer(port, prefix);
  } catch (const QrException&) {
    port.purge();
    writeControl(port, kResetReceiver);
    port.purge();
    writeControl(port, command);
    awaitAnswer(port, prefix);
  }
}

void sendBlock(SerialPort& port, const uint8_t (&block)[kBlockSize], std::wstring_view prefix) {
  port.writeBuffer(block, kBlockSize);
  port.writeByte(kEndOfBlock);
  awaitAnswer(port, prefix);
}

void endTransfer(SerialPort& port, std::wstring_view prefix) {
  port.writeByte(kEndOfTransfer);
  awaitAnswer(port, prefix);
}

}  // namespace Pageling
}  // namespace QrCom
