#include "emulator/Display.h"

#include "qrcom/base/Clock.h"

namespace QrEmu {

namespace {

constexpr uint8_t kPacketStart = 0x79;
constexpr uint8_t kPacketEnd = 0x16;

// Tick comparison that survives the 32-bit wrap-around.
bool reached(uint32_t now, uint32_t release) {
  return static_cast<int32_t>(now - release) >= 0;
}

}  // namespace

Display::Display(uint8_t modelId, uint16_t protocolVersion)
    : modelId_(modelId), protocolVersion_(protocolVersion) {}

Display::~Display() = default;

std::unique_lock<std::recursive_mutex> Display::lock() const {
  return std::unique_lock<std::recursive_mutex>(mutex_);
}

uint8_t Display::modelId() const {
  return modelId_;
}

uint16_t Display::protocolVersion() const {
  auto guard = lock();
  return protocolVersion_;
}

void Display::setProtocolVersion(uint16_t version) {
  auto guard = lock();
  protocolVersion_ = version;
}

Mode Display::mode() const {
  auto guard = lock();
  return mode_;
}

void Display::setMode(Mode mode) {
  auto guard = lock();
  mode_ = mode;
}

void Display::addModule(std::unique_ptr<Module> module) {
  auto guard = lock();
  modules_.push_back(std::move(module));
}

void Display::receive(const uint8_t* data, size_t length) {
  auto guard = lock();
  if (length == 0) return;
  ++hostWrites_;
  if (scheduledFaults_ && scheduledFaults_->first == hostWrites_) {
    const Faults faults = scheduledFaults_->second;
    scheduledFaults_.reset();
    setFaults(faults);
  }
  if (trace_) trace_({TraceEvent::FromHost, Bytes(data, data + length)});
  if (powerCut_ == hostWrites_) {
    powerCut_.reset();
    losePower();
    return;
  }
  for (size_t i = 0; i < length; ++i) {
    // Checked per byte: a module may pull the plug in the middle of what the host wrote.
    if (faults_.silent || faults_.unplugged) return;
    if (!step_) {
      startExchange(data[i]);
    } else if (step_->take(data[i])) {
      auto done = std::move(step_);
      done->finish();
    }
  }
}

void Display::startExchange(uint8_t byte) {
  auto guard = lock();
  for (auto& module : modules_) {
    if (module->onByte(*this, byte)) return;
  }
  if (byte == kPacketStart) {
    expect(QrEmu::expectPacket([this](const Packet& packet) { routePacket(packet); }, true));
  }
  // Anything else nobody understands is dropped, as a display's firmware does.
}

void Display::routePacket(const Packet& packet) {
  if (!packet.wellFormed()) return;
  for (auto& module : modules_) {
    if (module->onPacket(*this, packet)) return;
  }
}

void Display::endDialogue() {
  auto guard = lock();
  step_.reset();
  for (auto& module : modules_) module->onReset(*this);
}

Bytes Display::takeDue() {
  auto guard = lock();
  Bytes due;
  const uint32_t current = now();
  while (!pending_.empty() && reached(current, pending_.front().release)) {
    due.insert(due.end(), pending_.front().bytes.begin(), pending_.front().bytes.end());
    pending_.pop_front();
  }
  if (!due.empty() && trace_) trace_({TraceEvent::ToHost, due});
  return due;
}

std::optional<uint32_t> Display::nextRelease() const {
  auto guard = lock();
  if (pending_.empty()) return std::nullopt;
  return pending_.front().release;
}

bool Display::answerDue() const {
  auto guard = lock();
  return !pending_.empty() && reached(now(), pending_.front().release);
}

void Display::setListener(std::function<void()> listener) {
  auto guard = lock();
  listener_ = std::move(listener);
}

void Display::setTrace(Trace trace) {
  auto guard = lock();
  trace_ = std::move(trace);
}

void Display::setHostLineRate(uint32_t baud) {
  auto guard = lock();
  hostLineRate_ = baud;
  if (trace_) trace_({TraceEvent::LineRate, {}, baud});
}

uint32_t Display::hostLineRate() const {
  auto guard = lock();
  return hostLineRate_;
}

uint32_t Display::now() const {
  return QrCom::clock().tick();
}

uint8_t Display::noise() {
  // xorshift32: a fixed, repeatable noise pattern.
  noiseState_ ^= noiseState_ << 13;
  noiseState_ ^= noiseState_ >> 17;
  noiseState_ ^= noiseState_ << 5;
  return static_cast<uint8_t>(noiseState_);
}

void Display::send(Bytes bytes, uint32_t delayMs) {
  auto guard = lock();
  if (faults_.silent || faults_.unplugged || bytes.empty()) return;
  if (faults_.wrongAnswers) {
    for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(~byte);
  }
  if (faults_.garbage > 0) {
    Bytes noisy;
    for (uint32_t i = 0; i < faults_.garbage; ++i) noisy.push_back(noise());
    bytes.insert(bytes.begin(), noisy.begin(), noisy.end());
  }
  uint32_t release = now() + delayMs + faults_.answerDelay;
  // Bytes on a line keep their order: an answer never overtakes an earlier one.
  if (!pending_.empty() && !reached(release, pending_.back().release)) {
    release = pending_.back().release;
  }
  pending_.push_back({release, std::move(bytes)});
  changed();
}

void Display::sendPacket(uint8_t type, const Bytes& payload, uint32_t delayMs) {
  Bytes frame{kPacketStart, modelId_, static_cast<uint8_t>(payload.size() + 1), type};
  frame.insert(frame.end(), payload.begin(), payload.end());
  frame.push_back(kPacketEnd);
  send(std::move(frame), delayMs);
}

void Display::discardPending() {
  auto guard = lock();
  const uint32_t current = now();
  while (!pending_.empty() && !reached(current, pending_.back().release)) pending_.pop_back();
  changed();
}

void Display::expect(std::unique_ptr<Expectation> step) {
  auto guard = lock();
  step_ = std::move(step);
}

void Display::expectOneByte(std::function<void(uint8_t)> then) {
  expect(QrEmu::expectOneByte(std::move(then)));
}

void Display::expectBytes(size_t count, std::function<void(const Bytes&)> then) {
  expect(QrEmu::expectBytes(count, std::move(then)));
}

void Display::expectPacket(std::function<void(const Packet&)> then) {
  expect(QrEmu::expectPacket(std::move(then)));
}

void Display::expectFrame(std::function<void(const Frame&)> then) {
  expect(QrEmu::expectFrame(std::move(then)));
}

Faults Display::faults() const {
  auto guard = lock();
  return faults_;
}

void Display::setFaults(const Faults& faults) {
  auto guard = lock();
  if (faults.unplugged && !faults_.unplugged) unplug();
  const bool unplugged = faults_.unplugged && faults.unplugged;
  faults_ = faults;
  faults_.unplugged = unplugged;
  changed();
}

void Display::setSilent(bool silent) {
  auto guard = lock();
  faults_.silent = silent;
  changed();
}

void Display::setBusy(bool busy) {
  auto guard = lock();
  faults_.busy = busy;
  changed();
}

void Display::unplug() {
  auto guard = lock();
  faults_.unplugged = true;
  pending_.clear();
  endDialogue();
  changed();
}

void Display::plugIn() {
  auto guard = lock();
  faults_.unplugged = false;
  changed();
}

void Display::cutPowerAtWrite(uint32_t write) {
  auto guard = lock();
  powerCut_ = write;
}

void Display::losePower() {
  pending_.clear();
  endDialogue();
  if (mode_ != Mode::BootLoader && mode_ != Mode::Iap) mode_ = Mode::Normal;
  leaveUsb(1000);
}

uint32_t Display::hostWrites() const {
  auto guard = lock();
  return hostWrites_;
}

void Display::setFaultsAtWrite(uint32_t write, const Faults& faults) {
  auto guard = lock();
  scheduledFaults_.emplace(write, faults);
}

void Display::leaveUsb(uint32_t awayMs) {
  auto guard = lock();
  ++usbLeft_;
  usbReturn_ = now() + awayMs;
  changed();
}

bool Display::onUsb() const {
  auto guard = lock();
  return usbLeft_ == 0 || (usbReturn_ && reached(now(), *usbReturn_));
}

uint32_t Display::usbGeneration() const {
  auto guard = lock();
  return usbLeft_;
}

void Display::changed() {
  if (listener_) listener_();
}

}  // namespace QrEmu
