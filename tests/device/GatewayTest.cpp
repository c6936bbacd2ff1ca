#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/firmware/ServiceInfo.h"
#include "qrcom/firmware/ServiceInfoAwareDeviceMaintenanceStrategy.h"
#include "tests/device/DeviceTestSupport.h"
#include "tests/device/FakeStrategies.h"
#include "tests/support/Failures.h"

namespace QrCom {
namespace {

using namespace QrTest;

// Polls a condition another thread makes true; false after ten seconds.
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
    inside = std::make_unique<DeviceInspector>(*device);
    maintenance = install(std::make_unique<FakeMaintenance>(std::set<int>{27}));
    files = install(std::make_unique<FakeFileTransfer>(std::set<int>{31, 32}));
    upload = install(std::make_unique<FakeFirmwareUpload>());
  }

  template <typename Strategy>
  Strategy* install(std::unique_ptr<Strategy> strategy) {
    Strategy* installed = strategy.get();
    inside->replace(std::move(strategy));
    return installed;
  }

  size_t purges() const {
    size_t count = 0;
    for (const auto& call : port.calls()) count += call.type == ScriptedPort::Call::Purge;
    return count;
  }

  std::unique_ptr<QuorlinDevice> device;
  std::unique_ptr<DeviceInspector> inside;
  FakeMaintenance* maintenance = nullptr;
  FakeFileTransfer* files = nullptr;
  FakeFirmwareUpload* upload = nullptr;
};

TEST_F(GatewayTest, EachOuterOperationOpensPurgesAndClosesThePort) {
  maintenance->during = [&] {
    EXPECT_TRUE(device->isPortInUse());
    EXPECT_EQ(inside->nestingCount(), 1);
  };
  device->block();
  EXPECT_TRUE(device->isAvailable());
  EXPECT_EQ(opensAndCloses(), "2/2");
  EXPECT_EQ(purges(), 2u);
  EXPECT_EQ(maintenance->log.calls(), (std::vector<std::wstring>{L"lock", L"active"}));
  EXPECT_FALSE(device->isPortInUse());
  EXPECT_EQ(inside->nestingCount(), 0);
}

TEST_F(GatewayTest, SynchronizeDateTimeOpensThePortOnceForBothSteps) {
  clock->setLocalTime({2025, 12, 3, 24, 23, 59, 58, 0});
  device->synchronizeDateTimeToPc();
  EXPECT_EQ(opensAndCloses(), "1/1");
  EXPECT_EQ(purges(), 1u);
  const DeviceDateTime& set = maintenance->clockSet;
  EXPECT_EQ(set.year, 2025);
  EXPECT_EQ(set.month, 12);
  EXPECT_EQ(set.day, 24);
  EXPECT_EQ(set.hour, 23);
  EXPECT_EQ(set.minute, 59);
  EXPECT_EQ(set.second, 58);
}

TEST_F(GatewayTest, WithoutAClockSynchronizingDoesNothing) {
  install(std::make_unique<FakeMaintenance>());
  device->synchronizeDateTimeToPc();
  EXPECT_EQ(opened, 0);
}

TEST_F(GatewayTest, SomeVantraFirmwaresHaveNoClock) {
  struct Serial : NoSerialNumberRequestStrategy {
    explicit Serial(std::wstring text) : text_(std::move(text)) {}
    std::wstring getSerialNumber() const override { return text_; }
    std::wstring text_;
  };
  for (const wchar_t* serial : {L"FP3-17-0001", L"FP4-17-0001"}) {
    install(std::make_unique<Serial>(serial));
    EXPECT_FALSE(device->isServiceSupported(27)) << serial;
    EXPECT_FALSE(device->isServiceSupported(28)) << serial;
    device->synchronizeDateTimeToPc();
  }
  EXPECT_EQ(opened, 0);
  install(std::make_unique<Serial>(L"FP5-17-0001"));
  EXPECT_TRUE(device->isServiceSupported(27));
  install(std::make_unique<NoSerialNumberRequestStrategy>());  // no serial: nothing rules it out
  EXPECT_TRUE(device->isServiceSupported(27));
}

