#include "qrcom/port/HidPort.h"

#include <gtest/gtest.h>

#include "qrcom/base/QrException.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedHid.h"

namespace QrCom {
namespace {

using QrTest::Bytes;
using QrTest::hex;
using QrTest::ScriptedHid;

std::wstring pathOf(const std::wstring& productAndInterface) {
  return L"\\\\?\\hid#vid_4c7a&pid_" + productAndInterface +
         L"#7&2b1f3a5&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
}

const std::wstring kDisplay = pathOf(L"0054&mi_00");  // 84: no bridge
const std::wstring kBridge = pathOf(L"0074");         // 116: a bridge

// A report of the full 64-byte length: the given bytes, then zeros.
Bytes report(const std::string& bytes) {
  Bytes full = hex(bytes);
  full.resize(64, 0);
  return full;
}

// Report id, count, payload, padded to `length`.
Bytes framed(uint8_t id, Bytes::const_iterator from, size_t count, size_t length) {
  Bytes bytes(std::max(length, count + 2), 0);
  bytes[0] = id;
  bytes[1] = static_cast<uint8_t>(count);
  std::copy(from, from + count, bytes.begin() + 2);
  return bytes;
}

Bytes counting(size_t count, uint8_t first = 0) {
  Bytes bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(first + i);
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

TEST_F(HidPortTest, BridgeProductStartsTheBridgeAndSetsTheLineSpeed) {
  auto device = attach(kBridge);
  HidPort port(kBridge);
  const auto sent = device->sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].pipe, ScriptedHid::Report::Control);
  EXPECT_EQ(sent[0].bytes, report("FB 01"));
  EXPECT_EQ(sent[1].pipe, ScriptedHid::Report::Control);
  EXPECT_EQ(sent[1].bytes, report("FD 00 00 4B 00"));
  EXPECT_TRUE(port.canChangeBaudRate());
  EXPECT_EQ(port.getPortType(), PortType::UsbHid);
  // The purge's pause before the flush, then the settling pause.
  EXPECT_EQ(clock_->pauses(), (std::vector<uint32_t>{50, 300}));

  port.setBaudRate(115200);
  EXPECT_EQ(device->sent().back().bytes, report("FD 00 01 C2 00"));
  EXPECT_EQ(port.getBaudRate(), 115200u);
}

TEST_F(HidPortTest, DisplayWithoutBridgeSendsNoSetupReports) {
  auto device = attach(pathOf(L"0033"));
  HidPort port(pathOf(L"0033"));
  EXPECT_FALSE(port.canChangeBaudRate());
  port.setBaudRate(9600);
  EXPECT_TRUE(device->sent().empty());
  EXPECT_EQ(port.getBaudRate(), 9600u);
}

TEST_F(HidPortTest, RefusedLineSpeedFailsTheOpening) {
  auto device = attach(kBridge);
  device->refuseOutputReports = true;
  EXPECT_EQ(QrTest::failureOf([&] { HidPort port(kBridge); }),
            L"HidPort::setBaudRate -- Error while setting Baudrate for HID.");
}

TEST_F(HidPortTest, WritesGoOutInFullLengthDataReports) {
  auto device = attach(kDisplay);
  HidPort port(kDisplay);
  const Bytes ten = counting(10, 0x30);
  port.writeBuffer(ten.data(), 10);
  ASSERT_EQ(device->sent().size(), 1u);
  EXPECT_EQ(device->sent()[0].pipe, ScriptedHid::Report::Interrupt);
  EXPECT_EQ(device->sent()[0].bytes, report("02 0A 30 31 32 33 34 35 36 37 38 39"));

  const Bytes hundred = counting(100);
  port.writeBuffer(hundred.data(), 100);
  const auto sent = device->sent();
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[1].bytes, framed(0x02, hundred.begin(), 62, 64));
  EXPECT_EQ(sent[2].bytes, framed(0x02, hundred.begin() + 62, 38, 64));
}

TEST_F(HidPortTest, WriteFailuresHaveTheirTexts) {
  auto device = attach(kDisplay);
  HidPort port(kDisplay);
  const uint8_t byte = 0x79;
  const std::pair<HidDevice::WriteOutcome, std::wstring> cases[] = {
      {HidDevice::WriteOutcome::NoEvent, L"Overlapped write event couln't be created."},
      {HidDevice::WriteOutcome::CompletionUnknown, L"GetOverlappedResult failed"},
      {HidDevice::WriteOutcome::Failed, L"Error writing data to port"},
  };
  for (const auto& [outcome, text] : cases) {
    device->writeOutcome = outcome;
    EXPECT_EQ(QrTest::failureOf([&] { port.writeByte(byte); }), text);
  }
}

