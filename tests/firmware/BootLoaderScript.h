#pragma once

// A scripted conversation with the boot loader of an older display, for golden tests: each
// step is the exact bytes the host must write and the bytes the display answers. Plugged into
// a ScriptedPort as its responder, it checks every write against the script in order.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/ScriptedPort.h"

namespace QrTest::Eprom {

class BootLoaderScript {
 public:
  BootLoaderScript& host(const Bytes& written, const Bytes& answer = {}) {
    steps_.push_back({written, answer, nullptr});
    return *this;
  }
  // Runs `action` right after the display has answered the last step (to cancel, say).
  BootLoaderScript& then(std::function<void()> action) {
    steps_.back().action = std::move(action);
    return *this;
  }

  // 0xFF answered with FE and the model id.
  BootLoaderScript& probe(uint8_t modelId) { return host({0xFF}, {0xFE, modelId}); }
  // The announcement frame, the wake bytes and the cells that show "Firmware Upload...".
  BootLoaderScript& uploadMessage(const Bytes& cells) {
    return host(hex("79 38 02 50 00 16")).host({0xFF}).host({0xFF}).host(cells).host({0xFF});
  }
  BootLoaderScript& infoMode() { return host({0xAE}, {0x4F}).host(ascii("INFO "), ascii("INFOI")); }
  // INFO mode, then one address-bit command and the display's answer.
  BootLoaderScript& addressBit(uint8_t command, uint8_t answer) {
    return infoMode().host({command}, {answer});
  }
  // Echoes the first 16 characters one by one; the closing blank is not answered.
  BootLoaderScript& epromSwitch() {
    host({0xAE}, {0x4F});
    for (char character : std::string("EPROMUmschaltung")) {
      host({static_cast<uint8_t>(character)}, {static_cast<uint8_t>(character)});
    }
    return host({' '});
  }
  BootLoaderScript& erase() { return infoMode().host({0x4C}, {0x4C}); }
  BootLoaderScript& beginUpload() { return host({0xAD}, {0x4F}); }
  BootLoaderScript& record(const std::string& text, uint8_t answer = 0x4F) {
    return host(ascii(text), {answer});
  }
  BootLoaderScript& flashSwitch() {
    return host({0xAE}, {0x4F}).host(ascii("FLASHUmschaltung "), ascii("FLASHUmschaltungF"));
  }

  void attachTo(ScriptedPort& port) {
    port.setResponder([this](const Bytes& written, ScriptedPort& target) {
      if (next_ >= steps_.size()) {
        ADD_FAILURE() << "unscripted write " << toHex(written);
        return;
      }
      const Step& step = steps_[next_++];
      if (written != step.written) {
        ADD_FAILURE() << "write " << next_ << ": " << toHex(written) << ", scripted "
                      << toHex(step.written);
      }
      target.deliver(step.answer);
      if (step.action) step.action();
    });
  }

  // Every scripted write happened.
  bool done() const { return next_ == steps_.size(); }
  size_t position() const { return next_; }

  // All bytes the script expects the host to write, in order.
  Bytes transcript() const {
    Bytes all;
    for (const Step& step : steps_) all = all + step.written;
    return all;
  }

 private:
  struct Step {
    Bytes written;
    Bytes answer;
    std::function<void()> action;
  };
  std::vector<Step> steps_;
  size_t next_ = 0;
};

}  // namespace QrTest::Eprom
