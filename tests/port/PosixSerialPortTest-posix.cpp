#include "qrcom/port/PosixSerialPort.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "qrcom/base/QrException.h"
#include "tests/support/Failures.h"
#include "tests/support/TempDir.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

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
