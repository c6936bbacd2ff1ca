#include "qrcom/port/HidrawBus.h"

#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "qrcom/base/Utf8.h"
#include "qrcom/port/HidPort.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/TempDir.h"

namespace QrCom {
namespace {

namespace fs = std::filesystem;
using QrTest::Bytes;
using QrTest::hex;

const char kDescriptor[] =
    "06 00 FF 09 01 A1 01 85 01 75 08 95 3F 09 01 81 02 85 02 75 08 95 3F 09 01 91 02 C0";

// A sysfs tree and device folder as the kernel lays them out for hidraw nodes.
class FakeSystem {
 public:
  FakeSystem() : root_(toUtf8(temp_.path())) {
    fs::create_directories(root_ + "/sys/class/hidraw");
    fs::create_directories(root_ + "/dev");
  }

  // hidraw<number> on USB device <usb> (with `interfaces` interfaces), interface `interface`.
  void add(int number, const std::string& hidId, int usb, int interfaces, int interface) {
    const std::string usbDevice = root_ + "/sys/devices/usb1/1-" + std::to_string(usb);
    const std::string usbInterface =
        usbDevice + "/1-" + std::to_string(usb) + ":1." + std::to_string(interface);
    const std::string hidDevice = usbInterface + "/0003:4C7A:0054." + std::to_string(number);
    fs::create_directories(hidDevice);
    write(usbDevice + "/bNumInterfaces", " " + std::to_string(interfaces) + "\n");
    write(usbInterface + "/bInterfaceNumber", "0" + std::to_string(interface) + "\n");
    write(hidDevice + "/uevent", "DRIVER=hid-generic\nHID_ID=" + hidId +
                                     "\nHID_NAME=Display\nHID_PHYS=usb-0000:00:14.0-1/input" +
                                     std::to_string(interface) + "\n");
    const Bytes descriptor = hex(kDescriptor);
    write(hidDevice + "/report_descriptor", std::string(descriptor.begin(), descriptor.end()));
    const std::string node = "hidraw" + std::to_string(number);
    fs::create_directories(root_ + "/sys/class/hidraw/" + node);
    fs::create_directory_symlink(hidDevice, root_ + "/sys/class/hidraw/" + node + "/device");
    write(root_ + "/dev/" + node, "");
  }

  HidrawBus bus() const { return HidrawBus(root_ + "/sys", root_ + "/dev"); }
  std::wstring dev(const std::string& node) const { return fromUtf8(root_ + "/dev/" + node); }

 private:
  static void write(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
  }

  QrTest::TempDir temp_;
  std::string root_;
};

TEST(HidrawBusTest, PathsCarryTheIdentityTheRuleReads) {
  FakeSystem system;
  system.add(10, "0003:00004C7A:00000054", 1, 2, 0);  // composite, first interface
  system.add(2, "0003:00004C7A:00000054", 1, 2, 1);   // composite, second interface
  system.add(3, "0003:00004C7A:00000074", 2, 1, 0);   // one interface only
  system.add(4, "0005:00004C7A:00000054", 3, 1, 0);   // Bluetooth, not USB
  HidrawBus bus = system.bus();
  const auto paths = bus.interfacePaths();
  ASSERT_EQ(paths.size(), 3u);
  EXPECT_EQ(paths[0], L"hid#vid_4c7a&pid_0054&mi_01#" + system.dev("hidraw2"));
  EXPECT_EQ(paths[1], L"hid#vid_4c7a&pid_0074#" + system.dev("hidraw3"));
  EXPECT_EQ(paths[2], L"hid#vid_4c7a&pid_0054&mi_00#" + system.dev("hidraw10"));
}

TEST(HidrawBusTest, OpensOnlyANodeThatStillHasItsIdentityAndOnlyOnce) {
  FakeSystem system;
  system.add(3, "0003:00004C7A:00000074", 2, 1, 0);
  HidrawBus bus = system.bus();
  const std::wstring path = L"hid#vid_4c7a&pid_0074#" + system.dev("hidraw3");
  auto opened = bus.open(path);
  ASSERT_TRUE(opened.device);
  const auto capabilities = opened.device->capabilities();
  ASSERT_TRUE(capabilities.has_value());
  EXPECT_EQ(capabilities->inputReportLength, 64u);
  EXPECT_EQ(capabilities->outputReportLength, 64u);

  EXPECT_EQ(bus.open(path).failure, HidBus::OpenFailure::Denied);
  EXPECT_EQ(bus.open(L"hid#vid_4c7a&pid_0054#" + system.dev("hidraw3")).failure,
            HidBus::OpenFailure::Other);
  EXPECT_EQ(bus.open(L"hid#vid_4c7a&pid_0074#" + system.dev("hidraw9")).failure,
            HidBus::OpenFailure::Other);
}

// The I/O against a packet socket, which keeps report boundaries like a hidraw node.
class HidrawIoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK, 0, sockets_), 0);
    device_ = makeHidrawDevice(sockets_[0], HidCapabilities{64, 64});
    ASSERT_TRUE(device_);
  }
  void TearDown() override { ::close(sockets_[1]); }

  void send(const Bytes& report) {
    ASSERT_EQ(::write(sockets_[1], report.data(), report.size()),
              static_cast<ssize_t>(report.size()));
  }
  Bytes received() {
    uint8_t buffer[128];
    const ssize_t count = ::read(sockets_[1], buffer, sizeof buffer);
    return count > 0 ? Bytes(buffer, buffer + count) : Bytes();
  }

  int sockets_[2] = {-1, -1};
  std::unique_ptr<HidDevice> device_;
};

