#include "emulator/tool/Contents.h"

#include "emulator/modules/BrailleTableSlots.h"
#include "emulator/modules/EpromBootLoader.h"
#include "emulator/modules/FileTransfer.h"

namespace QrEmu {

namespace {

constexpr uint8_t kTableAttribute = 0x80;

void describeFlash(const EpromBootLoader& loader, std::string& text) {
  const EpromFlash& flash = loader.flash();
  for (int bank = 0; bank < flash.banks(); ++bank) {
    const size_t records = flash.records(bank).size();
    if (records == 0) continue;
    text += "  firmware: flash bank " + std::to_string(bank) + ", " + std::to_string(records) +
            " Intel HEX records\n";
  }
}

void describeFiles(FileTransfer& transfer, std::string& text) {
  for (const auto& [name, file] : transfer.files().everyFile()) {
    if ((file.attribute & kTableAttribute) != 0) continue;  // listed with the slots
    text += "  file: " + name + ", " + std::to_string(file.content.size()) + " bytes\n";
  }
}

void describeTables(const BrailleTableSlots& slots, std::string& text) {
  for (const auto& [slot, name] : slots.slotNames()) {
    text += "  Braille table: slot " + std::to_string(slot) + ", \"" + name + "\"" +
            (slot == slots.activeSlot ? " (current)" : "") + "\n";
  }
}

}  // namespace

std::string describeContents(const Display& display) {
  auto guard = display.lock();
  std::string text;
  if (const auto* loader = display.find<EpromBootLoader>()) describeFlash(*loader, text);
  if (auto* transfer = display.find<FileTransfer>()) describeFiles(*transfer, text);
  if (const auto* slots = display.find<BrailleTableSlots>()) describeTables(*slots, text);
  return text.empty() ? "  nothing\n" : text;
}

}  // namespace QrEmu
