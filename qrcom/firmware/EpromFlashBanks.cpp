// Flash banks of the older displays: up to eight, chosen by three address bits that the boot
// loader sets in INFO mode, and the erase of the whole flash.
#include "qrcom/base/Clock.h"
#include "qrcom/base/QrException.h"
#include "qrcom/firmware/EpromDialogue.h"
#include "qrcom/firmware/EpromVersion11FirmwareUploadStrategy.h"

namespace QrCom {

using namespace Eprom;

namespace {

constexpr wchar_t kAddressBitPrefix[] = L"EpromVersion11FirmwareUploadStrategy::setAddressBit--";
constexpr wchar_t kBankPrefix[] = L"EpromVersion11FirmwareUploadStrategy::switchToFlashBank--";
constexpr wchar_t kDeletePrefix[] = L"EpromVersion11FirmwareUploadStrategy::deleteFlashMemory--";
constexpr int kErasePolls = 20;

struct AddressBitCommand {
  uint8_t command;
  uint8_t answer;
};

// [bit][value]
constexpr AddressBitCommand kAddressBits[3][2] = {
    {{0x55, 0x75}, {0x4F, 0x6F}},  // U / u, O / o
    {{0x33, 0x33}, {0x32, 0x32}},
    {{0x36, 0x36}, {0x35, 0x35}},
};

}  // namespace

bool EpromVersion11FirmwareUploadStrategy::setAddressBit(SerialPort& port, int bit, int value) {
  port.purge();
  if (!answers(port, kEnterInfoMode, kOk)) {
    throw CannotSwitchFlashBanksException(compose(kAddressBitPrefix, L"Cannot start INFO mode."));
  }
  writeText(port, kInfo);
  if (!echoes(port, kInfoEcho)) {
    throw CannotSwitchFlashBanksException(
        compose(kAddressBitPrefix, L"Invalid confirmation of INFO command"));
  }
  if (bit < 0 || bit > 2) return false;
  const AddressBitCommand& set = kAddressBits[bit][value != 0 ? 1 : 0];
  port.purge();
  port.writeByte(set.command);
  try {
    return port.readByte() == set.answer;
  } catch (const CannotReadFromPortException&) {
    clock().sleep(100);
    return false;
  }
}

int EpromVersion11FirmwareUploadStrategy::countFlashBanks(SerialPort& port,
                                                          FirmwareUploadProgressSink* sink) {
  report(sink, kStageCountingFlashBanks);
  if (setAddressBit(port, 2, 0)) return 8;
  if (setAddressBit(port, 1, 0)) return 4;
  if (setAddressBit(port, 0, 0)) return 2;
  return 1;
}

void EpromVersion11FirmwareUploadStrategy::switchToFlashBank(SerialPort& port, uint32_t bank,
                                                             int banks) {
  if (bank > 7) return;
  bool ok = true;
  if (banks >= 8) ok = setAddressBit(port, 2, (bank >> 2) & 1);
  if (ok && banks >= 4) ok = setAddressBit(port, 1, (bank >> 1) & 1);
  if (ok && banks >= 2) ok = setAddressBit(port, 0, bank & 1);
  if (!ok) {
    throw CannotSwitchFlashBanksException(
        compose(kBankPrefix, L"Error while switching to flash bank"));
  }
}

void EpromVersion11FirmwareUploadStrategy::deleteFlashMemory(SerialPort& port, int banks,
                                                             FirmwareUploadProgressSink* sink) {
  report(sink, kStageErasingFlash);
  switchToFlashBank(port, 0, banks);
  settle(port);
  if (!answers(port, kEnterInfoMode, kOk)) {
    throw CannotSwitchFlashBanksException(compose(kDeletePrefix, L"Cannot start INFO mode."));
  }
  writeText(port, kInfo);
  if (!echoes(port, kInfoEcho)) {
    throw CannotSwitchFlashBanksException(
        compose(kDeletePrefix, L"Invalid confirmation of INFO command"));
  }
  port.writeByte(kEraseFlash);
  for (int poll = 0; poll < kErasePolls; ++poll) {
    clock().sleep(500);
    try {
      if (port.readByte() == kEraseFlash) return;
    } catch (const CannotReadFromPortException&) {
      // The erase takes seconds; silence uses up one poll.
    }
  }
  throw CannotDeleteFlashException(compose(kDeletePrefix, L"No ACK_DELETE_FLASH received"));
}

}  // namespace QrCom
