#include "qrcom/port/PortTrace.h"

#include <gtest/gtest.h>

#include <sstream>

#include "qrcom/base/Clock.h"
#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/port/ComPorts.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/TempDir.h"

namespace QrCom {
namespace {

using QrTest::ScriptedPort;

// The trace's lines without their time stamps, which must not go backwards.
std::vector<std::string> eventsOf(const std::string& trace) {
  std::vector<std::string> events;
  std::istringstream lines(trace);
  std::string line;
  long long last = 0;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    long long micros = -1;
    fields >> micros >> std::ws;
    EXPECT_GE(micros, last) << line;
    last = micros;
    std::string rest;
    std::getline(fields, rest);
    events.push_back(rest);
  }
  return events;
}

TEST(PortTraceTest, EveryPortEventIsOneLineAndTheTraceEndsWithStop) {
  QrTest::ScopedVirtualClock virtualClock;
  ScriptedPort* com = nullptr;
  const ComPortOpener previousCom = installComPortOpener([&](int) {
    auto port = std::make_unique<ScriptedPort>(&*virtualClock);
    com = port.get();
    return port;
  });
  const HidPortOpener previousHid =
      installHidPortOpener([&](const std::wstring& path) -> std::unique_ptr<SerialPort> {
        if (path == L"held") throw UnableToOpenPortException(L"in use");
        return std::make_unique<ScriptedPort>(&*virtualClock, ScriptedPort::Kind::Hid);
      });
  QrTest::TempDir dir;
  const std::wstring file = dir.path(L"trace.txt");

  startPortTrace(file);
  {
    auto port = openComPort(7);
    com->answerNextWrite({0xFE, 0x72});
    port->writeByte(0xFF);
    uint8_t answer[3];
    EXPECT_EQ(port->readBuffer(answer, 3, false), 2u);
    EXPECT_THROW(port->readByte(), CannotReadFromPortException);
    port->purge();
    port->setBaudRate(57600);
    clock().sleep(500);
    EXPECT_EQ(openHidPort(L"hid#pid_0054 50%")->readByte(), 0);  // silence, not a 0 byte
  }
  EXPECT_THROW(openHidPort(L"held"), UnableToOpenPortException);
  stopPortTrace();
  clock().sleep(20);  // not noted any more
  openComPort(7)->writeByte(0x00);
  installComPortOpener(previousCom);
  installHidPortOpener(previousHid);

  std::string com7 = toUtf8(comPortName(7));
  if (com7.empty()) com7 = "-";
  const std::vector<std::string> expected = {
      com7 + " open serial 19200",
      com7 + " write ff",
      com7 + " read fe 72",
      com7 + " timeout 1",
      com7 + " timeout 1",
      com7 + " purge",
      com7 + " rate 57600",
      com7 + " pause 500",
      "hid#pid_0054%2050%25 open hid 19200",
      "hid#pid_0054%2050%25 timeout 1",
      "hid#pid_0054%2050%25 close",
      com7 + " close",
      "held refused in use",
  };
  EXPECT_EQ(eventsOf(dir.read(L"trace.txt")), expected);
}

}  // namespace
}  // namespace QrCom