TEST_F(GatewayTest, ANestedFailureClosesThePortOnce) {
  maintenance->failClock = true;
  EXPECT_THROW(device->synchronizeDateTimeToPc(), ErrorOnSettingDateTime);
  EXPECT_EQ(opensAndCloses(), "1/1");
  EXPECT_EQ(inside->nestingCount(), 0);
  EXPECT_EQ(inside->portState(), 0u);

  maintenance->failClock = false;
  device->synchronizeDateTimeToPc();
  EXPECT_EQ(opensAndCloses(), "2/2");
}

TEST_F(GatewayTest, FileListsStartInTheWorkingDirectoryOnDevicesWithDirectories) {
  std::vector<DirectoryEntry> list;
  EXPECT_EQ(device->sendFileList(&list), 0u);
  EXPECT_EQ(files->log.calls(), (std::vector<std::wstring>{L"changeDirectory ", L"sendFileList"}));
  EXPECT_EQ(opened, 1);  // one port for both

  files->failOn = L"changeDirectory";
  EXPECT_THROW(device->sendFileList(&list), ErrorOnDeviceException);
  EXPECT_EQ(closed, 2);
  EXPECT_EQ(inside->nestingCount(), 0);

  auto* flat = install(std::make_unique<FakeFileTransfer>(std::set<int>{31}));
  device->sendFileList(&list);
  EXPECT_EQ(flat->log.calls(), (std::vector<std::wstring>{L"sendFileList"}));
}

TEST_F(GatewayTest, NullListsNeverOpenThePort) {
  EXPECT_EQ(device->sendFileList(nullptr), 0u);
  EXPECT_EQ(device->sendFolderList(nullptr), 0u);
  EXPECT_EQ(opened, 0);
}

TEST_F(GatewayTest, ASecondThreadIsRefused) {
  Latch latch;
  maintenance->during = [&] { latch.wait(); };
  std::thread first([&] { device->deleteFlash(); });
  ASSERT_TRUE(latch.waitUntilBlocked());
  EXPECT_EQ(failure([&] { device->doFactoryReset(); }),
            "MethodCollision: QuorlinDevice::doFactoryReset -- \n\nPort is blocked by other "
            "transfer transaction.\n\n");
  EXPECT_EQ(failureOf([&] { device->isAvailable(); }),
            L"QuorlinDevice::isAvailable\n\nPort is blocked by other transfer transaction.\n\n");
  latch.release();
  first.join();
  EXPECT_EQ(maintenance->log.calls(), (std::vector<std::wstring>{L"deleteFlash"}));
  EXPECT_EQ(opensAndCloses(), "1/1");
  maintenance->during = nullptr;
  device->doFactoryReset();  // the port is free again
}

TEST_F(GatewayTest, AnUnopenablePortLeavesTheDeviceUsable) {
  bool unplugged = true;
  ScopedHidLink flaky(nullptr, [&](const std::wstring&) -> std::unique_ptr<SerialPort> {
    if (unplugged) throw UnableToOpenPortException(L"Can not open port");
    ++opened;
    return std::make_unique<BorrowedPort>(port, &closed);
  });
  EXPECT_THROW(device->block(), UnableToOpenPortException);
  EXPECT_EQ(inside->portState(), 0u);
  EXPECT_EQ(inside->nestingCount(), 0);
  unplugged = false;
  device->block();
  EXPECT_EQ(opensAndCloses(), "1/1");
}

TEST_F(GatewayTest, SecondaryFirmwareIsStoredRunAndDeletedAgain) {
  device->loadBrailleFirmware(L"/pkg/8051.hex", nullptr);
  device->loadUsbFirmware(L"/pkg/usb.rom", nullptr);
  EXPECT_EQ(files->log.calls(), (std::vector<std::wstring>{
                                    L"receiveFile /pkg/8051.hex 8051.hex", L"deleteFile 8051.hex",
                                    L"receiveFile /pkg/usb.rom vnc2.rom", L"deleteFile vnc2.rom"}));
  EXPECT_EQ(upload->log.calls(),
            (std::vector<std::wstring>{L"executeBrailleFirmwareUpdate 8051.hex",
                                       L"executeUsbFirmwareUpdate vnc2.rom"}));
  EXPECT_EQ(opened, 2);
}

