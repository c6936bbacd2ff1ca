#include "emulator/hid/EmulatedHidBus.h"

#include <algorithm>
#include <condition_variable>
#include <memory>

namespace QrEmu {

namespace {

constexpr uint8_t kInputReport = 0x01;
constexpr uint8_t kDataReport = 0x02;
constexpr uint8_t kLineSpeedReport = 0xFD;

// Four lower-case hexadecimal digits, as in a device-interface path.
std::wstring fourDigits(unsigned value) {
  const wchar_t digits[] = L"0123456789abcdef";
  std::wstring text;
  for (int shift = 12; shift >= 0; shift -= 4) text += digits[(value >> shift) & 0xF];
  return text;
}

}  // namespace

// What the reader thread and the host's waits share. `changes` counts everything that may have
// brought input (an answer queued, time moved); the reader notes the count at which it found
// nothing to deliver.
struct HidLink {
  std::mutex mutex;
  std::condition_variable changed;
  uint64_t changes = 0;
  uint64_t checked = 0;
  bool readerWaiting = false;
  bool cancelled = false;
  Bytes pending;  // taken from the display, not yet in a report

  void poke() {
    {
      std::lock_guard<std::mutex> guard(mutex);
      ++changes;
    }
    changed.notify_all();
  }
};

// The links of the devices open on one display; its listener pokes them all. Locked inside the
// display's lock, never around a call into the display.
struct HidRelay {
  std::mutex mutex;
  std::vector<std::weak_ptr<HidLink>> links;

  void poke() {
    std::lock_guard<std::mutex> guard(mutex);
    for (const auto& weak : links) {
      if (auto link = weak.lock()) link->poke();
    }
  }
};

namespace {

class EmulatedHidDevice : public QrCom::HidDevice {
 public:
  EmulatedHidDevice(Display& display, QrCom::HidCapabilities capabilities,
                    EmulatedHidBus::Wait wait, std::shared_ptr<HidRelay> relay)
      : display_(display),
        capabilities_(capabilities),
        generation_(display.usbGeneration()),
        wait_(std::move(wait)),
        relay_(std::move(relay)),
        link_(std::make_shared<HidLink>()) {
    std::lock_guard<std::mutex> guard(relay_->mutex);
    relay_->links.push_back(link_);
  }

  ~EmulatedHidDevice() override {
    std::lock_guard<std::mutex> guard(relay_->mutex);
    auto& links = relay_->links;
    links.erase(std::remove_if(links.begin(), links.end(),
                               [&](const std::weak_ptr<HidLink>& weak) {
                                 auto link = weak.lock();
                                 return !link || link == link_;
                               }),
                links.end());
  }

  std::optional<QrCom::HidCapabilities> capabilities() override { return capabilities_; }

  // Answers the display queued before it left the bus (the restart's acknowledgement) still
  // arrive; after that a device that left brings nothing until the port gives up on it.
  int readReport(uint8_t* buffer, uint32_t capacity) override {
    for (;;) {
      uint64_t seen = 0;
      {
        std::lock_guard<std::mutex> guard(link_->mutex);
        if (link_->cancelled) return 0;
        seen = link_->changes;
      }
      const Bytes due = display_.takeDue();
      std::unique_lock<std::mutex> guard(link_->mutex);
      link_->pending.insert(link_->pending.end(), due.begin(), due.end());
      if (link_->cancelled) return 0;
      if (!link_->pending.empty()) return report(buffer, capacity);
      link_->readerWaiting = true;
      link_->checked = seen;
      link_->changed.notify_all();
      link_->changed.wait(guard, [&] { return link_->cancelled || link_->changes != seen; });
      link_->readerWaiting = false;
    }
  }

  void cancelRead() override {
    {
      std::lock_guard<std::mutex> guard(link_->mutex);
      link_->cancelled = true;
    }
    link_->changed.notify_all();
  }

  WriteOutcome writeReport(const uint8_t* report, uint32_t length) override {
    if (!alive()) return WriteOutcome::Failed;
    if (length > 2 && report[0] == kDataReport) {
      display_.receive(report + 2, std::min<uint32_t>(report[1], length - 2));
    }
    return WriteOutcome::Written;
  }

  bool setOutputReport(const uint8_t* report, uint32_t length) override {
    if (!alive()) return false;
    if (length >= 5 && report[0] == kLineSpeedReport) {
      display_.setHostLineRate(static_cast<uint32_t>(report[1]) << 24 | report[2] << 16 |
                               report[3] << 8 | report[4]);
    }
    return true;
  }

