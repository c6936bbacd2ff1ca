#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "qrcom/port/ComPorts.h"
#include "qrcom/port/HidDevice.h"

namespace QrTest {

// For the lifetime of the object: the HID interfaces the system lists come from `lister`
// (none without one), and openHidPort opens with `opener` (a HidPort without one).
class ScopedHidLink {
 public:
  using Lister = std::function<std::vector<std::wstring>()>;

  ScopedHidLink(Lister lister, QrCom::HidPortOpener opener)
      : bus_(std::move(lister)),
        previousBus_(QrCom::installHidBus(&bus_)),
        previousOpener_(QrCom::installHidPortOpener(std::move(opener))) {}
  ~ScopedHidLink() {
    QrCom::installHidPortOpener(std::move(previousOpener_));
    QrCom::installHidBus(previousBus_);
  }
  ScopedHidLink(const ScopedHidLink&) = delete;
  ScopedHidLink& operator=(const ScopedHidLink&) = delete;

 private:
  // Lists interfaces; they are opened as ports by the opener, never as devices here.
  class ListingBus : public QrCom::HidBus {
   public:
    explicit ListingBus(Lister lister) : lister_(std::move(lister)) {}
    std::vector<std::wstring> interfacePaths() override {
      return lister_ ? lister_() : std::vector<std::wstring>();
    }
    Opened open(const std::wstring&) override { return {nullptr, OpenFailure::Other}; }

   private:
    Lister lister_;
  };

  ListingBus bus_;
  QrCom::HidBus* previousBus_;
  QrCom::HidPortOpener previousOpener_;
};

}  // namespace QrTest
