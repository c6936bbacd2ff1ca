#include "qrcom/device/DeviceList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <stdexcept>

#include "emulator/Catalog.h"
#include "emulator/EmulatedComPorts.h"
#include "qrcom/base/QrException.h"
#include "tests/support/Conversation.h"
#include "tests/support/DeviceInspector.h"
#include "tests/support/ScopedHidLink.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

using namespace QrTest;

const std::wstring kFirst = L"\\\\?\\hid#vid_4c7a&pid_0054#7&1";
const std::wstring kSecond = L"\\\\?\\hid#vid_4c7a&pid_0044#7&2";
const std::wstring kThird = L"\\\\?\\hid#vid_4c7a&pid_0054#7&3";
const std::wstring kBusy = L"\\\\?\\hid#vid_4c7a&pid_0054#7&4";

// A display on a HID port that tells its model id ("54": a current display, 84) and protocol
// version; "44", a Tilbry (68, service information only), ignores the version request.
class IdentifyingPort : public ScriptedPort {
 public:
  explicit IdentifyingPort(const std::string& model) : ScriptedPort(nullptr, Kind::Hid) {
    display_.step("FF", "FE " + model).step("0C", model == "44" ? "" : "06 0C 01 03 16");
    if (model != "44") display_.step("06 16");
  }

 private:
  Conversation display_{*this};
};

// USB-HID interfaces for the HID link, probed from several threads: each open of a path finds
// its display answering afresh. Read `opens` and `enumerations` only after a search.
class HidCandidates {
 public:
  // `model` as IdentifyingPort has it; "busy": held by another program; "": no display's.
  void add(const std::wstring& path, const std::string& model) {
    models_[path] = model;
    paths_.push_back(path);
  }
  ScopedHidLink::Lister lister() {
    return [this] {
      std::lock_guard<std::mutex> guard(mutex_);
      ++enumerations;
      return paths_;
    };
  }
  HidPortOpener opener() {
    return [this](const std::wstring& path) -> std::unique_ptr<SerialPort> {
      std::lock_guard<std::mutex> guard(mutex_);
      opens.push_back(path);
      if (models_.at(path) == "busy") throw UnableToOpenPortException(L"Can not open port");
      return std::make_unique<IdentifyingPort>(models_.at(path));
    };
  }

  std::vector<std::wstring> opens;
  int enumerations = 0;

 private:
  std::mutex mutex_;
  std::map<std::wstring, std::string> models_;
  std::vector<std::wstring> paths_;
};

SearchRequest request(std::set<int> services, std::set<int> links = {SearchRequest::kHidInterfaces},
                      std::vector<int> comPorts = {}) {
  SearchRequest made;
  made.linkKinds = std::move(links);
  made.comPortNumbers = std::move(comPorts);
  made.serviceFilter = std::move(services);
  return made;
}

// HID candidates, and emulated displays behind COM port numbers.
class DeviceListTest : public ::testing::Test {
 protected:
  HidCandidates bus;
  ScopedHidLink link{bus.lister(), bus.opener()};
  ScopedVirtualClock clock;
  QrEmu::EmulatedComPorts com{&*clock};
  std::unique_ptr<QrEmu::Display> vantra = QrEmu::makeDisplay(84, 0x0103);
  std::unique_ptr<QrEmu::Display> selvar = QrEmu::makeDisplay(116, 3);
  DeviceList list;
};

TEST_F(DeviceListTest, KeepsTheDisplaysThatOfferAFilteredService) {
  bus.add(kFirst, "54");
  bus.add(L"\\\\?\\hid#vid_4c7a&pid_0054&mi_01#7&9", "");
  bus.add(L"\\\\?\\hid#vid_046d&pid_c077#7&9", "");
  bus.add(kSecond, "44");
  bus.add(kThird, "85");  // 133: no services
  list.search(request({13, 21}));
  ASSERT_EQ(list.count(), 2u);
  EXPECT_EQ(list.at(0).getModelId(), 84);
  EXPECT_EQ(list.at(1).getModelId(), 68);
  EXPECT_EQ(list.findByPortNumber(0), &list.at(0));
  EXPECT_EQ(list.findByPortNumber(3), nullptr);
  EXPECT_EQ(bus.opens.size(), 3u);  // the foreign interfaces are never opened
  EXPECT_THROW(list.at(-1), std::out_of_range);
  EXPECT_THROW(list.at(2), std::out_of_range);

  struct Watched : NoMonitorModeStrategy {
    explicit Watched(std::atomic<bool>& gone) : gone(gone) {}
    ~Watched() override { gone = true; }
    std::atomic<bool>& gone;
  };
  std::atomic<bool> gone{false};
  DeviceInspector(list.at(0)).replace(std::make_unique<Watched>(gone));
  list.search(request({}));  // an empty filter keeps nothing
  EXPECT_TRUE(gone) << "the devices of the search before are deleted";
  EXPECT_EQ(list.count(), 0u);
}

