#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <set>
#include <vector>

#include "qrcom/device/QuorlinDevice.h"

namespace QrCom {

// Told when a search starts and when it has ended.
class SearchObserver {
 public:
  virtual void searchStarted() = 0;
  virtual void searchFinished() = 0;

 protected:
  ~SearchObserver() = default;
};

// What to search for.
struct SearchRequest {
  static constexpr int kComPorts = 0;
  static constexpr int kHidInterfaces = 1;

  std::set<int> linkKinds;          // kComPorts, kHidInterfaces; other values are ignored
  std::vector<int> comPortNumbers;  // probed in this order (searchSequential: ascending, once)
  std::set<int> serviceFilter;      // a display is kept when it offers one of these services
  SearchObserver* observer = nullptr;
  // When set, search() lists here the COM ports on which a display waits in its boot loader
  // (WaitingInBootLoaderException), in the order probed.
  std::vector<int>* waitingInBootLoader = nullptr;
};

// The displays found attached, owned and ordered by port number (USB-HID displays, number 0,
// first; equal numbers in the order found). Every search first deletes the devices of the
// previous one.
class DeviceList {
 public:
  DeviceList() = default;
  DeviceList(const DeviceList&) = delete;
  DeviceList& operator=(const DeviceList&) = delete;
  virtual ~DeviceList();

  virtual uint32_t count() const;
  // The first device on that port; null if none.
  virtual QuorlinDevice* findByPortNumber(int portNumber) const;
  // As searchSequential, but ends with the first display kept.
  virtual void findFirst(const SearchRequest& request);
  // Throws std::out_of_range (empty message) for an index outside 0 .. count() - 1.
  virtual QuorlinDevice& at(int index) const;
  // One candidate after the other.
  virtual void searchSequential(const SearchRequest& request);
  // Every candidate at the same time, one thread each; a port that was busy is probed once more
  // after all others have finished.
  virtual void search(const SearchRequest& request);
  // Hands the device back to the caller; null when it is not in the list.
  virtual std::unique_ptr<QuorlinDevice> remove(QuorlinDevice* device);
  virtual void insertSorted(std::unique_ptr<QuorlinDevice> device);
  virtual void clear();

 private:
  // Probes candidates one by one; stops after the first display kept when `firstOnly`.
  void probeInTurn(const SearchRequest& request, bool firstOnly);

  std::list<std::unique_ptr<QuorlinDevice>> devices_;
};

}  // namespace QrCom
