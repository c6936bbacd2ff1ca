#include <gtest/gtest.h>

#include <vector>

#include "qrcom/base/QrException.h"
#include "qrcom/port/WinSerialPort.h"
#include "tests/support/TestResidentDriver.h"
#include "tests/support/WineEmulator.h"

// The hand-shake with a resident display driver that holds the display's port: the driver is
// a hidden window of this process, the held port the emulator's display with the busy fault.
namespace QrCom {
namespace {

using QrTest::Message;
using QrTest::TestDriver;

class ResidentDriverTest : public QrTest::WineEmulatorTest {
 protected:
  void SetUp() override {
    WineEmulatorTest::SetUp();
    if (IsSkipped()) return;
    server = RegisterWindowMessageW(L"Quorlin_Server");
    command("busy");
    ASSERT_TRUE(becomes(ERROR_ACCESS_DENIED));
  }

  std::wstring refusal() const {
    try {
      WinSerialPort port(number);
    } catch (const UnableToOpenPortException& error) {
      return error.getMessage();
    }
    return L"(opened)";
  }
  std::wstring refused() const {
    return L"WinSerialPort::openPort --  Port \"" + name + L"\" can't be opened.";
  }
  static std::vector<Message> rounds(const std::vector<Message>& round) {
    std::vector<Message> all;
    for (int i = 0; i < 10; ++i) all.insert(all.end(), round.begin(), round.end());
    return all;
  }
  static std::vector<uint32_t> pauses(const std::vector<uint32_t>& round) {
    std::vector<uint32_t> all;
    for (int i = 0; i < 10; ++i) all.insert(all.end(), round.begin(), round.end());
    return all;
  }

  UINT server = 0;
};

TEST_F(ResidentDriverTest, TheDisplayServerOnThisPortIsAskedToLetGoInEachOfTenRounds) {
  TestDriver driver(TestDriver::DisplayServer, number);
  ASSERT_TRUE(driver.exists()) << "windows need an X server (DISPLAY)";
  EXPECT_EQ(refusal(), refused());
  EXPECT_EQ(driver.messages, rounds({{server, 1, 2}, {server, 100, 1}, {server, 100, 0}}));
  EXPECT_EQ(clock->pauses(), pauses({750, 750}));
}

TEST_F(ResidentDriverTest, TheDisplayServerOnNoPortIsAskedToo) {
  TestDriver driver(TestDriver::DisplayServer, 0);
  ASSERT_TRUE(driver.exists());
  EXPECT_EQ(refusal(), refused());
  EXPECT_EQ(driver.messages, rounds({{server, 1, 2}, {server, 100, 1}, {server, 100, 0}}));
}

TEST_F(ResidentDriverTest, TheDisplayServerOnAnotherPortIsLeftAlone) {
  TestDriver driver(TestDriver::DisplayServer, number + 1);
  ASSERT_TRUE(driver.exists());
  EXPECT_EQ(refusal(), refused());
  EXPECT_EQ(driver.messages, rounds({{server, 1, 2}, {server, 100, 0}}));
  EXPECT_EQ(clock->pauses(), pauses({750}));
}

TEST_F(ResidentDriverTest, TheWebBrailleDriverHasMessagesOfItsOwn) {
  TestDriver driver(TestDriver::WebBraille, number);
  ASSERT_TRUE(driver.exists());
  EXPECT_EQ(refusal(), refused());
  EXPECT_EQ(driver.messages, rounds({{0x472, 0, 0}, {0x471, 0, 0}, {0x472, 0, 0}}));
  EXPECT_EQ(clock->pauses(), pauses({750, 750}));
}

TEST_F(ResidentDriverTest, AReleasedPortOpensAndIsGivenBackWhenClosed) {
  TestDriver driver(TestDriver::DisplayServer, number, [this] {
    command("");
    EXPECT_TRUE(becomes(ERROR_SUCCESS));
  });
  ASSERT_TRUE(driver.exists());
  {
    auto port = opened<WinSerialPort>();
    EXPECT_EQ(driver.messages, (std::vector<Message>{{server, 1, 2}, {server, 100, 1}}));
    EXPECT_EQ(clock->pauses(), (std::vector<uint32_t>{750, 50, 500}));
  }
  EXPECT_EQ(driver.messages.back(), (Message{server, 100, 0}));
  EXPECT_EQ(clock->pauses(), (std::vector<uint32_t>{750, 50, 500, 500, 750}));
}

}  // namespace
}  // namespace QrCom
