#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "emulator/Module.h"
#include "emulator/modules/DeviceFileSystem.h"

namespace QrEmu {

// The Braille-table slots 1 to 9 of the legacy line and the current firmware: the two tables
// in use (command 0x0F), making a slot current (0x44) and the slots' names (0x45). Tables get
// into the slots through the file transfer: a file whose attribute is 0x80 or 0xC0 with the
// slot number. Knobs are set under the display's lock.
class BrailleTableSlots : public Module {
 public:
  // `files`, when given, is the display's file store, where uploaded tables land.
  explicit BrailleTableSlots(const DeviceFileSystem* files = nullptr) : files_(files) {}

  bool onByte(Display& display, uint8_t byte) override;

  // Names by slot (ANSI bytes) besides the uploaded tables; a slot without a name is free.
  std::map<int, std::string> names;
  uint8_t usedFirst = 1;
  uint8_t usedSecond = 0;
  // The slot made current last; -1 before any.
  int activeSlot = -1;
  // The next command is refused with NAK and this code; 0: none.
  uint8_t nakCode = 0;

  // The knob's names and the uploaded tables.
  std::map<int, std::string> slotNames() const;

 private:
  // ACK and the command byte, or the NAK a fault asks for; false when refused.
  bool confirm(Display& display, uint8_t command);
  // Waits for the host's 06 16 that ends an answer.
  void awaitAcknowledgement(Display& display);
  Bytes namesData() const;

  const DeviceFileSystem* files_;
};

}  // namespace QrEmu
