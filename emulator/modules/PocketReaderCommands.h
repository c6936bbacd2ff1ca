#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "emulator/Module.h"

namespace QrEmu {

// The pocket reader's commands: 0x05 and a command byte. Command 0x05 answers the eight-byte
// serial number; the reader's other protocols add their commands with `handle`.
class PocketReaderCommands : public Module {
 public:
  using Command = std::function<void(Display&)>;

  explicit PocketReaderCommands(std::string serialNumber);

  bool onByte(Display& display, uint8_t byte) override;
  void handle(uint8_t command, Command handler) { commands_[command] = std::move(handler); }

  const std::string& serialNumber() const { return serialNumber_; }

 private:
  std::string serialNumber_;
  std::map<uint8_t, Command> commands_;
};

}  // namespace QrEmu