TEST_F(HidrawIoTest, ReportsKeepTheirBoundaries) {
  send(hex("01 02 41 42"));
  send(hex("01 01 43"));
  uint8_t buffer[65] = {};
  EXPECT_EQ(device_->readReport(buffer, 64), 4);
  EXPECT_EQ(Bytes(buffer, buffer + 4), hex("01 02 41 42"));
  EXPECT_EQ(device_->readReport(buffer, 64), 3);

  const Bytes out = hex("02 01 FF");
  EXPECT_EQ(device_->writeReport(out.data(), 3), HidDevice::WriteOutcome::Written);
  EXPECT_EQ(received(), out);
  // Without the control request the output report takes the interrupt pipe.
  const Bytes speed = hex("FD 00 00 4B 00");
  EXPECT_TRUE(device_->setOutputReport(speed.data(), 5));
  EXPECT_EQ(received(), speed);
}

TEST_F(HidrawIoTest, FlushDropsWhatIsQueued) {
  send(hex("01 01 41"));
  send(hex("01 01 42"));
  EXPECT_TRUE(device_->flush());
  send(hex("01 01 43"));
  uint8_t buffer[65] = {};
  EXPECT_EQ(device_->readReport(buffer, 64), 3);
  EXPECT_EQ(buffer[2], 0x43);
}

TEST_F(HidrawIoTest, CancelEndsABlockedReadAndEveryLaterOne) {
  uint8_t buffer[65] = {};
  int result = -2;
  std::thread reader([&] { result = device_->readReport(buffer, 64); });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  device_->cancelRead();
  reader.join();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(device_->readReport(buffer, 64), 0);
}

TEST_F(HidrawIoTest, ADeviceThatLeftFailsTheRead) {
  ::close(sockets_[1]);
  sockets_[1] = ::dup(sockets_[0]);  // keep TearDown's close harmless
  uint8_t buffer[65] = {};
  // The peer is gone: the read fails instead of blocking.
  EXPECT_EQ(device_->readReport(buffer, 64), -1);
}

// A bus whose one display is the packet socket.
class SocketBus : public HidBus {
 public:
  explicit SocketBus(int fd) : fd_(fd), previous_(installHidBus(this)) {}
  ~SocketBus() override { installHidBus(previous_); }
  std::vector<std::wstring> interfacePaths() override { return {kPath}; }
  Opened open(const std::wstring&) override {
    return {makeHidrawDevice(fd_, HidCapabilities{64, 64}), OpenFailure::None};
  }
  static constexpr const wchar_t* kPath = L"hid#vid_4c7a&pid_0054#socket";

 private:
  int fd_;
  HidBus* previous_;
};

TEST(HidPortOverHidrawTest, AReadWakesWhenTheReportArrivesInRealTime) {
  int sockets[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK, 0, sockets), 0);
  SocketBus bus(sockets[0]);
  HidPort port(SocketBus::kPath);
  const auto start = std::chrono::steady_clock::now();
  std::thread display([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const Bytes report = hex("01 01 FE");
    [[maybe_unused]] const ssize_t sent = ::write(sockets[1], report.data(), report.size());
  });
  EXPECT_EQ(port.readByte(), 0xFE);
  display.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
  ::close(sockets[1]);
}

}  // namespace
}  // namespace QrCom
