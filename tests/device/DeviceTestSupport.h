#pragma once

#include <atomic>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "qrcom/device/QuorlinDevice.h"
#include "tests/support/BorrowedPort.h"
#include "tests/support/Conversation.h"
#include "tests/support/DeviceInspector.h"
#include "tests/support/ScopedHidLink.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/VirtualClock.h"

namespace QrTest {

inline const std::wstring kDisplayPath =
    L"\\\\?\\hid#vid_4c7a&pid_0054#7&2b1f3a5&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";

// "79 54 0D 41 4F 42 ... 16": an extended packet whose payload is `text`.
inline std::string textPacket(const std::string& modelId, const std::string& type,
                              const std::string& text) {
  std::string packet =
      "79 " + modelId + " " + toHex({static_cast<uint8_t>(text.size() + 1)}) + " " + type;
  for (char character : text) packet += " " + toHex({static_cast<uint8_t>(character)});
  return packet + " 16";
}

// A display on a scripted HID port: every device a test makes opens this port (the opens and
// closes are counted) and talks to the conversation the test scripts.
class ScriptedDisplayTest : public ::testing::Test {
 protected:
  // The identification and protocol-version exchanges of a display; an empty version answer is
  // a display that ignores the version request.
  void identifies(const std::string& modelId, const std::string& versionAnswer) {
    display.step("FF", "FE " + modelId);
    display.step("0C", versionAnswer);
    if (!versionAnswer.empty()) display.step("06 16");
  }

  // A current display (model 84, protocol 0x0103) with serial number and version.
  std::unique_ptr<QrCom::QuorlinDevice> makeVantra() {
    identifies("54", "06 0C 01 03 16");
    display.step("79 54 01 41 16", textPacket("54", "41", "OB4-17-00815"));
    display.step("79 54 01 C2 16", "79 54 04 C2 03 0C 01 16");
    auto device = std::make_unique<QrCom::QuorlinDevice>(kDisplayPath);
    EXPECT_TRUE(display.finished());
    port.clearLog();
    opened = 0;
    closed = 0;
    return device;
  }

  // "2/1": two opens of the display's port and one close so far.
  std::string opensAndCloses() const {
    return std::to_string(opened) + "/" + std::to_string(closed);
  }

  ScopedVirtualClock clock;
  ScriptedPort port{&*clock, ScriptedPort::Kind::Hid};
  Conversation display{port};
  std::atomic<int> opened{0};
  std::atomic<int> closed{0};
  ScopedHidLink link{nullptr, [this](const std::wstring&) {
                       ++opened;
                       return std::make_unique<BorrowedPort>(port, &closed);
                     }};
};

}  // namespace QrTest
