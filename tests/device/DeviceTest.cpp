// The device object: identification, the strategies it picks, and its gateway, which opens the
// port around each outer operation and hands it over to and from monitor mode.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <thread>

#include "qrcom/base/Utf8.h"
#include "qrcom/firmware/ServiceInfo.h"
#include "qrcom/protocol/DirectoryEntry.h"
#include "tests/support/BorrowedPort.h"
#include "tests/support/Conversation.h"
#include "tests/support/DeviceInspector.h"
#include "tests/support/Failures.h"
#include "tests/support/ScopedHidLink.h"

namespace QrCom {
namespace {

using namespace QrTest;

const std::wstring kDisplayPath = L"\\\\?\\hid#vid_4c7a&pid_0054#7&2b1f3a5&0&0000#{hid}";

// "79 54 0D 41 4F 42 ... 16": an extended packet of type 41 whose payload is `text`.
std::string textPacket(const std::string& modelId, const std::string& text) {
  return "79 " + modelId + " " + toHex({static_cast<uint8_t>(text.size() + 1)}) + " 41 " +
         toHex(ascii(text)) + " 16";
}

// A display on a scripted HID port: every device a test makes opens this port (the opens and
// closes are counted) and talks to the conversation the test scripts.
class ScriptedDisplayTest : public ::testing::Test {
 protected:
  // Identification and protocol version; an empty answer is a display ignoring the request.
  void identifies(const std::string& modelId, const std::string& versionAnswer) {
    display.step("FF", "FE " + modelId).step("0C", versionAnswer);
    if (!versionAnswer.empty()) display.step("06 16");
  }

