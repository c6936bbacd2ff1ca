#include "qrcom/device/DeviceList.h"

#include <gtest/gtest.h>

#include "emulator/Catalog.h"
#include "emulator/EmulatedComPorts.h"
#include "emulator/hid/EmulatedHidBus.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

// Emulated displays behind COM port numbers: a Vantra on 5, a Selvar on 3, and on 4 a display
// another program holds; a Fundo on the USB-HID bus. (Search order, the busy port's second
// probe, link kinds and filters are tested on ptys.)
class DeviceListTest : public ::testing::Test {
 protected:
  DeviceListTest() {
    com.attach(5, *vantra);
    com.attach(3, *selvar);
    com.attach(4, *held);
    held->setBusy(true);
    hid.attach(*fundo);
  }

  static SearchRequest request(std::vector<int> comPorts,
                               std::set<int> links = {SearchRequest::kComPorts}) {
    SearchRequest made;
    made.linkKinds = std::move(links);
    made.comPortNumbers = std::move(comPorts);
    made.serviceFilter = {21};
    return made;
  }

  QrTest::ScopedVirtualClock clock;
  QrEmu::EmulatedComPorts com{&*clock};
  std::unique_ptr<QrEmu::Display> vantra = QrEmu::makeDisplay(84, 0x0103);
  std::unique_ptr<QrEmu::Display> selvar = QrEmu::makeDisplay(116, 3);
  std::unique_ptr<QrEmu::Display> held = QrEmu::makeDisplay(84, 0x0103);
  std::unique_ptr<QrEmu::Display> fundo = QrEmu::makeDisplay(129, 0x0103);
  QrEmu::EmulatedHidBus hid{&*clock};
  DeviceList list;
};

// Mended: findFirst took the ports ascending like a sequential search.
TEST_F(DeviceListTest, SequentialSearchesTakePortsAscendingOnceWithoutRetryFindFirstInTheirOrder) {
  list.searchSequential(request({5, 4, 3, 5}));
  EXPECT_EQ(list.count(), 2u);
  EXPECT_EQ(com.openings(5), 1u);
  EXPECT_EQ(com.openings(4), 1u);
  list.findFirst(request({5, 3}));
  ASSERT_EQ(list.count(), 1u);
  EXPECT_EQ(list.at(0).getPortNumber(), 5);
  EXPECT_EQ(list.at(0).getSerialNumber(), L"VAN-22-00417");
  EXPECT_EQ(com.openings(3), 1u);
}

TEST_F(DeviceListTest, RemovedDevicesGoBackToTheCallerAndAreInsertedByPortNumber) {
  list.search(request({5, 3}, {SearchRequest::kComPorts, SearchRequest::kHidInterfaces}));
  ASSERT_EQ(list.count(), 3u);
  EXPECT_TRUE(list.at(0).isUsbHid());
  EXPECT_NO_THROW(list.at(0).isAvailable()) << "the copy the search keeps opens by its path";
  QuorlinDevice* selvar = &list.at(1);
  std::unique_ptr<QuorlinDevice> removed = list.remove(selvar);
  EXPECT_EQ(list.remove(selvar), nullptr);
  list.insertSorted(std::move(removed));
  EXPECT_EQ(&list.at(1), selvar);
  EXPECT_EQ(list.at(2).getPortNumber(), 5);
}

}  // namespace
}  // namespace QrCom
