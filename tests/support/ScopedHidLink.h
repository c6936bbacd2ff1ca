#pragma once

#include "qrcom/port/HidPorts.h"

namespace QrTest {

// Installs a HID link (interface paths and opener) for the lifetime of the object.
class ScopedHidLink {
 public:
  explicit ScopedHidLink(QrCom::HidLink link) : previous_(QrCom::installHidLink(std::move(link))) {}
  ~ScopedHidLink() { QrCom::installHidLink(std::move(previous_)); }
  ScopedHidLink(const ScopedHidLink&) = delete;
  ScopedHidLink& operator=(const ScopedHidLink&) = delete;

 private:
  QrCom::HidLink previous_;
};

}  // namespace QrTest
