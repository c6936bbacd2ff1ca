#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "emulator/Catalog.h"
#include "emulator/pty/PtyServer.h"
#include "tests/support/Elapsed.h"
#include "tests/support/RawTty.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/TempDir.h"

namespace QrEmu {
namespace {

using QrTest::hex;
using QrTest::millisecondsSince;
using QrTest::RawTty;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

// Polls `condition` every 10 ms for up to a second.
template <typename Condition>
bool eventually(Condition condition) {
  for (int i = 0; i < 100; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(milliseconds(10));
  }
  return condition();
}

TEST(PtyTransportTest, ServesTheDisplayAndLinksItsTty) {
  QrTest::TempDir folder;
  const std::filesystem::path link = QrTest::toFsPath(folder.path(L"com5"));
  auto display = makeDisplay(0x22, 0x0102);
  {
    PtyServer server;
    const PtyLink& served = server.add(*display, {link.string()});
    server.start();
    EXPECT_EQ(std::filesystem::read_symlink(link), served.path());

    RawTty host(link.string());
    host.write(hex("FF 0C"));
    EXPECT_EQ(host.read(7, 2000), hex("FE 22 06 0C 01 02 16"));
  }
  EXPECT_FALSE(std::filesystem::is_symlink(link)) << "removed when the server ends";
}

TEST(PtyTransportTest, DelayedAnswersAndFaultsSetWhileServing) {
  auto display = makeDisplay(0x22, 0x0102);
  PtyServer server;
  const PtyLink& served = server.add(*display);
  server.start();
  RawTty host(served.path());

  display->setAnswerDelay(300);
  const auto start = steady_clock::now();
  host.write(hex("FF"));
  EXPECT_EQ(host.read(2, 2000), hex("FE 22"));
  EXPECT_GE(millisecondsSince(start), 290);

  display->setAnswerDelay(0);
  display->setSilent(true);
  host.write(hex("FF"));
  EXPECT_TRUE(host.read(2, 300).empty());
}

// Whether another program could open the tty and take its lock right now (it lets go at once).
bool lockable(const std::string& path) {
  const int descriptor = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (descriptor < 0) return false;
  const bool locked = flock(descriptor, LOCK_EX | LOCK_NB) == 0;
  close(descriptor);
  return locked;
}

TEST(PtyTransportTest, BusyLocksTheTtyAndRefusesItsLink) {
  QrTest::TempDir folder;
  const std::string link = QrTest::toFsPath(folder.path(L"com7")).string();
  auto display = makeDisplay(0x22, 0x0102);
  PtyServer server;
  const std::string path = server.add(*display, {link}).path();
  server.start();

  display->setBusy(true);
  EXPECT_TRUE(eventually([&path] { return !lockable(path); }));
  EXPECT_TRUE(eventually([&link] {
    const int descriptor = open(link.c_str(), O_RDWR | O_NOCTTY);
    if (descriptor >= 0) close(descriptor);
    return descriptor < 0 && errno == EACCES;
  }));
  display->setBusy(false);
  EXPECT_TRUE(eventually([&path] { return lockable(path); }));
  EXPECT_TRUE(eventually([&link] { return lockable(link); }));
}

TEST(PtyTransportTest, UnplugHangsUpOnAWaitingHost) {
  QrTest::TempDir folder;
  const std::filesystem::path link = QrTest::toFsPath(folder.path(L"com6"));
  auto display = makeDisplay(0x22, 0x0102);
  PtyServer server;
  const PtyLink& served = server.add(*display, {link.string()});
  server.start();
  RawTty host(served.path());

  std::thread puller([&display] {
    std::this_thread::sleep_for(milliseconds(100));
    display->unplug();
  });
  const auto start = steady_clock::now();
  pollfd polled{host.descriptor(), POLLIN, 0};
  EXPECT_EQ(poll(&polled, 1, 5000), 1);
  EXPECT_TRUE(polled.revents & POLLHUP);
  EXPECT_LT(millisecondsSince(start), 2000);
  puller.join();
  uint8_t byte;
  EXPECT_LT(read(host.descriptor(), &byte, 1), 1);
  EXPECT_FALSE(std::filesystem::is_symlink(link)) << "a pulled adapter's port disappears";

  display->plugIn();
  ASSERT_TRUE(eventually([&link] { return std::filesystem::is_symlink(link); }));
  RawTty again(link.string());
  again.write(hex("FF"));
  EXPECT_EQ(again.read(2, 2000), hex("FE 22"));
}

TEST(PtyTransportTest, TheDisplayLearnsTheHostsLineRate) {
  auto display = makeDisplay(0x22, 0x0102);
  PtyServer server;
  const PtyLink& served = server.add(*display);
  server.start();
  RawTty host(served.path());
  host.setBaud(115200);
  EXPECT_TRUE(eventually([&display] { return display->hostLineRate() == 115200; }));
  host.setBaud(1200);
  EXPECT_TRUE(eventually([&display] { return display->hostLineRate() == 1200; }));
}

TEST(PtyTransportTest, LineRateTakesElevenBitsPerByte) {
  auto display = makeDisplay(0x22, 0x0102);
  PtyServer server;
  const PtyLink& served = server.add(*display, {"", true});
  server.start();
  RawTty host(served.path());
  host.setBaud(1200);  // 9.17 ms a byte

  const auto start = steady_clock::now();
  host.write(hex("0C"));  // one byte there, five back
  EXPECT_EQ(host.read(5, 2000), hex("06 0C 01 02 16"));
  EXPECT_GE(millisecondsSince(start), 6 * 11 * 1000 / 1200);
}

}  // namespace
}  // namespace QrEmu
