#include "qrcom/port/PosixPortTable.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "qrcom/base/Utf8.h"
#include "qrcom/port/PosixSerialPort.h"
#include "tests/support/Failures.h"
#include "tests/support/TempDir.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

namespace fs = std::filesystem;

TEST(PosixPortTableTest, CandidatesInAStableOrderWithNumbersThatStayWithTheirTtys) {
  QrTest::TempDir folder;
  const std::string dev = toUtf8(folder.path(L"dev")) + "/";
  fs::create_directories(dev);
  fs::create_directories(toUtf8(folder.path(L"class/ttyS0")));
  fs::create_directories(toUtf8(folder.path(L"class/ttyS1")));
  for (const char* name : {"ttyS0", "ttyS1", "ttyS10", "ttyUSB0", "ttyACM0", "rfcomm1", "tty0",
                           "ttyUSB", "ttyS1234567", "null"}) {
    folder.write(L"dev/" + fromUtf8(name), "");
  }
  folder.write(L"class/ttyS0/type", "4\n");
  folder.write(L"class/ttyS1/type", "0\n");  // no UART there
  PosixPortTable table(dev, toUtf8(folder.path(L"class")));
  EXPECT_EQ(table.numbers(), (std::vector<int>{1, 2, 3, 4, 5}));
  std::string paths;
  for (int number = 1; number <= 6; ++number) paths += table.path(number) + " ";
  const std::string scanned =
      dev + "ttyS0 " + dev + "ttyS10 " + dev + "ttyUSB0 " + dev + "ttyACM0 " + dev + "rfcomm1  ";
  EXPECT_EQ(paths, scanned);

  fs::remove(dev + "ttyUSB0");
  folder.write(L"dev/ttyUSB1", "");
  EXPECT_EQ(table.numbers(), (std::vector<int>{1, 2, 4, 5, 6}));
  EXPECT_EQ(table.path(6), dev + "ttyUSB1");
  folder.write(L"dev/ttyUSB0", "");  // plugged back in: its old number again
  EXPECT_EQ(table.numbers(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(table.path(3), dev + "ttyUSB0");
}

// A path that opens but is no tty: opening works, setting it up fails. The half-opened port is
// closed again, so nothing keeps holding it.
TEST(PosixSerialPortTest, APortThatFailsItsSetUpIsClosedAgain) {
  QrTest::ScopedVirtualClock clock;
  QrTest::TempDir folder;
  const std::wstring path = folder.write(L"not-a-tty", "");
  EXPECT_EQ(QrTest::failure([&] { PosixSerialPort port(path, 3); }),
            "ErrorOnInitialization: PosixSerialPort::setPortParameters --  Error while reading "
            "Settings for Port \"" +
                QrTest::describe(path) + "\" ");
  const int other = open(QrTest::toFsPath(path).c_str(), O_RDWR);
  ASSERT_GE(other, 0);
  EXPECT_EQ(flock(other, LOCK_EX | LOCK_NB), 0) << "the failed port let go of its lock";
  close(other);
  EXPECT_TRUE(clock->pauses().empty());
}

}  // namespace
}  // namespace QrCom
