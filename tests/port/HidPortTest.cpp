#include "qrcom/port/HidPort.h"

#include <gtest/gtest.h>

#include "qrcom/port/ComPorts.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedHid.h"

namespace QrCom {
namespace {

using QrTest::Bytes;
using QrTest::hex;
using QrTest::operator+;
using QrTest::ScriptedHid;

const std::wstring kDisplay = L"\\\\?\\hid#vid_4c7a&pid_0054&mi_00#7&1#{hid}";  // 84: no bridge
const std::wstring kBridge = L"\\\\?\\hid#vid_4c7a&pid_0074#7&2#{hid}";         // 116: a bridge

// The given bytes, then zeros up to `length`.
Bytes padded(Bytes bytes, size_t length = 64) {
  bytes.resize(std::max(length, bytes.size()), 0);
  return bytes;
}

// `count` bytes counting up from 0.
Bytes counting(size_t count) {
  Bytes bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(i);
  return bytes;
}

class HidPortTest : public ::testing::Test {
 protected:
  std::shared_ptr<ScriptedHid> attach(const std::wstring& path) {
    auto device = std::make_shared<ScriptedHid>(*clock_);
    bus_.attach(path, device);
    return device;
  }

  QrTest::ScopedVirtualClock clock_;
  QrTest::ScriptedHidBus bus_;
};

TEST_F(HidPortTest, ABridgeIsStartedAndToldTheLineSpeedOverTheControlPipe) {
  auto device = attach(kBridge);
  {
    HidPort port(kBridge);
    EXPECT_EQ(clock_->pauses(), (std::vector<uint32_t>{50, 300}));  // before the flush; settling
    port.setBaudRate(115200);
    const auto sent = device->sent();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].pipe, ScriptedHid::Report::Control);
    EXPECT_EQ(sent[0].bytes, padded(hex("FB 01")));
    EXPECT_EQ(sent[1].bytes, padded(hex("FD 00 00 4B 00")));
    EXPECT_EQ(sent[2].bytes, padded(hex("FD 00 01 C2 00")));
    EXPECT_TRUE(port.canChangeBaudRate());
  }
  device->refuseOutputReports = true;
  EXPECT_EQ(QrTest::failureOf([&] { HidPort port(kBridge); }),
            L"HidPort::setBaudRate -- Error while setting Baudrate for HID.");

  auto plain = attach(kDisplay);
  HidPort port(kDisplay);
  port.setBaudRate(9600);
  EXPECT_TRUE(plain->sent().empty());
  EXPECT_FALSE(port.canChangeBaudRate());
}

TEST_F(HidPortTest, WritesGoOutInFullLengthDataReports) {
  auto device = attach(kDisplay);
  HidPort port(kDisplay);
  const Bytes hundred = counting(100);
  port.writeBuffer(hundred.data(), 100);
  const auto sent = device->sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].pipe, ScriptedHid::Report::Interrupt);
  EXPECT_EQ(sent[0].bytes, padded(hex("02 3E") + Bytes(hundred.begin(), hundred.begin() + 62)));
  EXPECT_EQ(sent[1].bytes, padded(hex("02 26") + Bytes(hundred.begin() + 62, hundred.end())));
  device->writeOutcome = HidDevice::WriteOutcome::Failed;
  EXPECT_EQ(QrTest::failureOf([&] { port.writeByte(0x79); }), L"Error writing data to port");
}

// Only the counted payload of input reports reaches the ring. A read waits up to 2 s of silence
// in steps that are no pauses, once more with retry.
TEST_F(HidPortTest, InputReportsReadBudgetAndPurge) {
  auto device = attach(kDisplay);
  HidPort port(kDisplay);
  device->deliver(padded(hex("02 03 41 42 43")));  // not an input report
  device->deliver(hex("01 03"));                   // too short to carry anything
  device->deliver(padded(hex("01 03 41 42 43")));
  device->deliver(hex("01 09 44 45"));  // claims more than it holds
  device->deliver(hex("01 01 46"));
  uint8_t data[8] = {};
  uint64_t start = clock_->now();
  EXPECT_EQ(port.readBuffer(data, 8), 6u);
  EXPECT_EQ(Bytes(data, data + 6), hex("41 42 43 44 45 46"));
  EXPECT_GE(clock_->now() - start, 4000u);
  EXPECT_LE(clock_->now() - start, 4100u);
  EXPECT_EQ(clock_->pauses().size(), 2u);  // only those of the opening

  device->deliver(padded(hex("01 03 41 42 43")));
  EXPECT_EQ(port.readBuffer(data, 1), 1u);  // the report is in the ring
  const int flushes = device->flushes();
  port.purge();
  EXPECT_EQ(device->flushes(), flushes + 1);
  start = clock_->now();
  EXPECT_EQ(port.readByte(), 0) << "a purge empties the ring";
  EXPECT_GE(clock_->now() - start, 2000u);
  EXPECT_LE(clock_->now() - start, 2050u);
}

// Mended: the writer passing the reader left 6 bytes readable of 1030.
TEST_F(HidPortTest, MoreThanTheRingHoldsOverwritesTheOldest) {
  auto device = attach(kDisplay);
  HidPort port(kDisplay);
  const Bytes stream = counting(1030);
  for (size_t at = 0; at < stream.size(); at += 62) {
    const size_t count = std::min<size_t>(62, stream.size() - at);
    device->deliver(Bytes{1, static_cast<uint8_t>(count)} +
                    Bytes(stream.begin() + at, stream.begin() + at + count));
  }
  uint8_t data[1024] = {};  // the last report is in once a read of everything times out
  EXPECT_EQ(port.readBuffer(data, 1024, false), 1023u);
  EXPECT_EQ(Bytes(data, data + 1023), Bytes(stream.end() - 1023, stream.end()));
}

TEST_F(HidPortTest, OpeningFailuresAndAHeldDeviceTriedTenTimesMore) {
  EXPECT_EQ(QrTest::failureOf([&] { HidPort port(L"\\\\?\\hid#vid_4c7a&pid_0054&mi_01#7"); }),
            L"Invalide USB vendor and product ID");
  EXPECT_EQ(QrTest::failureOf([&] { HidPort port(kDisplay); }), L"Can not open port");
  auto device = attach(kDisplay);
  bus_.deny(kDisplay, 10);
  EXPECT_NO_THROW(HidPort port(kDisplay));
  EXPECT_EQ(bus_.opens(), 12);
  bus_.deny(kDisplay, 11);
  EXPECT_EQ(QrTest::failureOf([&] { HidPort port(kDisplay); }),
            L"HidPort::openPort --  Port \"USB-HID\" can't be opened.");
  EXPECT_EQ(bus_.opens(), 23);
  device->capabilities.reset();
  EXPECT_EQ(QrTest::failureOf([&] { HidPort port(kDisplay); }),
            L"HidPort::initializePort --  Port \"USB-HID\" can't be opened.");
}

}  // namespace
}  // namespace QrCom
