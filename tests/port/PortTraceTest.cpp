#include "qrcom/port/PortTrace.h"

#include <gtest/gtest.h>

#include <sstream>
#include <utility>

#include "qrcom/base/Clock.h"
#include "qrcom/base/QrException.h"
#include "tests/support/ScopedHidLink.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/TempDir.h"

namespace QrCom {
namespace {

using QrTest::ScriptedPort;

// Every port comes through openHidPort here: the trace names it and asks it for its kind.
TEST(PortTraceTest, EveryPortEventIsOneLineUntilTheTraceStops) {
  QrTest::ScopedVirtualClock virtualClock;
  ScriptedPort* opened = nullptr;  // the port opened last
  QrTest::ScopedHidLink link{
      nullptr, [&](const std::wstring& path) -> std::unique_ptr<SerialPort> {
        if (path == L"held") throw UnableToOpenPortException(L"in use");
        auto port = std::make_unique<ScriptedPort>(
            &*virtualClock, path == L"COM7" ? ScriptedPort::Kind::Com : ScriptedPort::Kind::Hid);
        opened = port.get();
        return port;
      }};
  QrTest::TempDir dir;
  startPortTrace(dir.path(L"trace.txt"));
  {
    auto port = openHidPort(L"COM7");
    opened->answerNextWrite({0xFE, 0x72, 0x54});
    port->writeByte(0xFF);
    uint8_t answer[3];
    EXPECT_EQ(port->readBuffer(answer, 2, false), 2u);
    EXPECT_EQ(port->readBuffer(answer, 3), 1u);
    opened->deliver({0x4F});
    EXPECT_EQ(port->readByte(), 0x4F);
    opened->deliver({0x99});
    port->purge();  // the 0x99 is gone
    EXPECT_THROW(port->readByte(), CannotReadFromPortException);
    port->setBaudRate(57600);
    EXPECT_EQ(port->getBaudRate(), 57600u);
    opened->setResponder([](const QrTest::Bytes&, ScriptedPort&) {
      throw CannotWriteToPortException(L"unplugged");
    });
    EXPECT_THROW(port->writeByte(0x01), CannotWriteToPortException);
    clock().sleep(500);
    auto hid = openHidPort(L"hid#pid_0054 50%");
    opened->deliver({0x00, 0x01});
    EXPECT_EQ(hid->readByte() + hid->readByte() + hid->readByte(), 1);  // the last: silence
  }
  EXPECT_THROW(openHidPort(L"held"), UnableToOpenPortException);
  auto late = openHidPort(L"late");
  stopPortTrace();
  clock().sleep(20);
  late->writeByte(0x00);  // neither this nor its closing is noted any more
  openHidPort(L"COM7")->writeByte(0x00);

  // Without their time stamps, one after the other.
  const std::string expected =
      "COM7 open serial 19200|COM7 write ff|COM7 read fe 72|COM7 read 54|COM7 timeout 2|"
      "COM7 read 4f|COM7 purge|COM7 timeout 1|COM7 rate 57600|COM7 write 01|"
      "COM7 failed unplugged|COM7 pause 500|"
      "hid#pid_0054%2050%25 open hid 19200|hid#pid_0054%2050%25 read 00|"
      "hid#pid_0054%2050%25 read 01|hid#pid_0054%2050%25 timeout 1|hid#pid_0054%2050%25 close|"
      "COM7 close|held refused in use|late open hid 19200|";
  std::istringstream lines(dir.read(L"trace.txt"));
  std::string events;
  long long last = 0, micros = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line[0] == '#') continue;
    std::istringstream fields(line);
    fields >> micros >> std::ws;
    EXPECT_GE(micros, std::exchange(last, micros)) << line;  // a monotonic clock
    std::string event;
    std::getline(fields, event);
    events += event + "|";
  }
  EXPECT_EQ(events, expected);
}

}  // namespace
}  // namespace QrCom
