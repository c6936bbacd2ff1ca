#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "qrcom/port/HidDevice.h"

namespace QrCom {

// USB-HID on Linux through hidraw. A device's path carries its identity in the form the HID
// path rule reads, followed by its node: "hid#vid_4c7a&pid_0054&mi_00#/dev/hidraw3" ("&mi_nn"
// only on a composite device). Opening checks that the node still belongs to that identity.
class HidrawBus : public HidBus {
 public:
  explicit HidrawBus(std::string sysfsRoot = "/sys", std::string deviceRoot = "/dev");

  std::vector<std::wstring> interfacePaths() override;
  Opened open(const std::wstring& path) override;

 private:
  // The identity part of the path of /dev/<node>, empty when it is no USB HID device.
  std::string identity(const std::string& node) const;

  std::string sysfsRoot_;
  std::string deviceRoot_;
};

// A hidraw device on an open descriptor (owned from now on); null when no cancel event can be
// made.
std::unique_ptr<HidDevice> makeHidrawDevice(int fd, std::optional<HidCapabilities> capabilities);

}  // namespace QrCom
