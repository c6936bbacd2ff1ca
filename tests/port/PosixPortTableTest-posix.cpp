#include "qrcom/port/PosixPortTable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "tests/support/TempDir.h"

namespace QrCom {
namespace {

class PosixPortTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(devices);
    std::filesystem::create_directories(QrTest::toFsPath(folder.path(L"class/ttyS0")));
    std::filesystem::create_directories(QrTest::toFsPath(folder.path(L"class/ttyS1")));
    for (const char* name :
         {"ttyS0", "ttyS1", "ttyS10", "ttyUSB0", "ttyACM0", "rfcomm1", "tty0", "ttyUSB", "null"}) {
      folder.write(L"dev/" + std::wstring(name, name + strlen(name)), "");
    }
    folder.write(L"class/ttyS0/type", "4\n");
    folder.write(L"class/ttyS1/type", "0\n");  // no UART there
  }
  std::string dev(const char* name) const { return devices + "/" + name; }

  QrTest::TempDir folder;
  const std::string devices = QrTest::toFsPath(folder.path(L"dev")).string();
  PosixPortTable table{devices, QrTest::toFsPath(folder.path(L"class")).string()};
};

TEST_F(PosixPortTableTest, ScansCandidatesInAStableOrder) {
  EXPECT_EQ(table.numbers(), (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(table.path(1), dev("ttyS0"));
  EXPECT_EQ(table.path(2), dev("ttyS10"));
  EXPECT_EQ(table.path(3), dev("ttyUSB0"));
  EXPECT_EQ(table.path(4), dev("ttyACM0"));
  EXPECT_EQ(table.path(5), dev("rfcomm1"));
  EXPECT_EQ(table.path(6), "");
}

TEST_F(PosixPortTableTest, NumbersStayWithTheirTtys) {
  table.numbers();
  std::filesystem::remove(dev("ttyUSB0"));
  folder.write(L"dev/ttyUSB1", "");
  EXPECT_EQ(table.numbers(), (std::vector<int>{1, 2, 4, 5, 6}));
  EXPECT_EQ(table.path(6), dev("ttyUSB1"));
  folder.write(L"dev/ttyUSB0", "");  // plugged back in: its old number again
  EXPECT_EQ(table.numbers(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(table.path(3), dev("ttyUSB0"));
}

TEST_F(PosixPortTableTest, AnExplicitListReplacesTheScan) {
  table.setPaths({"/tmp/display", "/dev/ttyS4"});
  EXPECT_EQ(table.numbers(), (std::vector<int>{1, 2}));
  EXPECT_EQ(table.path(1), "/tmp/display");
  EXPECT_EQ(table.path(2), "/dev/ttyS4");
  table.setPaths({});
  EXPECT_EQ(table.numbers().size(), 5u);
}

}  // namespace
}  // namespace QrCom