TEST_F(GatewayTest, AFailedSecondaryUpdateDeletesTheImageBeforeReporting) {
  upload->fail = true;
  EXPECT_THROW(device->loadBrailleFirmware(L"/pkg/8051.hex", nullptr), NoHexFileFoundException);
  EXPECT_EQ(files->log.calls(), (std::vector<std::wstring>{L"receiveFile /pkg/8051.hex 8051.hex",
                                                           L"deleteFile 8051.hex"}));
  EXPECT_EQ(closed, 1);

  // A failing delete does not hide the update's failure.
  files->failOn = L"deleteFile";
  EXPECT_THROW(device->loadUsbFirmware(L"/pkg/usb.rom", nullptr), NoHexFileFoundException);
  EXPECT_EQ(closed, 2);
}

TEST_F(GatewayTest, CancelReachesUploadAndTransferWhileTheDeviceLockIsHeld) {
  std::promise<void> locked, done;
  std::thread holder([&] {
    inside->lockDevice();  // as while a port opens or closes
    locked.set_value();
    done.get_future().wait();
    inside->unlockDevice();
  });
  locked.get_future().wait();
  auto cancelled = std::async(std::launch::async, [&] { device->cancelTransfer(); });
  EXPECT_EQ(cancelled.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  done.set_value();
  holder.join();
  EXPECT_EQ(upload->log.calls(), (std::vector<std::wstring>{L"cancel"}));
  EXPECT_EQ(files->log.calls(), (std::vector<std::wstring>{L"cancel"}));
  EXPECT_EQ(opened, 0);
}

TEST_F(GatewayTest, StopGlintEntersTheGatewayEvenWithoutTheService) {
  auto* monitor = install(std::make_unique<BlockingMonitor>());
  device->stopGlint();
  EXPECT_FALSE(monitor->glintStopped);
  EXPECT_EQ(opened, 1);
}

TEST_F(GatewayTest, ReopeningTheHidPortReplacesIt) {
  std::wstring reopenedOn;
  ScopedHidLink newPath(nullptr, [&](const std::wstring& path) {
    reopenedOn = path;
    ++opened;
    return std::make_unique<BorrowedPort>(port, &closed);
  });
  upload->during = [&] {
    SerialPort& reopened = device->reopenHidPort(L"\\\\?\\hid#vid_4c7a&pid_0054#9&new");
    EXPECT_EQ(&reopened, inside->currentPort());
    EXPECT_EQ(closed, 1);  // the old port is gone
    EXPECT_EQ(inside->portState(), 1u);
  };
  device->loadFirmware(L"/pkg/fw.hex", nullptr);
  EXPECT_EQ(reopenedOn, L"\\\\?\\hid#vid_4c7a&pid_0054#9&new");
  EXPECT_EQ(opensAndCloses(), "2/2");
}

TEST_F(GatewayTest, ServiceInformationWithSerialNumberAndVersion) {
  inside->replace(std::make_unique<ServiceInfoAwareDeviceMaintenanceStrategy>(0x54));
  const std::string record = "02 34 12 03 0B 07 0C 5F 01 64 06 59 09 0B 5A 03 00 00 00 00";
  display.step("79 54 01 31 16", "79 54 15 31 " + record + " 16");
  ServiceInfo info;
  std::wstring serial, version;
  device->getServiceInformationSerialNumberAndFirmwareVersion(info, serial, version);
  EXPECT_TRUE(display.finished());
  EXPECT_EQ(serial, L"OB4-17-00815");
  EXPECT_EQ(version, L"3.12_normal_mode");
  EXPECT_EQ(info.number, 0x1234);

  install(std::make_unique<NoSerialNumberRequestStrategy>());
  display.step("79 54 01 31 16", "79 54 15 31 " + record + " 16");
  device->getServiceInformationAndSerialNumber(info, serial);
  EXPECT_EQ(serial, L"");

  display.step("79 54 01 31 16", "FE");
  EXPECT_THROW(device->getServiceInformationAndSerialNumber(info, serial), ServiceInfoNotReceived);
  EXPECT_EQ(opened, closed.load());
}

TEST_F(GatewayTest, ReceivingServiceInformationWritesItToTheDisplay) {
  ServiceInfo info;
  info.kind = 2;
  info.firstDate = {3, 2011};
  display.step("79 54 15 30 02 00 00 03 0B 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 16",
               "79 54 02 07 7E 16");
  device->receiveServiceInformation(info);
  EXPECT_TRUE(display.finished());
}

TEST_F(GatewayTest, UpdatingPropertiesRebuildsTheStrategies) {
  display.step("0C", "06 0C 01 02 16").step("06 16");
  display.step("79 54 01 41 16", textPacket("54", "41", "OB4-18-00001"));
  display.step("79 54 01 C2 16", "79 54 04 C2 03 0D 01 16");
  device->updateDeviceProperties();
  EXPECT_TRUE(display.finished());
  EXPECT_EQ(device->getSerialNumber(), L"OB4-18-00001");
  EXPECT_EQ(device->getFirmwareVersion(), L"3.13_normal_mode");
  EXPECT_FALSE(isA<FakeMaintenance>(inside->maintenance()));
  EXPECT_EQ(opensAndCloses(), "1/1");
}

TEST_F(GatewayTest, UpdatingPropertiesOfASilentDisplayFails) {
  EXPECT_EQ(failure([&] { device->updateDeviceProperties(); }),
            "LostConnection: QuorlinDevice::updateDeviceProperties -- \n\nCannot get updated "
            "protocol version.\n\n");
  EXPECT_EQ(opensAndCloses(), "1/1");
  EXPECT_EQ(inside->nestingCount(), 0);
  EXPECT_TRUE(isA<FakeMaintenance>(inside->maintenance()));  // unchanged
}

TEST_F(GatewayTest, AFailedFirstReadKeepsTheOldStrategies) {
  ScriptedPort com(&*clock);
  Conversation script(com);
  script.step("0C", "06 0C 01 02 16").step("06 16").step("79 54 01 41 16");
  ScopedHidLink silentAfterVersion(nullptr, [&](const std::wstring&) {
    ++opened;
    return std::make_unique<BorrowedPort>(com, &closed);
  });
  EXPECT_THROW(device->updateDeviceProperties(), CannotReadFromPortException);
  EXPECT_EQ(device->getSerialNumber(), L"OB4-17-00815");
  EXPECT_TRUE(isA<FakeMaintenance>(inside->maintenance()));
  EXPECT_EQ(closed, 1);
  EXPECT_EQ(inside->portState(), 0u);
}

class MonitorHandOverTest : public GatewayTest {
 protected:
  void SetUp() override {
    GatewayTest::SetUp();
    monitor = install(std::make_unique<BlockingMonitor>());
  }

  BlockingMonitor* monitor = nullptr;
  RecordingMonitorSink sink;
};

TEST_F(MonitorHandOverTest, AnOperationPausesMonitorModeOnTheSamePort) {
  device->startMonitorMode(&sink);
  ASSERT_TRUE(monitor->waitForRun(1));
  EXPECT_EQ(inside->portState(), 5u);
  EXPECT_TRUE(device->isMonitorModeRequested());
  EXPECT_FALSE(device->isMonitorModeIdle());
  SerialPort* monitorPort = inside->currentPort();

  uint32_t atStop = 0, during = 0;
  SerialPort* portDuring = nullptr;
  monitor->onStop = [&] { atStop = inside->portState(); };
  files->during = [&] {
    during = inside->portState();
    portDuring = inside->currentPort();
    inside->lockDevice();  // keeps the restarted monitor thread from taking the port at once
  };
  device->deleteFile(L"old.txt");
  EXPECT_EQ(inside->portState(), 4u);
  inside->unlockDevice();
  EXPECT_EQ(atStop, 2u);
  EXPECT_EQ(during, 3u);
  EXPECT_EQ(portDuring, monitorPort);

  ASSERT_TRUE(monitor->waitForRun(2));
  EXPECT_EQ(inside->portState(), 5u);
  EXPECT_EQ(monitor->ports()[1], monitorPort);
  EXPECT_EQ(opensAndCloses(), "1/0");

  monitor->onStop = nullptr;
  device->stopMonitorMode();
  EXPECT_FALSE(device->isMonitorModeRequested());
  ASSERT_TRUE(eventually([&] { return device->isMonitorModeIdle(); }));
  EXPECT_EQ(inside->portState(), 0u);
  EXPECT_EQ(closed, 1);
}

TEST_F(MonitorHandOverTest, MonitorModeStartedDuringAnOperationBeginsWhenItEnds) {
  Latch latch;
  maintenance->during = [&] { latch.wait(); };
  std::thread operation([&] { device->deleteFlash(); });
  ASSERT_TRUE(latch.waitUntilBlocked());
  device->startMonitorMode(&sink);
  ASSERT_TRUE(eventually([&] { return inside->portState() == 3; }));
  EXPECT_FALSE(monitor->isActive());
  latch.release();
  operation.join();
  ASSERT_TRUE(monitor->waitForRun(1));
  EXPECT_EQ(inside->portState(), 5u);
  EXPECT_EQ(opened, 1);
}

TEST_F(MonitorHandOverTest, EndingMonitorModeTellsTheSink) {
  device->startMonitorMode(&sink);
  ASSERT_TRUE(monitor->waitForRun(1));
  device->endMonitorMode();
  EXPECT_EQ(sink.ended, device.get());
  EXPECT_FALSE(device->isMonitorModeRequested());
  EXPECT_TRUE(device->isStopMonitorRequested());
  ASSERT_TRUE(eventually([&] { return device->isMonitorModeIdle(); }));
  EXPECT_EQ(closed, 1);
}

TEST_F(MonitorHandOverTest, ADeviceWithMonitorModeRunningCanBeDeleted) {
  device->startMonitorMode(&sink);
  ASSERT_TRUE(monitor->waitForRun(1));
  device.reset();
  EXPECT_EQ(closed, 1);
}

TEST_F(GatewayTest, WithoutMonitorModeTheMonitorThreadEndsAtOnce) {
  RecordingMonitorSink sink;
  device->startMonitorMode(&sink);  // the null strategy fails; the thread gives the port back
  ASSERT_TRUE(eventually([&] { return device->isMonitorModeIdle() && closed == 1; }));
  EXPECT_EQ(inside->portState(), 0u);
  device->block();  // an ordinary operation after it works normally
  EXPECT_EQ(opened, 2);
}

// Operations whose strategy call is not obvious from their name reach the right one: on a
// display without services each fails with that null strategy's text, having opened and closed
// the port once.
TEST_F(ScriptedDisplayTest, OperationsReachTheirStrategies) {
  identifies("85", "06 0C 01 03 16");
  QuorlinDevice d(kDisplayPath);
  ServiceInfo info;
  std::wstring serial;
  const std::pair<std::function<void()>, std::wstring> cases[] = {
      {[&] { d.isAvailable(); }, L"NoDeviceMaintenanceStrategy::isMassStorageProtocolActive -- "},
      {[&] { d.block(); }, L"NoDeviceMaintenanceStrategy::lockMassStorageProtocol -- "},
      {[&] { d.unblock(); }, L"NoDeviceMaintenanceStrategy::releaseMassStorageProtocol -- "},
      {[&] { d.restartSystem(true); }, L"NoFirmwareUploadStrategy::restartSystem -- "},
      {[&] { d.loadUsbFirmware(L"a", nullptr); }, L"NoFileTransferStrategy::receiveFile -- "},
      {[&] { d.receiveServiceInformation(info); }, L"BrailleSystem::startMonitorMode -- "},
      {[&] { d.getServiceInformationAndSerialNumber(info, serial); },
       L"BrailleSystem::startMonitorMode -- "},
      {[&] { d.startGlint(); }, L"NoMonitorModeStrategy::startGlint -- "},
  };
  for (const auto& [operation, prefix] : cases) {
    const int before = opened;
    EXPECT_TRUE(failsAsNotSupported(operation, prefix));
    EXPECT_EQ(opened, before + 1) << toUtf8(prefix);
    EXPECT_EQ(closed, opened.load()) << toUtf8(prefix);
  }
  const int before = opened;
  EXPECT_TRUE(failsAsNotSupported([&] { d.stopMonitorMode(); },
                                  L"NoMonitorModeStrategy::stopMonitorMode -- "));
  EXPECT_TRUE(failsAsNotSupported([&] { d.hasDefaultSerialNumber(); },
                                  L"NoSerialNumberRequestStrategy::hasDefaultSerialNumber "));
  EXPECT_EQ(opened, before);  // direct operations leave the port alone
}

}  // namespace
}  // namespace QrCom
