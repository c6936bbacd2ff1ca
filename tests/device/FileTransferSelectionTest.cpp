#include "qrcom/device/FileTransferSelection.h"

#include <gtest/gtest.h>

#include <typeinfo>

#include "qrcom/protocol/PagelingFileTransferStrategy.h"
#include "qrcom/protocol/QrBrlOsVersion102FileTransferStrategy.h"
#include "tests/support/Conversation.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/TempDir.h"

namespace QrCom {
namespace {

// Exactly this class, not one derived from it.
template <typename Expected>
::testing::AssertionResult selects(uint8_t modelId, uint16_t version) {
  const std::unique_ptr<FileTransferStrategy> strategy = selectFileTransfer(modelId, version);
  if (typeid(*strategy) == typeid(Expected)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "model " << int{modelId} << " version 0x" << std::hex
                                       << version << " got " << typeid(*strategy).name();
}

TEST(FileTransferSelectionTest, LegacyLineByVersion) {
  for (uint8_t model : {5, 114, 116, 120}) {
    EXPECT_TRUE(selects<BrailleSystemVersion2005FileTransferStrategy>(model, 1));
    EXPECT_TRUE(selects<BrailleSystemVersion20010FileTransferStrategy>(model, 2));
    EXPECT_TRUE(selects<BrailleSystemVersion2000FileTransferStrategy>(model, 0));
    EXPECT_TRUE(selects<BrailleSystemVersion2000FileTransferStrategy>(model, 3));
    EXPECT_TRUE(selects<BrailleSystemVersion2000FileTransferStrategy>(model, 0x0102));
  }
}

TEST(FileTransferSelectionTest, CurrentLineByVersion) {
  for (uint8_t model : {84, 85}) {
    EXPECT_TRUE(selects<QrBrlOsVersion102FileTransferStrategy>(model, 0x0102));
    EXPECT_TRUE(selects<QrBrlOsFileTransferStrategy>(model, 0x0101));
    EXPECT_TRUE(selects<QrBrlOsFileTransferStrategy>(model, 0x0103));
    EXPECT_TRUE(selects<BrailleSystemVersion20010FileTransferStrategy>(model, 0x0100));
    EXPECT_TRUE(selects<BrailleSystemVersion20010FileTransferStrategy>(model, 1));
    EXPECT_TRUE(selects<NoFileTransferStrategy>(model, 0));
  }
  for (uint8_t model : {97, 100}) {
    EXPECT_TRUE(selects<QrBrlOsVersion102FileTransferStrategy>(model, 1));
    EXPECT_TRUE(selects<QrBrlOsVersion102FileTransferStrategy>(model, 0x0103));
    EXPECT_TRUE(selects<NoFileTransferStrategy>(model, 0));
  }
}

TEST(FileTransferSelectionTest, ThePocketReaderHasItsOwnWhateverTheVersion) {
  EXPECT_TRUE(selects<PagelingFileTransferStrategy>(144, 0));
  EXPECT_TRUE(selects<PagelingFileTransferStrategy>(144, 0x0102));
}

TEST(FileTransferSelectionTest, EveryOtherDisplayHasNone) {
  for (uint8_t model : {1, 4, 50, 51, 54, 56, 58, 68, 129, 133, 148}) {
    EXPECT_TRUE(selects<NoFileTransferStrategy>(model, 0x0102));
    EXPECT_TRUE(selects<NoFileTransferStrategy>(model, 2));
  }
}

TEST(FileTransferSelectionTest, RateSwitchCarriesTheDisplaysModelId) {
  QrTest::ScriptedPort hid(nullptr, QrTest::ScriptedPort::Kind::Hid);
  hid.setCanChangeBaudRate(true);
  QrTest::Conversation display(hid);
  display
      .step("79 55 02 0D 11 16", "79 55 02 07 00 16")  // refused: the rate stays
      .step("21", "06 21")
      .step("02 00 41 21 16", "06 16 04")
      .step("79 55 02 0D 19 16", "79 55 02 07 00 16");
  QrTest::ScopedVirtualClock clock;
  QrTest::TempDir dir;
  selectFileTransfer(85, 0x0100)->sendFile(hid, nullptr, L"A", dir.path(L"a"), 0, nullptr);
  EXPECT_TRUE(display.finished());
}

}  // namespace
}  // namespace QrCom
