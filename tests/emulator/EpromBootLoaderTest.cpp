#include "emulator/modules/EpromBootLoader.h"

#include <gtest/gtest.h>

#include <future>

#include "emulator/Display.h"
#include "emulator/EmulatedPort.h"
#include "emulator/modules/Identification.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/firmware/EpromVersion11FirmwareUploadStrategy.h"
#include "tests/support/VirtualClock.h"

namespace QrEmu {
namespace {

// The user cancels from another thread while the upload waits after its tenth record (into a
// display of a single bank).
TEST(EpromBootLoaderTest, CancelFromAnotherThreadEndsTheUploadQuietly) {
  QrTest::ScopedVirtualClock clock;
  Display display{116, 3};
  display.add<Identification>();
  EpromBootLoader& loader = display.add<EpromBootLoader>(EpromBootLoader::Options{1});
  EmulatedPort port{display, &*clock};
  QrCom::EpromVersion11FirmwareUploadStrategy strategy(nullptr, 116, 40);
  std::promise<void> tenthRecord;
  auto user = std::async(std::launch::async, [&] {
    tenthRecord.get_future().wait();
    strategy.cancel();
  });
  int records = 0;
  display.setTrace([&](const TraceEvent& event) {
    if (event.kind == TraceEvent::FromHost && !event.bytes.empty() && event.bytes[0] == ':' &&
        ++records == 10) {
      tenthRecord.set_value();
      user.wait();
    }
  });
  strategy.loadFirmware(port, QrCom::fromUtf8(QR_TEST_DATA "/firmware/LFONLY.H00"), nullptr);
  if (records < 10) tenthRecord.set_value();  // the upload failed early: let the user go
  auto guard = display.lock();
  EXPECT_EQ(loader.flash().records(0).size(), 10u);
  EXPECT_FALSE(loader.runsNewFirmware());
}

}  // namespace
}  // namespace QrEmu
