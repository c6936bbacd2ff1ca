#pragma once

#include <utility>

#include "qrcom/port/HidPorts.h"

namespace QrTest {

// Installs what the system lists as HID interfaces and how they open, for the lifetime of the
// object.
class ScopedHidLink {
 public:
  ScopedHidLink(QrCom::HidInterfaceLister lister, QrCom::HidPortOpener opener)
      : previousLister_(QrCom::installHidInterfaceLister(std::move(lister))),
        previousOpener_(QrCom::installHidPortOpener(std::move(opener))) {}
  ~ScopedHidLink() {
    QrCom::installHidInterfaceLister(std::move(previousLister_));
    QrCom::installHidPortOpener(std::move(previousOpener_));
  }
  ScopedHidLink(const ScopedHidLink&) = delete;
  ScopedHidLink& operator=(const ScopedHidLink&) = delete;

 private:
  QrCom::HidInterfaceLister previousLister_;
  QrCom::HidPortOpener previousOpener_;
};

}  // namespace QrTest
