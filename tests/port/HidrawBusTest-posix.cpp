#include "qrcom/port/HidrawBus.h"

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

// A sysfs tree and device folder as the kernel lays them out for hidraw nodes.
class FakeSystem {
 public:
  // hidraw<number> on USB device <usb> (with `interfaces` interfaces), interface `interface`.
  void add(int number, const std::string& hidId, int usb, int interfaces, int interface) {
    const std::string usbDevice = root_ + "/sys/devices/usb1/1-" + std::to_string(usb);
    const std::string usbInterface = usbDevice + "/1-1:1." + std::to_string(interface);
    const std::string hidDevice = usbInterface + "/0003:4C7A:0054." + std::to_string(number);
    const std::string node = "hidraw" + std::to_string(number);
    fs::create_directories(hidDevice);
    fs::create_directories(root_ + "/sys/class/hidraw/" + node);
    fs::create_directories(root_ + "/dev");
    fs::create_directory_symlink(hidDevice, root_ + "/sys/class/hidraw/" + node + "/device");
    write(usbDevice + "/bNumInterfaces", " " + std::to_string(interfaces) + "\n");
    write(usbInterface + "/bInterfaceNumber", "0" + std::to_string(interface) + "\n");
    write(hidDevice + "/uevent", "DRIVER=hid-generic\nHID_ID=" + hidId + "\nHID_NAME=Display\n");
    const Bytes descriptor = hex("06 00 FF 09 01 A1 01 85 01 75 08 95 3F 81 02 91 02 C0");
    write(hidDevice + "/report_descriptor", std::string(descriptor.begin(), descriptor.end()));
    write(root_ + "/dev/" + node, "");
  }

  HidrawBus bus() const { return HidrawBus(root_ + "/sys", root_ + "/dev"); }
  std::wstring dev(const std::string& node) const { return fromUtf8(root_ + "/dev/" + node); }

 private:
  static void write(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
  }

  QrTest::TempDir temp_;
  std::string root_ = toUtf8(temp_.path());
};

TEST(HidrawBusTest, PathsCarryTheIdentityTheRuleReadsAndOpenTheirNodeOnlyOnce) {
  FakeSystem system;
  system.add(10, "0003:00004C7A:00000054", 1, 2, 0);  // composite, first interface
  system.add(2, "0003:00004C7A:00000054", 1, 2, 1);   // composite, second interface
  system.add(3, "0003:00004C7A:00000074", 2, 1, 0);   // one interface only
  system.add(4, "0005:00004C7A:00000054", 3, 1, 0);   // Bluetooth, not USB
  HidrawBus bus = system.bus();
  const std::wstring path = L"hid#vid_4c7a&pid_0074#" + system.dev("hidraw3");
  EXPECT_EQ(bus.interfacePaths(), (std::vector<std::wstring>{
                                      L"hid#vid_4c7a&pid_0054&mi_01#" + system.dev("hidraw2"), path,
                                      L"hid#vid_4c7a&pid_0054&mi_00#" + system.dev("hidraw10")}));
  auto opened = bus.open(path);
  ASSERT_TRUE(opened.device);
  EXPECT_EQ(opened.device->capabilities()->inputReportLength, 64u);
  EXPECT_EQ(bus.open(path).failure, HidBus::OpenFailure::Denied);
  // A node that meanwhile belongs to another device, or is gone.
  EXPECT_EQ(bus.open(L"hid#vid_4c7a&pid_0054#" + system.dev("hidraw3")).failure,
            HidBus::OpenFailure::Other);
  EXPECT_EQ(bus.open(L"hid#vid_4c7a&pid_0074#" + system.dev("hidraw9")).failure,
            HidBus::OpenFailure::Other);
}

// The I/O against a packet socket, which keeps report boundaries like a hidraw node.
TEST(HidrawIoTest, ReportsKeepTheirBoundariesFlushCancelAndADeviceThatLeft) {
  int sockets[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK, 0, sockets), 0);
  auto device = makeHidrawDevice(sockets[0], HidCapabilities{64, 64});
  const auto send = [&](const char* report) {
    const Bytes bytes = hex(report);
    ASSERT_EQ(::write(sockets[1], bytes.data(), bytes.size()), ssize_t(bytes.size()));
  };
  uint8_t buffer[65] = {};
  const auto received = [&] { return Bytes(buffer, buffer + ::read(sockets[1], buffer, 65)); };
  send("01 02 41 42");
  send("01 01 43");
  EXPECT_EQ(device->readReport(buffer, 64), 4);
  EXPECT_EQ(device->readReport(buffer, 64), 3);
  const Bytes out = hex("02 01 FF");
  EXPECT_EQ(device->writeReport(out.data(), 3), HidDevice::WriteOutcome::Written);
  EXPECT_EQ(received(), out);
  EXPECT_TRUE(device->setOutputReport(out.data(), 3));  // no control request: the interrupt pipe
  EXPECT_EQ(received(), out);

  send("01 01 41");
  send("01 01 42");
  EXPECT_TRUE(device->flush());
  send("01 01 43");
  EXPECT_EQ(device->readReport(buffer, 64), 3);
  EXPECT_EQ(buffer[2], 0x43);

  int result = -2;
  std::thread reader([&] { result = device->readReport(buffer, 64); });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  device->cancelRead();
  reader.join();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(device->readReport(buffer, 64), 0) << "a cancel ends every later read too";

  auto left = makeHidrawDevice(::dup(sockets[0]), HidCapabilities{64, 64});
  ::close(sockets[1]);
  EXPECT_EQ(left->readReport(buffer, 64), -1) << "the peer is gone: fail instead of blocking";
}

// A bus whose one display is a packet socket.
class SocketBus : public HidBus {
 public:
  explicit SocketBus(int fd) : fd_(fd), previous_(installHidBus(this)) {}
  ~SocketBus() override { installHidBus(previous_); }
  std::vector<std::wstring> interfacePaths() override { return {}; }
  Opened open(const std::wstring&) override {
    return {makeHidrawDevice(fd_, HidCapabilities{64, 64}), OpenFailure::None};
  }

 private:
  int fd_;
  HidBus* previous_;
};

TEST(HidPortOverHidrawTest, AReadWakesWhenTheReportArrivesInRealTime) {
  int sockets[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK, 0, sockets), 0);
  SocketBus bus(sockets[0]);
  HidPort port(L"hid#vid_4c7a&pid_0054#socket");
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
