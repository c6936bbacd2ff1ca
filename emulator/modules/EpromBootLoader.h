#pragma once

#include <cstdint>
#include <string>

#include "emulator/Bytes.h"
#include "emulator/Module.h"
#include "emulator/modules/EpromFlash.h"

namespace QrEmu {

// The boot loader of the older displays (models 4, 5, 50, 53, 54, 56, 58, 114, 116, 120) and
// its INFO mode. 0xAE opens INFO mode (answer 0x4F); the display then echoes a command word
// and answers its closing blank with the word's first letter:
//   "INFO "               then one command byte: 'N' the 40-byte serial number; in EPROM
//                         mode the address bits (O/U bit 0 answered o/u, 2/3 bit 1, 5/6 bit 2,
//                         only the bits its banks need, silence for the others) and 0x4C, the
//                         erase, answered 0x4C after the erase time
//   "EPROMUmschaltung "   switches to EPROM mode (the boot loader)
//   "FLASHUmschaltung "   starts the firmware again
// In EPROM mode 0xFF is answered 0xFE, and 0xAD (BEGIN_UPLOAD, answered 0x4F) starts an upload
// into the bank the address bits select: Intel HEX records, each answered 0x4F when sound,
// 0x00 otherwise, up to the end record. Packet type 0x50 announces a Braille line: 0x01 and a
// byte per cell, after any number of 0xFF.
class EpromBootLoader : public Module {
 public:
  struct Options {
    int banks = 8;  // 1, 2, 4 or 8
    uint32_t eraseMs = 2000;
    std::string serialNumber = "EP-22-00417";
  };

  EpromBootLoader();
  explicit EpromBootLoader(Options options);

  bool onByte(Display& display, uint8_t byte) override;
  bool onPacket(Display& display, const Packet& packet) override;
  void onReset(Display& display) override;

  // Fault knob; set it under the display's lock while a transport runs.
  // The display is unplugged once `count` more records have been programmed.
  void unplugAfterRecords(uint32_t count) { unplugAfter_ = count; }
  // In EPROM mode 0xFF is answered with 0xFE and the model id, as some boot loaders do, instead
  // of 0xFE alone.
  void answerWakeWithModel() { wakeTellsModel_ = true; }

  // What the display went through; read under the display's lock.
  const EpromFlash& flash() const { return flash_; }
  uint32_t erases() const { return erases_; }
  // The last Braille line shown (0x01 and the cells).
  const Bytes& shownLine() const { return shownLine_; }
  bool runsNewFirmware() const { return restarted_; }

 private:
  friend class CommandWord;
  friend class HexRecordStep;

  void onWord(Display& display, const std::string& word);
  void onInfoCommand(Display& display, uint8_t command);
  void onRecord(Display& display, const std::string& record);
  bool setAddressBit(Display& display, int bit, bool value, uint8_t answer);
  int selectedBank() const;

  Options options_;
  EpromFlash flash_;
  int addressBits_ = 0;
  bool uploading_ = false;
  int uploadBank_ = 0;
  uint32_t unplugAfter_ = UINT32_MAX;
  bool wakeTellsModel_ = false;
  uint32_t erases_ = 0;
  Bytes shownLine_;
  bool restarted_ = false;
};

}  // namespace QrEmu