  bool flush() override {
    display_.takeDue();
    std::lock_guard<std::mutex> guard(link_->mutex);
    link_->pending.clear();
    return true;
  }

  bool setInputBufferCount(uint32_t) override { return true; }

  // Silence may only count once every answer already due has reached the port: then the
  // emulation's time moves on.
  bool waitForInput(QrCom::QrEvent& arrived, uint32_t milliseconds) override {
    settle();
    if (arrived.wait(0)) return true;
    wait_(milliseconds);
    settle();
    return arrived.wait(0);
  }

 private:
  bool alive() const {
    return display_.onUsb() && display_.usbGeneration() == generation_ &&
           !display_.faults().unplugged;
  }

  // Under the link's lock with input pending: one input report of the full length.
  int report(uint8_t* buffer, uint32_t capacity) {
    const uint32_t length = std::min(capabilities_.inputReportLength, capacity);
    const auto count =
        static_cast<uint32_t>(std::min<size_t>({link_->pending.size(), length - 2, size_t{255}}));
    std::fill(buffer, buffer + length, 0);
    buffer[0] = kInputReport;
    buffer[1] = static_cast<uint8_t>(count);
    std::copy(link_->pending.begin(), link_->pending.begin() + count, buffer + 2);
    link_->pending.erase(link_->pending.begin(), link_->pending.begin() + count);
    return static_cast<int>(length);
  }

  // Nothing to wait for when no answer is due and nothing changed since the reader last found
  // nothing: a silent wait then costs no hand-over between the threads.
  void settle() {
    // Asked before the link's lock is taken: the display pokes the links under its own lock.
    const bool due = display_.answerDue();
    {
      std::lock_guard<std::mutex> guard(link_->mutex);
      if (!due && link_->readerWaiting && link_->checked == link_->changes) return;
    }
    link_->poke();
    std::unique_lock<std::mutex> guard(link_->mutex);
    link_->changed.wait(guard, [&] {
      return link_->cancelled || (link_->readerWaiting && link_->checked == link_->changes);
    });
  }

  Display& display_;
  const QrCom::HidCapabilities capabilities_;
  const uint32_t generation_;
  EmulatedHidBus::Wait wait_;
  std::shared_ptr<HidRelay> relay_;
  std::shared_ptr<HidLink> link_;
};

}  // namespace

EmulatedHidBus::EmulatedHidBus(Wait wait)
    : wait_(std::move(wait)), previous_(QrCom::installHidBus(this)) {}

EmulatedHidBus::~EmulatedHidBus() {
  QrCom::installHidBus(previous_);
}

void EmulatedHidBus::attach(Display& display, QrCom::HidCapabilities capabilities) {
  auto relay = std::make_shared<HidRelay>();
  display.setListener([relay] { relay->poke(); });
  std::lock_guard<std::mutex> guard(mutex_);
  attached_.push_back(
      {&display, capabilities, static_cast<uint32_t>(attached_.size() + 1), std::move(relay)});
}

std::wstring EmulatedHidBus::pathOf(const Attached& attached) const {
  return L"\\\\?\\hid#vid_4c7a&pid_" + fourDigits(attached.display->modelId()) + L"#8&" +
         std::to_wstring(attached.instance) + L"&" +
         std::to_wstring(attached.display->usbGeneration()) +
         L"&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
}

std::wstring EmulatedHidBus::pathOf(const Display& display) const {
  std::lock_guard<std::mutex> guard(mutex_);
  for (const Attached& attached : attached_) {
    if (attached.display == &display) return pathOf(attached);
  }
  return {};
}

std::vector<std::wstring> EmulatedHidBus::interfacePaths() {
  std::vector<Attached> attached;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    attached = attached_;
  }
  std::vector<std::wstring> paths;
  for (const Attached& entry : attached) {
    if (entry.display->onUsb() && !entry.display->faults().unplugged) {
      paths.push_back(pathOf(entry));
    }
  }
  return paths;
}

QrCom::HidBus::Opened EmulatedHidBus::open(const std::wstring& path) {
  std::vector<Attached> attached;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    attached = attached_;
  }
  for (const Attached& entry : attached) {
    Display& display = *entry.display;
    if (pathOf(entry) != path || !display.onUsb() || display.faults().unplugged) continue;
    if (display.faults().busy) return {nullptr, OpenFailure::Denied};
    return {std::make_unique<EmulatedHidDevice>(display, entry.capabilities, wait_, entry.relay),
            OpenFailure::None};
  }
  return {nullptr, OpenFailure::Other};
}

}  // namespace QrEmu
