#include "qrcom/device/DeviceList.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "emulator/Catalog.h"
#include "emulator/EmulatedComPorts.h"
#include "tests/device/HidCandidates.h"
#include "tests/support/DeviceInspector.h"
#include "tests/support/ScopedHidLink.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

using namespace QrTest;

const std::wstring kFirst = L"\\\\?\\hid#vid_4c7a&pid_0054#7&1&0000#{hid}";
const std::wstring kSecond = L"\\\\?\\hid#vid_4c7a&pid_0044#7&2&0000#{hid}";
const std::wstring kThird = L"\\\\?\\hid#vid_4c7a&pid_0054#7&3&0000#{hid}";
const std::wstring kBusy = L"\\\\?\\hid#vid_4c7a&pid_0054#7&4&0000#{hid}";

// Serial number, version and service information answered by a current display (84).
const Script kVantraDisplay = identifyingDisplay("54", "06 0C 01 03 16");
// A Tilbry (68) that ignores the version request: service information only.
const Script kTilbry = identifyingDisplay("44", "");
// Model 133: a display without any service.
const Script kUnknown = identifyingDisplay("85", "06 0C 01 03 16");

SearchRequest hidRequest(std::set<int> services = {21}) {
  SearchRequest request;
  request.linkKinds = {SearchRequest::kHidInterfaces};
  request.serviceFilter = std::move(services);
  return request;
}

class DeviceListTest : public ::testing::Test {
 protected:
  HidCandidates bus;
  ScopedHidLink link{bus.lister(), bus.opener()};
  DeviceList list;
};

TEST_F(DeviceListTest, KeepsTheDisplaysThatOfferAFilteredService) {
  bus.add(kFirst, kVantraDisplay);
  bus.addForeign(L"\\\\?\\hid#vid_4c7a&pid_0054&mi_01#7&9&0001#{hid}");
  bus.addForeign(L"\\\\?\\hid#vid_046d&pid_c077#7&9&0002#{hid}");
  bus.add(kSecond, kTilbry);
  bus.add(kThird, kUnknown);
  list.search(hidRequest({13, 21}));
  ASSERT_EQ(list.count(), 2u);
  EXPECT_EQ(list.at(0).getModelId(), 84);
  EXPECT_EQ(list.at(1).getModelId(), 68);
  EXPECT_EQ(list.findByPortNumber(0), &list.at(0));
  EXPECT_EQ(list.findByPortNumber(3), nullptr);
  EXPECT_TRUE(list.at(0).isUsbHid());
  EXPECT_EQ(bus.opens().size(), 3u);  // the foreign interfaces are never opened
}

TEST_F(DeviceListTest, OnlyTheRequestedLinkKindsAreSearched) {
  bus.add(kFirst, kVantraDisplay);
  SearchRequest request = hidRequest();
  request.linkKinds = {SearchRequest::kComPorts};
  list.search(request);
  list.searchSequential(request);
  list.findFirst(request);
  EXPECT_EQ(bus.enumerations(), 0);
  EXPECT_EQ(list.count(), 0u);

  request.linkKinds = {7, SearchRequest::kHidInterfaces};
  list.search(request);
  EXPECT_EQ(list.count(), 1u);
}

TEST_F(DeviceListTest, AnEmptyServiceFilterKeepsNothing) {
  bus.add(kFirst, kVantraDisplay);
  bus.add(kSecond, kTilbry);
  list.search(hidRequest({}));
  EXPECT_EQ(list.count(), 0u);
  EXPECT_EQ(bus.opens().size(), 2u);
}

TEST_F(DeviceListTest, ABusyPortIsProbedOnceMoreAfterAllOthersThenLeftOut) {
  bus.addBusy(kBusy);
  bus.add(kFirst, kVantraDisplay);
  bus.add(kSecond, kTilbry);
  list.search(hidRequest());
  EXPECT_EQ(list.count(), 2u);
  const std::vector<std::wstring> opens = bus.opens();
  ASSERT_EQ(opens.size(), 4u);
  EXPECT_EQ(std::count(opens.begin(), opens.end(), kBusy), 2);
  EXPECT_EQ(opens.back(), kBusy);
}

TEST_F(DeviceListTest, IndexesOutsideTheListThrow) {
  bus.add(kFirst, kVantraDisplay);
  list.search(hidRequest());
  EXPECT_THROW(list.at(-1), std::out_of_range);
  EXPECT_THROW(list.at(static_cast<int>(list.count())), std::out_of_range);
  try {
    list.at(1);
  } catch (const std::out_of_range& error) {
    EXPECT_STREQ(error.what(), "");
  }
}

