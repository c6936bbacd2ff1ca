#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "emulator/Bytes.h"
#include "emulator/Expectation.h"
#include "emulator/Module.h"

namespace QrEmu {

// What the display's firmware is doing; modules answer according to it and may switch it.
enum class Mode { Normal, Info, BootLoader, Iap, Monitor };

// What a transport saw cross the line: bytes in either direction, or the host setting up its
// end of the line (every time, whether the rate changed or not).
struct TraceEvent {
  enum Kind { FromHost, ToHost, LineRate } kind;
  Bytes bytes;        // FromHost, ToHost
  uint32_t baud = 0;  // LineRate
};

// Faults every display has, whatever its modules; each may be changed at any time.
struct Faults {
  bool silent = false;        // hears nothing and says nothing
  bool wrongAnswers = false;  // every answer byte arrives complemented
  uint32_t garbage = 0;       // bytes of line noise before every answer
  uint32_t answerDelay = 0;   // milliseconds every answer comes later
  bool busy = false;          // another program holds the port: opening it fails
  bool unplugged = false;     // the link is gone for good
};

// An emulated display. It is reactive: it consumes the bytes the host writes and queues its
// answers at once, in the writer's call; an answer may carry a delay and is released when the
// clock (QrCom::clock()) reaches it. Transports move bytes between the host and the display;
// modules implement the protocols. Every operation may be called from any thread.
class Display {
 public:
  using Trace = std::function<void(const TraceEvent&)>;

  Display(uint8_t modelId, uint16_t protocolVersion);
  ~Display();
  Display(const Display&) = delete;
  Display& operator=(const Display&) = delete;

  // Held by whoever changes a module's own knobs while a transport may be running.
  std::unique_lock<std::recursive_mutex> lock() const;

  uint8_t modelId() const;
  uint16_t protocolVersion() const;
  void setProtocolVersion(uint16_t version);
  Mode mode() const;
  void setMode(Mode mode);

  template <typename M, typename... Args>
  M& add(Args&&... args) {
    auto module = std::make_unique<M>(std::forward<Args>(args)...);
    M& added = *module;
    addModule(std::move(module));
    return added;
  }
  // The first module of class M, nullptr when the display has none.
  template <typename M>
  M* find() const {
    auto guard = lock();
    for (const auto& module : modules_) {
      if (auto* found = dynamic_cast<M*>(module.get())) return found;
    }
    return nullptr;
  }

  // --- transports
  void receive(const uint8_t* data, size_t length);
  void receive(const Bytes& bytes) { receive(bytes.data(), bytes.size()); }
  // The answer bytes whose release time has come, in order.
  Bytes takeDue();
  // The release tick of the earliest answer still held back.
  std::optional<uint32_t> nextRelease() const;
  // Whether takeDue would bring something now.
  bool answerDue() const;
  // Called whenever answers were queued or a fault changed (a transport's wake-up).
  void setListener(std::function<void()> listener);
  // Sees every byte the display consumes, every byte released to the host and every time the
  // host sets up the line.
  void setTrace(Trace trace);
  // The host set up its end of the line, at this rate (0 until a transport learns it).
  void setHostLineRate(uint32_t baud);
  uint32_t hostLineRate() const;

  // --- protocol modules
  uint32_t now() const;
  // Queues an answer; faults (silence, complement, noise, delay) apply here.
  void send(Bytes bytes, uint32_t delayMs = 0);
  // 0x79, the display's model id, L, type, payload, 0x16.
  void sendPacket(uint8_t type, const Bytes& payload = {}, uint32_t delayMs = 0);
  // Drops the answers still held back: a display that stops a stream it had scheduled.
  void discardPending();
  // The next step of the dialogue; the display's bytes go to it until it completes.
  void expect(std::unique_ptr<Expectation> step);
  void expectOneByte(std::function<void(uint8_t)> then);
  void expectBytes(size_t count, std::function<void(const Bytes&)> then);
  void expectPacket(std::function<void(const Packet&)> then);
  void expectFrame(std::function<void(const Frame&)> then);
  // Handles `byte` as the first byte of a new exchange (for a step that finds the host has
  // moved on).
  void startExchange(uint8_t byte);
  // Drops the waiting step and tells every module.
  void endDialogue();

  // --- faults
  Faults faults() const;
  // All at once, unplugging or plugging back in as `faults` says.
  void setFaults(const Faults& faults);
  void setSilent(bool silent);
  void setBusy(bool busy);
  // The link is gone until plugIn(); the dialogue in progress and pending answers are lost.
  void unplug();
  void plugIn();
  // The host's writes the display has heard of so far (a write counts once, whatever its length).
  uint32_t hostWrites() const;
  // `faults` take the place of the present ones when the host's write number `write` (as
  // hostWrites() counts) arrives, before the display hears it: a fault at a chosen step.
  void setFaultsAtWrite(uint32_t write, const Faults& faults);
  // The display loses its power when the host's write number `write` arrives, before it hears
  // it, and is back at once, as a real one comes back: the dialogue and the answers in flight
  // are lost, every module starts afresh with what it had stored, a display in its boot loader
  // or IAP loader starts there again and any other in its firmware; on USB it leaves the bus
  // for a second.
  void cutPowerAtWrite(uint32_t write);

  // --- USB: a display that restarts leaves the bus and comes back as a new device
  // Leaves the bus now and returns `awayMs` later.
  void leaveUsb(uint32_t awayMs);
  bool onUsb() const;
  // Counts the times the display left the bus: a device opened before belongs to a past life.
  uint32_t usbGeneration() const;

 private:
  struct Pending {
    uint32_t release;
    Bytes bytes;
  };

  void addModule(std::unique_ptr<Module> module);
  void routePacket(const Packet& packet);
  void changed();
  void losePower();
  uint8_t noise();

  mutable std::recursive_mutex mutex_;
  const uint8_t modelId_;
  uint16_t protocolVersion_;
  Mode mode_ = Mode::Normal;
  std::vector<std::unique_ptr<Module>> modules_;
  std::unique_ptr<Expectation> step_;
  std::deque<Pending> pending_;
  Faults faults_;
  uint32_t hostWrites_ = 0;
  std::optional<std::pair<uint32_t, Faults>> scheduledFaults_;
  std::optional<uint32_t> powerCut_;
  uint32_t hostLineRate_ = 0;
  std::optional<uint32_t> usbReturn_;
  uint32_t usbLeft_ = 0;
  uint32_t noiseState_ = 0x2545F491;
  std::function<void()> listener_;
  Trace trace_;
};

}  // namespace QrEmu
