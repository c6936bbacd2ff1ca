#include "qrcom/port/HidrawBus.h"

#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
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

// Under `root`, a sysfs tree and device folder as the kernel lays them out for hidraw<number>:
// on interface `interface` of a USB device with `interfaces` interfaces.
void addNode(const std::string& root, int number, const std::string& hidId, int interfaces,
             int interface) {
  const std::string node = "hidraw" + std::to_string(number);
  const std::string usb = root + "/sys/devices/usb1/1-" + std::to_string(number);
  const std::string usbInterface = usb + "/1-1:1." + std::to_string(interface);
  const std::string hid = usbInterface + "/0003:4C7A:0054." + std::to_string(number);
  fs::create_directories(hid);
  fs::create_directories(root + "/sys/class/hidraw/" + node);
  fs::create_directories(root + "/dev");
  fs::create_directory_symlink(hid, root + "/sys/class/hidraw/" + node + "/device");
  const Bytes descriptor = hex("06 00 FF 09 01 A1 01 85 01 75 08 95 3F 81 02 91 02 C0");
  for (const auto& [path, content] : std::map<std::string, std::string>{
           {usb + "/bNumInterfaces", " " + std::to_string(interfaces) + "\n"},
           {usbInterface + "/bInterfaceNumber", "0" + std::to_string(interface) + "\n"},
           {hid + "/uevent", "DRIVER=hid-generic\nHID_ID=" + hidId + "\nHID_NAME=Display\n"},
           {hid + "/report_descriptor", std::string(descriptor.begin(), descriptor.end())},
           {root + "/dev/" + node, ""}}) {
    std::ofstream(path, std::ios::binary) << content;
  }
}

TEST(HidrawBusTest, PathsCarryTheIdentityTheRuleReadsAndOpenTheirNodeOnlyOnce) {
  QrTest::TempDir temp;
  const std::string root = toUtf8(temp.path());
  addNode(root, 10, "0003:00004C7A:00000054", 2, 0);  // composite, first interface
  addNode(root, 2, "0003:00004C7A:00000054", 2, 1);   // composite, second interface
  addNode(root, 3, "0003:00004C7A:00000074", 1, 0);   // one interface only
  addNode(root, 4, "0005:00004C7A:00000054", 1, 0);   // Bluetooth, not USB
  HidrawBus bus(root + "/sys", root + "/dev");
  const std::wstring dev = fromUtf8(root + "/dev/hidraw");
  const std::wstring path = L"hid#vid_4c7a&pid_0074#" + dev + L"3";
  EXPECT_EQ(bus.interfacePaths(),
            (std::vector<std::wstring>{L"hid#vid_4c7a&pid_0054&mi_01#" + dev + L"2", path,
                                       L"hid#vid_4c7a&pid_0054&mi_00#" + dev + L"10"}));
  auto opened = bus.open(path);
  ASSERT_TRUE(opened.device);
  EXPECT_EQ(opened.device->capabilities()->inputReportLength, 64u);
  EXPECT_EQ(bus.open(path).failure, HidBus::OpenFailure::Denied);
  // A node that meanwhile belongs to another device, or is gone.
  EXPECT_EQ(bus.open(L"hid#vid_4c7a&pid_0054#" + dev + L"3").failure, HidBus::OpenFailure::Other);
  EXPECT_EQ(bus.open(L"hid#vid_4c7a&pid_0074#" + dev + L"9").failure, HidBus::OpenFailure::Other);
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

}  // namespace
}  // namespace QrCom
