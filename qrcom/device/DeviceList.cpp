#include "qrcom/device/DeviceList.h"

#include <algorithm>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "qrcom/base/NativeSync.h"
#include "qrcom/device/Probe.h"
#include "qrcom/port/HidEnumeration.h"

namespace QrCom {

namespace {

// The probe threads of one search that have not finished yet.
class CompletionCounter {
 public:
  void started() {
    QrLock guard(lock_);
    ++count_;
  }

  void finished() {
    QrLock guard(lock_);
    if (--count_ == 0) allFinished_.set();
  }

  // Returns as soon as the last thread has finished.
  void waitForAll() {
    for (;;) {
      {
        QrLock guard(lock_);
        if (count_ == 0) return;
        allFinished_.reset();
      }
      allFinished_.wait();
    }
  }

 private:
  NativeMutex lock_;
  NativeEvent allFinished_;
  int32_t count_ = 0;
};

std::unique_ptr<ProbeJob> makeJob(int comPortNumber, std::wstring hidDevicePath,
                                  const SearchRequest& request) {
  auto job = std::make_unique<ProbeJob>();
  job->comPortNumber = comPortNumber;
  job->hidDevicePath = std::move(hidDevicePath);
  job->serviceFilter = request.serviceFilter;
  return job;
}

// The HID interfaces first, then the COM ports in the request's order (or ascending, each once,
// as the ordered set of a sequential search has them).
std::vector<std::unique_ptr<ProbeJob>> candidates(const SearchRequest& request,
                                                  bool ascendingComPorts) {
  std::vector<std::unique_ptr<ProbeJob>> jobs;
  if (request.linkKinds.count(SearchRequest::kHidInterfaces) > 0) {
    HidInterfaceList interfaces;
    enumerateHidInterfaces(interfaces);
    for (HidInterface& hid : interfaces) jobs.push_back(makeJob(0, std::move(hid.path), request));
  }
  if (request.linkKinds.count(SearchRequest::kComPorts) > 0) {
    std::vector<int> numbers = request.comPortNumbers;
    if (ascendingComPorts) {
      std::sort(numbers.begin(), numbers.end());
      numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    }
    for (int number : numbers) jobs.push_back(makeJob(number, L"", request));
  }
  return jobs;
}

}  // namespace

DeviceList::~DeviceList() {
  clear();
}

uint32_t DeviceList::count() const {
  return static_cast<uint32_t>(devices_.size());
}

QuorlinDevice* DeviceList::findByPortNumber(int portNumber) const {
  for (const auto& device : devices_) {
    if (device->getPortNumber() == portNumber) return device.get();
  }
  return nullptr;
}

QuorlinDevice& DeviceList::at(int index) const {
  if (index < 0 || static_cast<uint32_t>(index) >= count()) throw std::out_of_range("");
  return **std::next(devices_.begin(), index);
}

std::unique_ptr<QuorlinDevice> DeviceList::remove(QuorlinDevice* device) {
  const auto found = std::find_if(devices_.begin(), devices_.end(),
                                  [device](const auto& entry) { return entry.get() == device; });
  if (found == devices_.end()) return nullptr;
  std::unique_ptr<QuorlinDevice> removed = std::move(*found);
  devices_.erase(found);
  return removed;
}

void DeviceList::insertSorted(std::unique_ptr<QuorlinDevice> device) {
  const int portNumber = device->getPortNumber();
  const auto later =
      std::find_if(devices_.begin(), devices_.end(),
                   [portNumber](const auto& entry) { return entry->getPortNumber() > portNumber; });
  devices_.insert(later, std::move(device));
}

void DeviceList::clear() {
  devices_.clear();
}

void DeviceList::search(const SearchRequest& request) {
  if (request.observer != nullptr) request.observer->searchStarted();
  clear();

  std::vector<std::unique_ptr<ProbeJob>> jobs = candidates(request, false);
  CompletionCounter counter;
  std::vector<std::thread> threads;
  for (auto& job : jobs) {
    counter.started();
    try {
      threads.emplace_back([&counter, probed = job.get()] {
        probe(*probed);
        counter.finished();
      });
    } catch (const std::system_error&) {
      // No thread to be had: this candidate is probed on this thread afterwards.
      job->retry = true;
      counter.finished();
    }
  }
  counter.waitForAll();
  for (std::thread& thread : threads) thread.join();

  // A port that was busy gets its second chance now that every other probe has let go.
  for (auto& job : jobs) {
    if (job->retry) probe(*job);
    if (job->result) insertSorted(std::move(job->result));
    if (job->waitingInBootLoader && request.waitingInBootLoader != nullptr) {
      request.waitingInBootLoader->push_back(job->comPortNumber);
    }
  }
  if (request.observer != nullptr) request.observer->searchFinished();
}

void DeviceList::searchSequential(const SearchRequest& request) {
  probeInTurn(request, false);
}

void DeviceList::findFirst(const SearchRequest& request) {
  probeInTurn(request, true);
}

void DeviceList::probeInTurn(const SearchRequest& request, bool firstOnly) {
  if (request.observer != nullptr) request.observer->searchStarted();
  clear();
  for (auto& job : candidates(request, !firstOnly)) {
    probe(*job);
    if (!job->result) continue;
    insertSorted(std::move(job->result));
    if (firstOnly) break;
  }
  if (request.observer != nullptr) request.observer->searchFinished();
}

}  // namespace QrCom
