#include <gtest/gtest.h>

#include <set>

#include "qrcom/firmware/ComputerBraille.h"

namespace QrCom {
namespace {

TEST(ComputerBrailleTest, KnownCells) {
  EXPECT_EQ(computerBrailleCell(0x00), 0x00);
  EXPECT_EQ(computerBrailleCell('A'), 0x41);  // dots 1 7
  EXPECT_EQ(computerBrailleCell('B'), 0x43);  // dots 1 2 7
  EXPECT_EQ(computerBrailleCell('C'), 0x49);  // dots 1 4 7
  EXPECT_EQ(computerBrailleCell('a'), 0x01);
  EXPECT_EQ(computerBrailleCell(' '), 0x00);
  EXPECT_EQ(computerBrailleCell('.'), 0x28);   // dots 4 6
  EXPECT_EQ(computerBrailleCell('1'), 0x02);   // dot 2
  EXPECT_EQ(computerBrailleCell(0x01), 0xC1);  // ^A: dots 1 7 8
}

TEST(ComputerBrailleTest, EveryCharacterButNulHasACellOfItsOwn) {
  std::set<uint8_t> cells;
  for (int code = 1; code < 256; ++code)
    cells.insert(computerBrailleCell(static_cast<uint8_t>(code)));
  EXPECT_EQ(cells.size(), 255u);
  // Small letters are the capitals without dot 7.
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    EXPECT_EQ(computerBrailleCell(static_cast<uint8_t>(letter)) | 0x40,
              computerBrailleCell(static_cast<uint8_t>(letter - 0x20)));
  }
}

}  // namespace
}  // namespace QrCom