TEST_F(DeviceListTest, ASecondSearchDeletesTheDevicesOfTheFirst) {
  struct Watched : NoMonitorModeStrategy {
    explicit Watched(std::atomic<bool>& gone) : gone_(gone) {}
    ~Watched() override { gone_ = true; }
    std::atomic<bool>& gone_;
  };
  bus.add(kFirst, kVantraDisplay);
  list.search(hidRequest());
  ASSERT_EQ(list.count(), 1u);
  std::atomic<bool> gone{false};
  DeviceInspector(list.at(0)).replace(std::make_unique<Watched>(gone));
  list.search(hidRequest({37}));
  EXPECT_TRUE(gone);
  EXPECT_EQ(list.count(), 0u);
}

TEST_F(DeviceListTest, EverySearchTellsTheObserver) {
  struct Recorder : SearchObserver {
    void searchStarted() override { events += "started "; }
    void searchFinished() override { events += "finished "; }
    std::string events;
  } observer;
  SearchRequest request = hidRequest();
  request.observer = &observer;
  list.search(request);
  list.searchSequential(request);
  list.findFirst(request);
  EXPECT_EQ(observer.events, "started finished started finished started finished ");
}

TEST_F(DeviceListTest, SequentialSearchesProbeInTurnAndDoNotRetry) {
  bus.add(kThird, kUnknown);
  bus.addBusy(kBusy);
  bus.add(kFirst, kVantraDisplay);
  bus.add(kSecond, kTilbry);
  list.searchSequential(hidRequest());
  EXPECT_EQ(list.count(), 2u);
  EXPECT_EQ(bus.opens(), (std::vector<std::wstring>{kThird, kBusy, kFirst, kSecond}));

  list.findFirst(hidRequest());
  ASSERT_EQ(list.count(), 1u);
  EXPECT_EQ(list.at(0).getModelId(), 84);
  EXPECT_EQ(bus.opens().size(), 7u);  // the Tilbry is not probed again
}

TEST_F(DeviceListTest, RemovedDevicesGoBackToTheCaller) {
  bus.add(kFirst, kVantraDisplay);
  bus.add(kSecond, kTilbry);
  list.search(hidRequest());
  QuorlinDevice* first = &list.at(0);
  std::unique_ptr<QuorlinDevice> removed = list.remove(first);
  EXPECT_EQ(removed.get(), first);
  EXPECT_EQ(list.count(), 1u);
  EXPECT_EQ(list.remove(first), nullptr);
  list.insertSorted(std::move(removed));
  EXPECT_EQ(&list.at(1), first);  // equal port numbers: after the ones already there
}

// COM candidates: emulated displays behind COM port numbers, in process.
class DeviceListComTest : public DeviceListTest {
 protected:
  SearchRequest bothRequest(std::vector<int> comPorts) {
    SearchRequest request = hidRequest();
    request.linkKinds = {SearchRequest::kComPorts, SearchRequest::kHidInterfaces};
    request.comPortNumbers = std::move(comPorts);
    return request;
  }

  ScopedVirtualClock clock;
  QrEmu::EmulatedComPorts com{&*clock};
  std::unique_ptr<QrEmu::Display> vantra = QrEmu::makeDisplay(84, 0x0103);
  std::unique_ptr<QrEmu::Display> selvar = QrEmu::makeDisplay(116, 3);
};

TEST_F(DeviceListComTest, HidOnlyRequestsOpenNoComPort) {
  com.attach(5, *vantra);
  SearchRequest request = bothRequest({5});
  request.linkKinds = {SearchRequest::kHidInterfaces};
  list.search(request);
  list.searchSequential(request);
  EXPECT_EQ(com.openings(5), 0u);
}

TEST_F(DeviceListComTest, SequentialSearchTakesComPortsAscendingAndOnceFindFirstInTheirOrder) {
  com.attach(5, *vantra);
  com.attach(3, *selvar);
  list.searchSequential(bothRequest({5, 3, 5}));
  EXPECT_EQ(list.count(), 2u);
  EXPECT_EQ(com.openings(5), 1u);
  list.findFirst(bothRequest({5, 3}));
  ASSERT_EQ(list.count(), 1u);
  EXPECT_EQ(list.at(0).getPortNumber(), 5);
  EXPECT_EQ(com.openings(3), 1u);
}

TEST_F(DeviceListComTest, InsertSortedKeepsPortOrder) {
  com.attach(5, *vantra);
  com.attach(3, *selvar);
  list.search(bothRequest({5}));
  DeviceList other;
  other.search(bothRequest({3}));
  list.insertSorted(other.remove(&other.at(0)));
  ASSERT_EQ(list.count(), 2u);
  EXPECT_EQ(list.at(0).getPortNumber(), 3);
}

}  // namespace
}  // namespace QrCom
