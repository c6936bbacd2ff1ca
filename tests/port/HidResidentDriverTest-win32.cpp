#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "qrcom/port/HidPort.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedHid.h"
#include "tests/support/TestResidentDriver.h"

// A resident driver that holds a display's HID interface: the driver is a hidden window of this
// process, the held interface a scripted device that refuses to open a number of times. (Its
// messages are tested on COM ports, the web-Braille driver's among them.)
namespace QrCom {
namespace {

using QrTest::Message;
using QrTest::TestDriver;

const std::wstring kResidentPath =
    L"\\\\?\\hid#vid_4c7a&pid_0054#7&2b1f3a5&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";

class HidResidentDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bus.attach(kResidentPath, std::make_shared<QrTest::ScriptedHid>(*clock));
  }

  const UINT server = RegisterWindowMessageW(L"Quorlin_Server");
  QrTest::ScopedVirtualClock clock;
  QrTest::ScriptedHidBus bus;
};

TEST_F(HidResidentDriverTest, ADriverOnNoComPortLetsGoAndTakesTheDisplayBackAfterwards) {
  TestDriver driver(TestDriver::DisplayServer, 0);
  ASSERT_TRUE(driver.exists()) << "windows need an X server (DISPLAY)";
  bus.deny(kResidentPath, 1);
  {
    HidPort port(kResidentPath);
    EXPECT_EQ(driver.messages, (std::vector<Message>{{server, 1, 2}, {server, 100, 1}}));
    // Release, purge, settling.
    EXPECT_EQ(clock->pauses(), (std::vector<uint32_t>{1500, 50, 300}));
  }
  EXPECT_EQ(driver.messages.back(), (Message{server, 100, 0}));
  EXPECT_EQ(clock->pauses(), (std::vector<uint32_t>{1500, 50, 300, 50, 750}));
}

TEST_F(HidResidentDriverTest, ADriverServingAComPortIsNeverAskedToLetGo) {
  TestDriver driver(TestDriver::DisplayServer, 5);
  ASSERT_TRUE(driver.exists());
  bus.deny(kResidentPath, 11);
  EXPECT_EQ(QrTest::failureOf([&] { HidPort port(kResidentPath); }),
            L"HidPort::openPort --  Port \"USB-HID\" can't be opened.");
  std::vector<Message> rounds;
  for (int i = 0; i < 10; ++i) {
    rounds.push_back({server, 1, 2});
    rounds.push_back({server, 100, 0});
  }
  EXPECT_EQ(driver.messages, rounds);
  EXPECT_EQ(clock->pauses(), std::vector<uint32_t>(10, 750));
}

}  // namespace
}  // namespace QrCom
