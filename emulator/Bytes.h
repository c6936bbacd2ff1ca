#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace QrEmu {

using Bytes = std::vector<uint8_t>;

// "FE 54" for {0xFE, 0x54}: how the emulator writes bytes into its log.
std::string toHex(const Bytes& bytes);

}  // namespace QrEmu
