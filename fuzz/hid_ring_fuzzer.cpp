// Input reports into the HID port's ring, interleaved with reads of any size: whatever the
// reports say about their length, the bytes read are the newest payload bytes in order.
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <memory>
#include <vector>

#include <algorithm>
#include "fuzz/support/FuzzPort.h"
#include "qrcom/base/NativeSync.h"
#include "qrcom/port/HidPort.h"
#include "tests/support/ScriptedHid.h"
#include "tests/support/VirtualClock.h"

namespace {
const std::wstring kPath = L"\\\\?\\hid#vid_4c7a&pid_0054#1#{guid}";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QrFuzz::Choices choose(data, size);
  const uint32_t inputLength = 3u + choose.byte();
  QrTest::ScopedVirtualClock clock;
  QrTest::ScriptedHidBus bus;
  auto device =
      std::make_shared<QrTest::ScriptedHid>(*clock, QrCom::HidCapabilities{inputLength, 64});
  bus.attach(kPath, device);
  QrCom::HidPort port(kPath);

  std::deque<uint8_t> expected;  // what the ring should hold
  while (size > 0) {
    const uint8_t step = choose.byte();
    if (step & 0x80) {
      // An input report as the device sends it; the system cuts it to the report length.
      const size_t length = std::min<size_t>({static_cast<size_t>(step & 0x7F), size, inputLength});
      QrTest::Bytes report(data, data + length);
      data += length;
      size -= length;
      device->deliver(report);
      // Until the reader has put it into the ring.
      QrCom::NativeEvent never;
      device->waitForInput(never, 0);
      if (length > 2 && report[0] == 0x01) {
        const size_t count = std::min<size_t>(report[1], length - 2);
        expected.insert(expected.end(), report.begin() + 2, report.begin() + 2 + count);
        while (expected.size() > QrCom::HidPort::kRingSize - 1) expected.pop_front();
      }
    } else {
      std::vector<uint8_t> read(step + 1u);
      const uint32_t count =
          port.readBuffer(read.data(), static_cast<uint32_t>(read.size()), false);
      if (count > read.size() || count > expected.size()) std::abort();
      for (uint32_t i = 0; i < count; ++i) {
        if (read[i] != expected.front()) std::abort();
        expected.pop_front();
      }
    }
  }
  return 0;
}
