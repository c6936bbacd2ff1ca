#include "qrcom/port/HidrawBus.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "qrcom/base/Utf8.h"
#include "qrcom/port/HidReportDescriptor.h"

namespace QrCom {

namespace {

constexpr int kWriteTimeoutMs = 1000;
// Bound on what one flush drops, so a device that keeps sending cannot hold it.
constexpr int kMaxFlushedReports = 256;
constexpr unsigned kUsbBus = 0x0003;
constexpr const char kNodePrefix[] = "hidraw";

std::string readText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The value of KEY=value in a uevent file.
std::string ueventValue(const std::string& uevent, const std::string& key) {
  std::istringstream lines(uevent);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.compare(0, key.size() + 1, key + "=") == 0) return line.substr(key.size() + 1);
  }
  return {};
}

// -1 when the file is missing or holds no number.
long readNumber(const std::string& path, int base) {
  const std::string text = readText(path);
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, base);
  return end == text.c_str() ? -1 : value;
}

class HidrawDevice : public HidDevice {
 public:
  HidrawDevice(int fd, int cancel, std::optional<HidCapabilities> capabilities)
      : fd_(fd), cancel_(cancel), capabilities_(capabilities) {}
  ~HidrawDevice() override {
    ::close(cancel_);
    ::close(fd_);
  }

  std::optional<HidCapabilities> capabilities() override { return capabilities_; }

  int readReport(uint8_t* buffer, uint32_t capacity) override {
    for (;;) {
      pollfd waits[2] = {{fd_, POLLIN, 0}, {cancel_, POLLIN, 0}};
      if (::poll(waits, 2, -1) < 0) {
        if (errno == EINTR) continue;
        return -1;
      }
      if (waits[1].revents != 0) return 0;  // stays readable: later reads end at once too
      if (waits[0].revents & (POLLERR | POLLHUP | POLLNVAL)) return -1;
      const ssize_t count = ::read(fd_, buffer, capacity);
      if (count > 0) return static_cast<int>(count);
      if (count < 0 && (errno == EAGAIN || errno == EINTR)) continue;  // a flush took it
      return -1;
    }
  }

  void cancelRead() override {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(cancel_, &one, sizeof one);
  }

  WriteOutcome writeReport(const uint8_t* report, uint32_t length) override {
    pollfd ready = {fd_, POLLOUT, 0};
    if (::poll(&ready, 1, kWriteTimeoutMs) <= 0 || !(ready.revents & POLLOUT)) {
      return WriteOutcome::Failed;
    }
    const ssize_t count = ::write(fd_, report, length);
    return count == static_cast<ssize_t>(length) ? WriteOutcome::Written : WriteOutcome::Failed;
  }

  bool setOutputReport(const uint8_t* report, uint32_t length) override {
#ifdef HIDIOCSOUTPUT
    std::vector<uint8_t> copy(report, report + length);
    if (::ioctl(fd_, HIDIOCSOUTPUT(length), copy.data()) >= 0) return true;
    // Kernels before 5.11 lack the request: the interrupt pipe has to do.
    if (errno != ENOTTY && errno != EINVAL) return false;
#endif
    return writeReport(report, length) == WriteOutcome::Written;
  }

  bool flush() override {
    std::vector<uint8_t> scratch(capabilities_ ? capabilities_->inputReportLength + 1 : 1024);
    for (int i = 0; i < kMaxFlushedReports; ++i) {
      if (::read(fd_, scratch.data(), scratch.size()) <= 0) break;
    }
    return true;
  }

  // hidraw keeps its own fixed queue of reports.
  bool setInputBufferCount(uint32_t) override {
    return true;
  }

 private:
  const int fd_;
  const int cancel_;
  const std::optional<HidCapabilities> capabilities_;
};

}  // namespace

std::unique_ptr<HidDevice> makeHidrawDevice(int fd, std::optional<HidCapabilities> capabilities) {
  const int cancel = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (cancel < 0) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<HidrawDevice>(fd, cancel, capabilities);
}

HidrawBus::HidrawBus(std::string sysfsRoot, std::string deviceRoot)
    : sysfsRoot_(std::move(sysfsRoot)), deviceRoot_(std::move(deviceRoot)) {}

std::string HidrawBus::identity(const std::string& node) const {
  const std::string device = sysfsRoot_ + "/class/hidraw/" + node + "/device";
  unsigned bus = 0, vendor = 0, product = 0;
  const std::string id = ueventValue(readText(device + "/uevent"), "HID_ID");
  if (std::sscanf(id.c_str(), "%x:%x:%x", &bus, &vendor, &product) != 3 || bus != kUsbBus) {
    return {};
  }
  // The HID device sits on its USB interface, which sits on the USB device.
  const long interface = readNumber(device + "/../bInterfaceNumber", 16);
  const long interfaces = readNumber(device + "/../../bNumInterfaces", 10);
  char text[64];
  if (interfaces > 1 && interface >= 0) {
    std::snprintf(text, sizeof text, "hid#vid_%04x&pid_%04x&mi_%02lx#", vendor, product, interface);
  } else {
    std::snprintf(text, sizeof text, "hid#vid_%04x&pid_%04x#", vendor, product);
  }
  return text;
}

std::vector<std::wstring> HidrawBus::interfacePaths() {
  std::vector<std::pair<long, std::string>> nodes;
  if (DIR* folder = ::opendir((sysfsRoot_ + "/class/hidraw").c_str())) {
    while (const dirent* entry = ::readdir(folder)) {
      const std::string name = entry->d_name;
      if (name.compare(0, sizeof kNodePrefix - 1, kNodePrefix) != 0) continue;
      nodes.emplace_back(std::strtol(name.c_str() + sizeof kNodePrefix - 1, nullptr, 10), name);
    }
    ::closedir(folder);
  }
  std::sort(nodes.begin(), nodes.end());
  std::vector<std::wstring> paths;
  for (const auto& node : nodes) {
    const std::string prefix = identity(node.second);
    if (!prefix.empty()) paths.push_back(fromUtf8(prefix + deviceRoot_ + "/" + node.second));
  }
  return paths;
}

HidBus::Opened HidrawBus::open(const std::wstring& path) {
  const std::string text = toUtf8(path);
  const size_t split = text.rfind('#');
  if (split == std::string::npos) return {nullptr, OpenFailure::Other};
  const std::string nodePath = text.substr(split + 1);
  const std::string node = nodePath.substr(nodePath.rfind('/') + 1);
  // The node may meanwhile belong to another device.
  if (identity(node) != text.substr(0, split + 1)) return {nullptr, OpenFailure::Other};
  const std::string descriptor =
      readText(sysfsRoot_ + "/class/hidraw/" + node + "/device/report_descriptor");
  const auto capabilities =
      reportLengths(reinterpret_cast<const uint8_t*>(descriptor.data()), descriptor.size());

  const int fd = ::open(nodePath.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const bool denied = errno == EACCES || errno == EPERM || errno == EBUSY;
    return {nullptr, denied ? OpenFailure::Denied : OpenFailure::Other};
  }
  // Exclusive like the Windows open without sharing: a second program is refused.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return {nullptr, OpenFailure::Denied};
  }
  auto device = makeHidrawDevice(fd, capabilities);
  const OpenFailure failure = device ? OpenFailure::None : OpenFailure::Other;
  return {std::move(device), failure};
}

HidBus& systemHidBus() {
  static HidrawBus bus;
  return bus;
}

}  // namespace QrCom
