#include <gtest/gtest.h>

#include "qrcom/device/ModelTable.h"

namespace QrCom {
namespace {

using namespace ModelTable;

TEST(ModelTableTest, NamesAndCellsOfKnownModels) {
  EXPECT_STREQ(modelName(84), L"Vantra");
  EXPECT_EQ(cellCount(84), 40);
  EXPECT_STREQ(modelName(50), L"Pathwick Navigator");
  EXPECT_EQ(cellCount(139), 160);
  EXPECT_STREQ(modelName(148), L"Fundo Plus 40");
  // Three ids share one name with different cells.
  EXPECT_EQ(cellCount(1), 0);
  EXPECT_EQ(cellCount(128), 20);
  EXPECT_EQ(cellCount(137), 40);
}

TEST(ModelTableTest, Fundo20HasTwentyFourCells) {
  EXPECT_STREQ(modelName(130), L"Fundo 20");
  EXPECT_EQ(cellCount(130), 24);
}

TEST(ModelTableTest, PocketReaderHasCellsButNoFixedName) {
  EXPECT_STREQ(modelName(kPageling), L"");
  EXPECT_EQ(cellCount(kPageling), 8);
}

TEST(ModelTableTest, UnknownIdsHaveNoNameAndNoCells) {
  for (int id : {0, 3, 52, 133, 255}) {
    EXPECT_STREQ(modelName(static_cast<uint8_t>(id)), L"") << id;
    EXPECT_EQ(cellCount(static_cast<uint8_t>(id)), 0) << id;
  }
}

TEST(ModelTableTest, ProductLinesAreDisjointAndComplete) {
  int legacy = 0, current = 0, fundo = 0;
  for (int id = 0; id < 256; ++id) {
    const auto model = static_cast<uint8_t>(id);
    const int lines = isLegacyLine(model) + isQrBrlOsLine(model) + isFundoLine(model);
    EXPECT_LE(lines, 1) << id;
    legacy += isLegacyLine(model);
    current += isQrBrlOsLine(model);
    fundo += isFundoLine(model);
  }
  EXPECT_EQ(legacy, 4);
  EXPECT_EQ(current, 4);
  EXPECT_EQ(fundo, 11);
  EXPECT_TRUE(isFundoLine(147));
  EXPECT_FALSE(isFundoLine(133));
  EXPECT_FALSE(isFundoLine(136));  // a Ravelo, despite its id among the Fundos
  EXPECT_TRUE(isLegacyLine(114));
  EXPECT_FALSE(isLegacyLine(68));
}

}  // namespace
}  // namespace QrCom