TEST_F(HidPortTest, InputReportsFillTheRing) {
  auto device = attach(kDisplay);
  HidPort port(kDisplay);
  device->deliver(report("02 03 41 42 43"));  // not an input report
  device->deliver(hex("01 03"));              // too short to carry anything
  device->deliver(report("01 03 41 42 43"));
  device->deliver(hex("01 09 44 45"));  // claims more than it holds
  uint8_t data[8] = {};
  EXPECT_EQ(port.readBuffer(data, 5, false), 5u);
  EXPECT_EQ(Bytes(data, data + 5), hex("41 42 43 44 45"));
}

TEST_F(HidPortTest, SilenceIsNoErrorButCostsTheReadBudget) {
  attach(kDisplay);
  HidPort port(kDisplay);
  const uint64_t start = clock_->now();
  EXPECT_EQ(port.readByte(), 0);
  const uint64_t waited = clock_->now() - start;
  EXPECT_GE(waited, 2000u);
  EXPECT_LE(waited, 2050u);
  EXPECT_EQ(clock_->pauses().size(), 2u);  // only those of the opening: waits are no pauses
}

TEST_F(HidPortTest, ShortReadWithRetryWaitsTwice) {
  auto device = attach(kDisplay);
  HidPort port(kDisplay);
  device->deliver(report("01 03 41 42 43"));
  uint8_t data[5] = {};
  const uint64_t start = clock_->now();
  EXPECT_EQ(port.readBuffer(data, 5), 3u);
  const uint64_t waited = clock_->now() - start;
  EXPECT_GE(waited, 4000u);
  EXPECT_LE(waited, 4100u);
}

TEST_F(HidPortTest, PurgeDiscardsWhatArrived) {
  auto device = attach(kDisplay);
  HidPort port(kDisplay);
  device->deliver(report("01 03 41 42 43"));
  uint8_t first = 0;
  EXPECT_EQ(port.readBuffer(&first, 1), 1u);  // the report is in the ring
  const int flushes = device->flushes();
  port.purge();
  EXPECT_EQ(device->flushes(), flushes + 1);
  EXPECT_EQ(port.readByte(), 0);
}

TEST_F(HidPortTest, MoreThanTheRingHoldsOverwritesTheOldest) {
  auto device = attach(kDisplay);
  HidPort port(kDisplay);
  const Bytes stream = counting(1030);
  for (size_t at = 0; at < stream.size(); at += 62) {
    const size_t count = std::min<size_t>(62, stream.size() - at);
    device->deliver(framed(0x01, stream.begin() + at, count, 0));
  }
  // The last report is in once a read of everything times out. The ring keeps the newest 1023
  // bytes in order (before, the writer passing the reader left 6 bytes readable of 1030).
  uint8_t data[1024] = {};
  EXPECT_EQ(port.readBuffer(data, 1024, false), 1023u);
  EXPECT_EQ(Bytes(data, data + 1023), Bytes(stream.end() - 1023, stream.end()));
}

TEST_F(HidPortTest, OpeningFailuresHaveTheirTexts) {
  EXPECT_EQ(QrTest::failureOf([&] { HidPort port(pathOf(L"0054&mi_01")); }),
            L"Invalide USB vendor and product ID");
  EXPECT_EQ(QrTest::failureOf([&] { HidPort port(kDisplay); }), L"Can not open port");

  auto device = attach(kDisplay);
  device->capabilities.reset();
  EXPECT_EQ(QrTest::failureOf([&] { HidPort port(kDisplay); }),
            L"HidPort::initializePort --  Port \"USB-HID\" can't be opened.");
}

TEST_F(HidPortTest, HeldDeviceIsTriedTenTimesMore) {
  attach(kDisplay);
  bus_.deny(kDisplay, 10);
  EXPECT_NO_THROW(HidPort port(kDisplay));
  EXPECT_EQ(bus_.opens(), 11);

  bus_.deny(kDisplay, 11);
  EXPECT_EQ(QrTest::failureOf([&] { HidPort port(kDisplay); }),
            L"HidPort::openPort --  Port \"USB-HID\" can't be opened.");
  EXPECT_EQ(bus_.opens(), 22);
}

TEST_F(HidPortTest, DevicePathIsCopiedUpToTheLimit) {
  attach(kDisplay);
  HidPort port(kDisplay);
  wchar_t buffer[300] = {};
  EXPECT_EQ(port.getDevicePath(buffer, 300), kDisplay.size());
  EXPECT_EQ(std::wstring(buffer), kDisplay);
  wchar_t shortBuffer[10] = {};
  EXPECT_EQ(port.getDevicePath(shortBuffer, 10), 10u);
  EXPECT_EQ(std::wstring(shortBuffer, 10), kDisplay.substr(0, 10));
}

}  // namespace
}  // namespace QrCom