  // A current display (model 84, protocol 0x0102) that tells its serial number and version;
  // the counts and the port's log start afresh.
  std::unique_ptr<QuorlinDevice> makeVantra() {
    identifies("54", "06 0C 01 02 16");
    display.step("79 54 01 41 16", textPacket("54", "OB4-17-00815"));
    display.step("79 54 01 C2 16", "79 54 04 C2 03 0C 01 16");
    auto device = std::make_unique<QuorlinDevice>(kDisplayPath);
    EXPECT_TRUE(display.finished());
    port.clearLog();
    opened = closed = 0;
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

// FF is answered with FE and the model id; only a write failure passes on. The version answer is
// confirmed with 06 16; a version already assembled stands when its confirmation fails.
TEST(IdentificationTest, ModelIdAndProtocolVersion) {
  ScriptedPort port;
  port.deliver(hex("00"));  // purged first
  port.answerNextWrite(hex("FE 54"));
  EXPECT_EQ(QuorlinDevice::identifyModel(port), 84);
  port.answerNextWrite(hex("FD 54"));
  EXPECT_EQ(QuorlinDevice::identifyModel(port), 0);
  Conversation display(port);
  display.step("0C", "06 0C 01 02 16").step("06 16");
  EXPECT_EQ(QuorlinDevice::queryProtocolVersion(port), 0x0102);
  EXPECT_TRUE(display.finished());
  EXPECT_EQ(port.written(), hex("FF FF 0C 06 16"));
  port.setResponder([](const Bytes& written, ScriptedPort& self) {
    if (written == hex("0C")) self.deliver(hex("06 0C 00 03 16"));
    if (written != hex("0C")) throw CannotWriteToPortException(L"write failed");
  });
  EXPECT_EQ(QuorlinDevice::queryProtocolVersion(port), 3);
  EXPECT_THROW(QuorlinDevice::identifyModel(port), CannotWriteToPortException);
}

TEST_F(ScriptedDisplayTest, CurrentAndFundoDisplaysReadTheirIdentity) {
  const auto vantra = makeVantra();
  EXPECT_EQ(vantra->getDeliveryYear(), 17);
  EXPECT_EQ(vantra->getFirmwareVersionPrefix(), L"3.12");
  EXPECT_EQ(vantra->getFirmwareVersion(), L"3.12") << "cut in place";
  EXPECT_TRUE(vantra->isServiceSupported(21));
  EXPECT_FALSE(vantra->isServiceSupported(36)) << "not asked of the version strategy";
  identifies("81", "06 0C 01 03 16");
  display.step("79 81 01 41 16", textPacket("81", "FNX-A0-13000"));
  display.step("79 81 01 C2 16", "79 81 04 C2 03 1E 01 16");
  display.step("79 81 01 C1 16", "79 81 0C C1 00 00 00 00 00 00 00 02 00 00 00 16");
  QuorlinDevice fundo(kDisplayPath);
  EXPECT_TRUE(display.finished());
  EXPECT_EQ(fundo.getModelName(nullptr), L"Fundo 16");
  EXPECT_TRUE(fundo.isFundoFamily());
  EXPECT_TRUE(fundo.hasDefaultSerialNumber());
  EXPECT_TRUE(fundo.isBluetoothVersion());
  EXPECT_FALSE(fundo.isServiceSupported(37)) << "not asked of the variant strategy";
}

// What the fake strategies were asked, in order: "lock;active;". `during` runs inside each call
// with the port open; a call that begins with one of `failing` throws its own text.
struct Calls {
  void operator()(const std::wstring& call) {
    log += call + L";";
    if (during) during();
    for (const std::wstring& prefix : failing) {
      if (call.rfind(prefix, 0) == 0) throw ErrorOnDeviceException(call);
    }
  }
  std::wstring log;
  std::function<void()> during;
  std::vector<std::wstring> failing;
};

// A strategy of every family the gateway tests install, which tells `calls` what it is asked
// and offers `services`; one instance is installed for each family.
struct Fakes : NoDeviceMaintenanceStrategy,
               NoFileTransferStrategy,
               NoFirmwareUploadStrategy,
               NoServiceInfoMaintenanceStrategy,
               NoSerialNumberRequestStrategy,
               NoMonitorModeStrategy {
  Fakes(Calls& calls, std::set<int> services, std::wstring serial)
      : calls(calls), services(std::move(services)), serial(std::move(serial)) {}
  bool supportsService(int serviceId) const override { return services.count(serviceId) > 0; }
  std::wstring getSerialNumber() const override { return serial; }
  void lockMassStorageProtocol(SerialPort&) override { calls(L"lock"); }
  void deleteFlash(SerialPort&) override { calls(L"deleteFlash"); }
  void setRealTimeClock(SerialPort&, const DeviceDateTime& t) override {
    calls(L"clock " + std::to_wstring(t.year * 10000 + t.month * 100 + t.day) + L" " +
          std::to_wstring(t.hour * 10000 + t.minute * 100 + t.second));
  }
  void receiveFile(SerialPort&, QuorlinDevice*, const std::wstring& source,
                   const std::wstring& target, int32_t, uint8_t, FileTransferSink*) override {
    calls(L"receive " + source + L" " + target);
  }
  void changeDirectory(SerialPort&, const std::wstring& path) override { calls(L"cd " + path); }
  uint32_t sendFileList(SerialPort&, std::vector<DirectoryEntry>&) override {
    return calls(L"list"), 0;
  }
  void deleteFile(SerialPort&, const std::wstring& name) override { calls(L"delete " + name); }
  void executeBrailleFirmwareUpdate(SerialPort&, const std::wstring& name,
                                    SecondaryFirmwareUploadProgressSink*) override {
    calls(L"braille " + name);
  }
  void executeUsbFirmwareUpdate(SerialPort&, const std::wstring& name,
                                SecondaryFirmwareUploadProgressSink*) override {
    calls(L"usb " + name);
  }
  void cancel() override { calls(L"cancel"); }
  void receiveServiceInformation(SerialPort&, ServiceInfo&) override { calls(L"read record"); }
  void stopGlint(SerialPort&) override { calls(L"stopGlint"); }

  Calls& calls;
  const std::set<int> services;
  const std::wstring serial;
};

// A monitor mode that holds the port until it is asked to stop, like a real receive loop, which
// ignores a stop request that comes before it runs.
class BlockingMonitor : public NoMonitorModeStrategy {
 public:
  void startMonitorMode(SerialPort& port, MonitorSink*, QuorlinDevice*) override {
    std::unique_lock<std::mutex> lock(mutex_);
    ports_.push_back(&port);
    stop_ = false;
    changed_.notify_all();
    changed_.wait(lock, [this] { return stop_; });
  }
  int stopMonitorMode() override {
    if (onStop) onStop();
    requestStop();
    return 1;
  }
  void requestStop() override {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
    changed_.notify_all();
  }
  // The port of the loop's `run`th run once it runs; null after ten seconds without.
  SerialPort* waitForRun(size_t run) {
    std::unique_lock<std::mutex> lock(mutex_);
    const auto running = [&] { return ports_.size() >= run && !stop_; };
    return changed_.wait_for(lock, std::chrono::seconds(10), running) ? ports_[run - 1] : nullptr;
  }

  std::function<void()> onStop;

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<SerialPort*> ports_;
  bool stop_ = true;
};

struct EndSink : MonitorSink {
  void onDisplay(QuorlinDevice*, const uint8_t*, int, bool) override {}
  void onKey(QuorlinDevice*, uint8_t) override {}
  void onMonitorModeEnded(QuorlinDevice* device) override { ended = device; }
  QuorlinDevice* ended = nullptr;
};

// Polls what the monitor thread makes true, which has no event of its own; false after 10 s.
bool eventually(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

class GatewayTest : public ScriptedDisplayTest {
 protected:
  void SetUp() override {
    device = makeVantra();
    install<DeviceMaintenanceStrategy>({27, 28});
    install<FileTransferStrategy>({31, 32});
    install<FirmwareUploadStrategy>();
  }

  template <typename Family>
  void install(std::set<int> services = {}, const wchar_t* serial = L"") {
    inside().replace(std::unique_ptr<Family>(std::make_unique<Fakes>(calls, services, serial)));
  }
  DeviceInspector inside() { return DeviceInspector(*device); }
  long purges() const {
    return std::count_if(port.calls().begin(), port.calls().end(),
                         [](const auto& call) { return call.type == ScriptedPort::Call::Purge; });
  }

  Calls calls;
  std::unique_ptr<QuorlinDevice> device;
};

// Each outer operation opens, purges and closes the port once around its strategy's call; the
// log tells the nesting during each call: a file list changes first into the working directory
// on displays with directories (service 32), glint stops only with service 35.
TEST_F(GatewayTest, EachOperationAsksItsStrategyOnOnePurgedPort) {
  install<ServiceInfoMaintenanceStrategy>();
  install<MonitorModeStrategy>({35});
  clock->setLocalTime({2025, 12, 3, 24, 23, 59, 58, 0});
  calls.during = [&] {
    EXPECT_TRUE(device->isPortInUse());
    calls.log += std::to_wstring(inside().nestingCount());
  };
  // Runs one outer operation, then ends its part of the log with "|".
  const auto once = [&](const std::function<void()>& operation) {
    port.clearLog();
    opened = closed = 0;
    operation();
    EXPECT_EQ(opensAndCloses() + " " + std::to_string(purges()), "1/1 1") << toUtf8(calls.log);
    EXPECT_FALSE(device->isPortInUse());
    calls.log += L"|";
  };
  QuorlinDevice& d = *device;
  ServiceInfo info;
  std::wstring serial, version;
  std::vector<DirectoryEntry> list;
  once([&] { d.block(); });
  once([&] { d.synchronizeDateTimeToPc(); });
  once([&] { d.sendFileList(&list); });
  once([&] { d.getServiceInformationSerialNumberAndFirmwareVersion(info, serial, version); });
  EXPECT_EQ(serial + L" " + version, L"OB4-17-00815 3.12_normal_mode");
  once([&] { d.stopGlint(); });
  install<FileTransferStrategy>({31});
  once([&] { d.sendFileList(&list); });
  EXPECT_EQ(calls.log,
            L"lock;1|clock 20251224 235958;2|cd ;2list;1|read record;1|stopGlint;1|list;1|");
}

// A second thread, a port that cannot open and a failing clock (an operation inside an
// operation) each leave the port closed, never opened more than once, and the gateway free for
// the next operation; a display without clock is not asked. The second thread goes first: it
// waits for the first, which would never come with the port still held.
TEST_F(GatewayTest, ASecondThreadAndFailuresLeaveTheGatewayFree) {
  const auto idle = [&](const char* opensAndClosesSoFar) {
    EXPECT_EQ(inside().portState(), 0u);
    EXPECT_EQ(inside().nestingCount(), 0);
    EXPECT_EQ(opensAndCloses(), opensAndClosesSoFar);
  };
  std::promise<void> entered, release;
  calls.during = [&] {
    entered.set_value();
    release.get_future().wait();
  };
  std::thread first([&] { device->deleteFlash(); });
  entered.get_future().wait();
  EXPECT_EQ(failure([&] { device->deleteFlash(); }).find("MethodCollision: "), 0u);
  release.set_value();
  first.join();
  calls.during = nullptr;
  idle("1/1");
  {
    ScopedHidLink unplugged(nullptr, [](const std::wstring&) -> std::unique_ptr<SerialPort> {
      throw UnableToOpenPortException(L"Can not open port");
    });
    EXPECT_THROW(device->block(), UnableToOpenPortException);
    idle("1/1");
  }
  calls.failing = {L"clock"};
  EXPECT_THROW(device->synchronizeDateTimeToPc(), ErrorOnDeviceException);
  idle("2/2");
  calls.failing.clear();
  device->synchronizeDateTimeToPc();
  idle("3/3");
  install<DeviceMaintenanceStrategy>();
  device->synchronizeDateTimeToPc();
  EXPECT_EQ(opened, 3);
}

TEST_F(GatewayTest, SecondaryFirmwareIsStoredRunAndDeletedAgainAlsoAfterAFailure) {
  device->loadBrailleFirmware(L"/pkg/8051.hex", nullptr);
  device->loadUsbFirmware(L"/pkg/usb.rom", nullptr);
  EXPECT_EQ(calls.log,
            L"receive /pkg/8051.hex 8051.hex;braille 8051.hex;delete 8051.hex;"
            L"receive /pkg/usb.rom vnc2.rom;usb vnc2.rom;delete vnc2.rom;");
  calls.log.clear();
  calls.failing = {L"usb", L"delete"};  // a failing delete does not hide the update's failure
  EXPECT_EQ(failureOf([&] { device->loadUsbFirmware(L"/pkg/usb.rom", nullptr); }), L"usb vnc2.rom");
  EXPECT_EQ(calls.log, L"receive /pkg/usb.rom vnc2.rom;usb vnc2.rom;delete vnc2.rom;");
}

TEST_F(GatewayTest, CancelReachesUploadAndTransferWhileTheDeviceLockIsHeld) {
  inside().lockDevice();  // as while a port opens or closes
  auto cancelled = std::async(std::launch::async, [&] { device->cancelTransfer(); });
  EXPECT_EQ(cancelled.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  inside().unlockDevice();
  cancelled.wait();
  EXPECT_EQ(calls.log, L"cancel;cancel;");
  EXPECT_EQ(opened, 0);
}

// For the USB firmware upload: the display came back under a new path. HID ports open
// exclusively, so the old one is closed first.
TEST_F(GatewayTest, ReopeningTheHidPortReplacesItAndKeepsItsPath) {
  const std::wstring newPath = L"\\\\?\\hid#vid_4c7a&pid_0054#9&new";
  std::vector<std::wstring> paths;
  ScopedHidLink recording(nullptr, [&](const std::wstring& path) {
    paths.push_back(path + L" " + std::to_wstring(closed));
    return std::make_unique<BorrowedPort>(port, &closed);
  });
  calls.during = [&] {
    SerialPort* reopened = &device->reopenHidPort(newPath);
    EXPECT_EQ(reopened, inside().currentPort());
    EXPECT_EQ(inside().portState(), 1u);
  };
  device->deleteFlash();
  calls.during = nullptr;
  device->deleteFlash();
  EXPECT_EQ(paths,
            (std::vector<std::wstring>{kDisplayPath + L" 0", newPath + L" 1", newPath + L" 2"}));
}

// The port goes 5 (monitor mode has it) -> 2 (operation waits) -> 3 (operation holds it) ->
// 4 (monitor may resume) -> 5, and stays the same port throughout. Ending monitor mode tells the
// sink and closes the port; deleting the device ends a running monitor mode.
TEST_F(GatewayTest, AnOperationPausesMonitorModeOnTheSamePort) {
  auto* monitor = new BlockingMonitor;
  inside().replace(std::unique_ptr<MonitorModeStrategy>(monitor));
  EndSink sink;
  device->startMonitorMode(&sink);
  SerialPort* monitorPort = monitor->waitForRun(1);
  ASSERT_NE(monitorPort, nullptr);
  EXPECT_EQ(inside().portState(), 5u);
  uint32_t atStop = 0, during = 0;
  SerialPort* portDuring = nullptr;
  monitor->onStop = [&] { atStop = inside().portState(); };
  calls.during = [&] {
    during = inside().portState();
    portDuring = inside().currentPort();
    inside().lockDevice();  // keeps the restarted monitor thread from taking the port at once
  };
  device->deleteFile(L"old.txt");
  EXPECT_EQ(inside().portState(), 4u);
  inside().unlockDevice();
  EXPECT_EQ(atStop * 10 + during, 23u);
  EXPECT_EQ(portDuring, monitorPort);
  EXPECT_EQ(monitor->waitForRun(2), monitorPort);
  EXPECT_EQ(inside().portState(), 5u);
  EXPECT_EQ(opensAndCloses(), "1/0");

  monitor->onStop = nullptr;
  device->endMonitorMode();
  EXPECT_EQ(sink.ended, device.get());
  EXPECT_FALSE(device->isMonitorModeRequested());
  ASSERT_TRUE(eventually([&] { return device->isMonitorModeIdle(); }));
  EXPECT_EQ(inside().portState(), 0u);
  EXPECT_EQ(closed, 1);
  device->startMonitorMode(&sink);
  ASSERT_NE(monitor->waitForRun(3), nullptr);
  device.reset();
  EXPECT_EQ(closed, 2);
}

}  // namespace
}  // namespace QrCom
