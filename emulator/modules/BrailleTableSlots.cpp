#include "emulator/modules/BrailleTableSlots.h"

#include "emulator/Display.h"

namespace QrEmu {

namespace {
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kNak = 0x15;
constexpr uint8_t kSync = 0x16;
constexpr uint8_t kUsedTables = 0x0F;
constexpr uint8_t kActivate = 0x44;
constexpr uint8_t kNames = 0x45;
constexpr uint8_t kTableAttribute = 0x80;
}  // namespace

bool BrailleTableSlots::confirm(Display& display, uint8_t command) {
  if (nakCode != 0) {
    display.send({kNak, nakCode});
    nakCode = 0;
    return false;
  }
  display.send({kAck, command});
  return true;
}

void BrailleTableSlots::awaitAcknowledgement(Display& display) {
  display.expectOneByte([&display](uint8_t byte) {
    if (byte != kAck) return display.startExchange(byte);
    display.expectOneByte([&display](uint8_t end) {
      if (end != kSync) display.startExchange(end);
    });
  });
}

std::map<int, std::string> BrailleTableSlots::slotNames() const {
  std::map<int, std::string> slots = names;
  if (files_ == nullptr) return slots;
  for (const auto& [key, file] : files_->everyFile()) {
    const int slot = file.attribute & 0x0F;
    if ((file.attribute & kTableAttribute) == 0 || slot < 1 || slot > 9) continue;
    slots[slot] = key.substr(key.find_last_of('/') + 1);
  }
  return slots;
}

Bytes BrailleTableSlots::namesData() const {
  const std::map<int, std::string> slots = slotNames();
  Bytes data;
  for (int slot = 1; slot <= 9; ++slot) {
    const auto found = slots.find(slot);
    const std::string name = found == slots.end() ? "" : found->second.substr(0, 255);
    data.push_back(static_cast<uint8_t>(name.size()));
    data.insert(data.end(), name.begin(), name.end());
  }
  return data;
}

bool BrailleTableSlots::onByte(Display& display, uint8_t byte) {
  if (display.mode() != Mode::Normal) return false;
  if (byte == kUsedTables) {
    if (!confirm(display, byte)) return true;
    display.send({usedFirst, usedSecond, kSync});
    awaitAcknowledgement(display);
  } else if (byte == kActivate) {
    if (!confirm(display, byte)) return true;
    display.expectBytes(2, [this, &display](const Bytes& request) {
      if (request[1] != kSync) return display.send({kNak, 18});
      activeSlot = request[0];
      display.send({kAck, kSync});
    });
  } else if (byte == kNames) {
    if (!confirm(display, byte)) return true;
    const Bytes data = namesData();
    Bytes answer = {static_cast<uint8_t>(data.size() & 0xFF),
                    static_cast<uint8_t>(data.size() >> 8)};
    answer.insert(answer.end(), data.begin(), data.end());
    display.send(answer);
    awaitAcknowledgement(display);
  } else {
    return false;
  }
  return true;
}

}  // namespace QrEmu
