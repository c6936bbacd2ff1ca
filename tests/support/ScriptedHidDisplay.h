#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tests/support/ScriptedHid.h"

namespace QrTest {

// A display behind scripted HID reports: it answers the identification and protocol-version
// exchanges and hands every extended packet to a test's handler, whose answer bytes go back in
// input reports. It records the packets in the order they came.
class ScriptedHidDisplay {
 public:
  struct Packet {
    uint8_t type;
    Bytes payload;
  };
  // The answer to one packet (empty: silence).
  using Handler = std::function<Bytes(const Packet& packet)>;

  ScriptedHidDisplay(VirtualClock& clock, uint8_t modelId, uint16_t version);

  std::shared_ptr<ScriptedHid> device() const { return device_; }
  void setHandler(Handler handler);
  std::vector<Packet> packets() const;
  // Starts the record afresh (after the queries a device makes when it is constructed).
  void forgetPackets();
  // The acknowledgement 79 id 02 07 7E 16 and a refusal.
  Bytes acknowledgement() const { return {0x79, modelId_, 0x02, 0x07, 0x7E, 0x16}; }
  Bytes refusal() const { return {0x79, modelId_, 0x02, 0x07, 0x00, 0x16}; }

 private:
  void onReport(const Bytes& report);
  void answer(const Bytes& bytes);

  std::shared_ptr<ScriptedHid> device_;
  uint8_t modelId_;
  uint16_t version_;
  mutable std::mutex mutex_;
  Bytes pending_;
  Handler handler_;
  std::vector<Packet> packets_;
};

}  // namespace QrTest
