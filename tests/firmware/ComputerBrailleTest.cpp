#include <gtest/gtest.h>

#include <set>

#include "qrcom/firmware/ComputerBraille.h"

namespace QrCom {
namespace {

TEST(ComputerBrailleTest, EveryCharacterButNulHasACellOfItsOwn) {
  std::set<uint8_t> cells;
  for (int code = 1; code < 256; ++code) cells.insert(computerBrailleCell(uint8_t(code)));
  EXPECT_EQ(cells.size(), 255u);
  EXPECT_EQ(computerBrailleCell(0x00), 0x00);
  EXPECT_EQ(computerBrailleCell(0x01), 0xC1);  // ^A: dots 1 7 8
  EXPECT_EQ(computerBrailleCell('1'), 0x02);   // dot 2
  // Small letters are the capitals without dot 7.
  for (uint8_t letter = 'a'; letter <= 'z'; ++letter) {
    EXPECT_EQ(computerBrailleCell(letter) | 0x40, computerBrailleCell(letter - 0x20));
  }
}

}  // namespace
}  // namespace QrCom
