#include "qrcom/firmware/ComputerBraille.h"

#include <array>

namespace QrCom {

namespace {

constexpr uint8_t kDot7 = 0x40;
constexpr uint8_t kDot8 = 0x80;

// The 6-dot cells of the characters 0x20 to 0x5F (blank, punctuation, digits, @, A-Z, [\]^_):
// each of the 64 cells once.
constexpr uint8_t kSixDot[64] = {
    0x00, 0x2E, 0x10, 0x3C, 0x2B, 0x29, 0x2F, 0x04,  //  !"#$%&'
    0x37, 0x3E, 0x21, 0x2C, 0x20, 0x24, 0x28, 0x0C,  // ()*+,-./
    0x34, 0x02, 0x06, 0x12, 0x32, 0x22, 0x16, 0x36,  // 01234567
    0x26, 0x14, 0x31, 0x30, 0x23, 0x3F, 0x1C, 0x39,  // 89:;<=>?
    0x08, 0x01, 0x03, 0x09, 0x19, 0x11, 0x0B, 0x1B,  // @ABCDEFG
    0x13, 0x0A, 0x1A, 0x05, 0x07, 0x0D, 0x1D, 0x15,  // HIJKLMNO
    0x0F, 0x1F, 0x17, 0x0E, 0x1E, 0x25, 0x27, 0x3A,  // PQRSTUVW
    0x2D, 0x3D, 0x35, 0x2A, 0x33, 0x3B, 0x18, 0x38,  // XYZ[\]^_
};

constexpr uint8_t sixDot(unsigned code) {
  return kSixDot[code - 0x20];
}

constexpr std::array<uint8_t, 256> buildTable() {
  std::array<uint8_t, 256> table{};
  for (unsigned code = 0; code < 256; ++code) {
    uint8_t cell = 0;
    if (code == 0x00) {
      cell = 0x00;
    } else if (code < 0x20) {  // control characters: their letter with dots 7 and 8
      cell = sixDot(code + 0x40) | kDot7 | kDot8;
    } else if (code < 0x40) {
      cell = sixDot(code);
    } else if (code < 0x60) {  // capitals and @[\]^_: dot 7
      cell = sixDot(code) | kDot7;
    } else if (code < 0x80) {  // small letters and `{|}~ DEL: the capital's cell without dot 7
      cell = sixDot(code - 0x20);
    } else if (code < 0xA0) {  // the upper half takes the four dot 7/8 groups still free
      cell = sixDot(code - 0x60) | kDot7 | kDot8;
    } else if (code < 0xE0) {
      cell = sixDot(code - 0x80) | kDot8;
    } else {
      cell = sixDot(code - 0xC0) | kDot7;
    }
    table[code] = cell;
  }
  return table;
}

constexpr std::array<uint8_t, 256> kTable = buildTable();

static_assert(kTable[0x41] == 0x41 && kTable[0x42] == 0x43 && kTable[0x43] == 0x49);

}  // namespace

uint8_t computerBrailleCell(uint8_t code) {
  return kTable[code];
}

}  // namespace QrCom
