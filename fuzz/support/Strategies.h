#pragma once

#include <cstdint>

namespace QrFuzz {

// A model id and protocol version for which the device picks a real strategy: every legacy
// generation, the current firmware's versions, the Fundo line and the pocket reader.
struct Generation {
  uint8_t modelId;
  uint16_t version;
};

constexpr Generation kGenerations[] = {
    {116, 0},     {116, 1},     {116, 2},     {116, 3}, {84, 0}, {84, 1},  {84, 0x0101},
    {84, 0x0102}, {84, 0x0103}, {97, 0x0102}, {100, 5}, {51, 0}, {135, 1}, {144, 0},
};

}  // namespace QrFuzz
