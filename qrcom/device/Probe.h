#pragma once

#include <memory>
#include <set>
#include <string>

#include "qrcom/device/QuorlinDevice.h"

namespace QrCom {

// One candidate link of a search: a COM port number, or 0 and a HID device path.
struct ProbeJob {
  int comPortNumber = 0;
  std::wstring hidDevicePath;
  std::set<int> serviceFilter;
  std::unique_ptr<QuorlinDevice> result;  // the display found, if it is kept
  bool retry = false;                     // the port was busy or refused a write
  bool waitingInBootLoader = false;       // WaitingInBootLoaderException: no result
};

// Whether the device offers one of the services, asked in ascending order.
bool offersOneOf(const QuorlinDevice& device, const std::set<int>& serviceIds);

// Identifies the display on the job's link and keeps a copy when it offers a filtered service.
// Never throws: a busy port sets `retry`, a display waiting in its boot loader
// `waitingInBootLoader`, any other failure leaves no result.
void probe(ProbeJob& job);

}  // namespace QrCom