TEST_F(DeviceListTest, ABusyPortIsProbedOnceMoreAfterAllOthersThenLeftOut) {
  bus.add(kBusy, "busy");
  bus.add(kFirst, "54");
  bus.add(kSecond, "44");
  list.search(request({21}));
  EXPECT_EQ(list.count(), 2u);
  ASSERT_EQ(bus.opens.size(), 4u);
  EXPECT_EQ(std::count(bus.opens.begin(), bus.opens.end(), kBusy), 2);
  EXPECT_EQ(bus.opens.back(), kBusy);
}

TEST_F(DeviceListTest, SequentialSearchesProbeInTurnAndDoNotRetry) {
  bus.add(kThird, "85");
  bus.add(kBusy, "busy");
  bus.add(kFirst, "54");
  bus.add(kSecond, "44");
  list.searchSequential(request({21}));
  EXPECT_EQ(list.count(), 2u);
  EXPECT_EQ(bus.opens, (std::vector<std::wstring>{kThird, kBusy, kFirst, kSecond}));
  list.findFirst(request({21}));
  ASSERT_EQ(list.count(), 1u);
  EXPECT_EQ(list.at(0).getModelId(), 84);
  EXPECT_EQ(bus.opens.size(), 7u);  // the Tilbry is not probed again
}

TEST_F(DeviceListTest, EverySearchTellsTheObserver) {
  struct Recorder : SearchObserver {
    void searchStarted() override { events += "started "; }
    void searchFinished() override { events += "finished "; }
    std::string events;
  } observer;
  SearchRequest observed = request({21});
  observed.observer = &observer;
  list.search(observed);
  list.searchSequential(observed);
  list.findFirst(observed);
  EXPECT_EQ(observer.events, "started finished started finished started finished ");
}

TEST_F(DeviceListTest, ComPortsOnlyWhenAskedAscendingOnceInTurnAndInTheirOrderForFindFirst) {
  com.attach(5, *vantra);
  com.attach(3, *selvar);
  bus.add(kFirst, "54");
  list.searchSequential(request({21}, {SearchRequest::kComPorts}, {5, 3, 5}));
  EXPECT_EQ(list.count(), 2u);
  EXPECT_EQ(com.openings(5), 1u);
  EXPECT_EQ(bus.enumerations, 0);
  list.findFirst(request({21}, {SearchRequest::kComPorts}, {5, 3}));
  ASSERT_EQ(list.count(), 1u);
  EXPECT_EQ(list.at(0).getPortNumber(), 5);
  EXPECT_EQ(com.openings(3), 1u);
  list.search(request({21}, {7, SearchRequest::kHidInterfaces}, {5}));
  EXPECT_EQ(list.count(), 1u);
  EXPECT_EQ(com.openings(5), 2u);
}

TEST_F(DeviceListTest, RemovedDevicesGoBackToTheCallerAndAreInsertedByPortNumber) {
  com.attach(5, *vantra);
  com.attach(3, *selvar);
  bus.add(kFirst, "54");
  bus.add(kSecond, "44");
  list.search(request({21}, {SearchRequest::kComPorts, SearchRequest::kHidInterfaces}, {5}));
  DeviceList other;
  other.search(request({21}, {SearchRequest::kComPorts}, {3}));
  QuorlinDevice* first = &list.at(0);
  std::unique_ptr<QuorlinDevice> removed = list.remove(first);
  EXPECT_EQ(removed.get(), first);
  EXPECT_EQ(list.remove(first), nullptr);
  list.insertSorted(other.remove(&other.at(0)));
  list.insertSorted(std::move(removed));
  ASSERT_EQ(list.count(), 4u);
  EXPECT_EQ(&list.at(1), first);  // equal port numbers: after the ones already there
  EXPECT_EQ(list.at(2).getPortNumber(), 3);
  EXPECT_EQ(list.at(3).getPortNumber(), 5);
}

}  // namespace
}  // namespace QrCom
