#include <poll.h>
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
