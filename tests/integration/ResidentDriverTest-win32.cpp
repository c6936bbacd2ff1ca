#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qrcom/port/WinSerialPort.h"
#include "tests/support/Failures.h"
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

  UINT server = 0;
};

// The port stays held: each driver that may hold it is asked to let go, and given it back, in
// each of ten rounds.
TEST_F(ResidentDriverTest, DriversAreAskedToLetGoInEachOfTenRounds) {
  struct Case {
    TestDriver::Kind kind;
    int port;  // the one the driver says it serves
    std::vector<Message> round;
    std::vector<uint32_t> pauses;
  };
  const std::vector<Message> askedToLetGo = {{server, 1, 2}, {server, 100, 1}, {server, 100, 0}};
  const Case cases[] = {
      {TestDriver::DisplayServer, number, askedToLetGo, {750, 750}},
      {TestDriver::DisplayServer, 0, askedToLetGo, {750, 750}},  // on no port: asked too
      {TestDriver::DisplayServer, number + 1, {{server, 1, 2}, {server, 100, 0}}, {750}},
      {TestDriver::WebBraille, number, {{0x472, 0, 0}, {0x471, 0, 0}, {0x472, 0, 0}}, {750, 750}},
  };
  auto tenTimes = [](auto round) {
    decltype(round) all;
    for (int i = 0; i < 10; ++i) all.insert(all.end(), round.begin(), round.end());
    return all;
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(std::to_string(test.kind) + " on port " + std::to_string(test.port));
    TestDriver driver(test.kind, test.port);
    ASSERT_TRUE(driver.exists()) << "windows need an X server (DISPLAY)";
    QrTest::ScopedVirtualClock caseClock;
    EXPECT_EQ(QrTest::failureOf([this] { WinSerialPort port(number); }),
              L"WinSerialPort::openPort --  Port \"" + name + L"\" can't be opened.");
    EXPECT_EQ(driver.messages, tenTimes(test.round));
    EXPECT_EQ(caseClock->pauses(), tenTimes(test.pauses));
  }
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
