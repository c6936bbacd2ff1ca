#include <gtest/gtest.h>

#include "qrcom/base/QrException.h"
#include "qrcom/firmware/InfoModeSerialNumberRequestStrategy.h"
#include "qrcom/firmware/PacketSerialNumberRequestStrategy.h"
#include "qrcom/firmware/PagelingSerialNumberRequestStrategy.h"
#include "qrcom/firmware/QrBrlOsFirmwareUploadStrategy.h"
#include "qrcom/firmware/QrBrlOsFirmwareVersionRequestStrategy.h"
#include "qrcom/firmware/QrBrlOsIsBluetoothVersionRequestStrategy.h"
#include "qrcom/firmware/ServiceInfoAwareDeviceMaintenanceStrategy.h"
#include "qrcom/protocol/BrailleSystemVersion20010FileTransferStrategy.h"
#include "qrcom/protocol/QrBrlOsVersion102FileTransferStrategy.h"
#include "tests/device/DeviceTestSupport.h"
#include "tests/support/Failures.h"

namespace QrCom {
namespace {

using namespace QrTest;

TEST(IdentificationTest, FFIsAnsweredWithFEAndTheModelId) {
  ScriptedPort port;
  port.deliver(hex("00"));
  port.answerNextWrite(hex("FE 54"));
  EXPECT_EQ(QuorlinDevice::identifyModel(port), 84);
  EXPECT_EQ(port.written(), hex("FF"));
  EXPECT_EQ(port.calls()[0].type, ScriptedPort::Call::Purge);

  port.answerNextWrite(hex("FD 54"));
  EXPECT_EQ(QuorlinDevice::identifyModel(port), 0);
  EXPECT_EQ(QuorlinDevice::identifyModel(port), 0);  // silence
}

TEST(IdentificationTest, OnlyAWriteFailurePassesOn) {
  ScriptedPort port;
  port.setResponder(
      [](const Bytes&, ScriptedPort&) { throw CannotWriteToPortException(L"write failed"); });
  EXPECT_THROW(QuorlinDevice::identifyModel(port), CannotWriteToPortException);
  EXPECT_EQ(QuorlinDevice::queryProtocolVersion(port), 0);
}

TEST(ProtocolVersionTest, AnswerIsConfirmedWith0616) {
  ScriptedPort port;
  Conversation display(port);
  display.step("0C", "06 0C 01 02 16").step("06 16");
  EXPECT_EQ(QuorlinDevice::queryProtocolVersion(port), 0x0102);
  EXPECT_TRUE(display.finished());
  EXPECT_EQ(port.calls().front().type, ScriptedPort::Call::Purge);
  EXPECT_EQ(port.calls().back().type, ScriptedPort::Call::Purge);
}

TEST(ProtocolVersionTest, FramingBytesMustMatchExactly) {
  for (const char* answer : {"06 0D 01 02 16", "07 0C 01 02 16", "06 0C 01 02 17", "06 0C 01"}) {
    ScriptedPort port(nullptr, ScriptedPort::Kind::Hid);
    port.answerNextWrite(hex(answer));
    EXPECT_EQ(QuorlinDevice::queryProtocolVersion(port), 0) << answer;
    EXPECT_EQ(port.written(), hex("0C")) << answer;
  }
  ScriptedPort silent;
  EXPECT_EQ(QuorlinDevice::queryProtocolVersion(silent), 0);
}

TEST(ProtocolVersionTest, AnAssembledVersionSurvivesAFailingConfirmation) {
  ScriptedPort port;
  port.setResponder([](const Bytes& written, ScriptedPort& self) {
    if (written == hex("0C")) self.deliver(hex("06 0C 00 03 16"));
    if (written == hex("06")) throw CannotWriteToPortException(L"write failed");
  });
  EXPECT_EQ(QuorlinDevice::queryProtocolVersion(port), 3);
}

using DeviceConstructionTest = ScriptedDisplayTest;

TEST_F(DeviceConstructionTest, CurrentDisplayReadsSerialNumberAndVersion) {
  identifies("54", "06 0C 01 02 16");
  display.step("79 54 01 41 16", textPacket("54", "41", "OB4-17-00815"));
  display.step("79 54 01 C2 16", "79 54 04 C2 03 0C 01 16");
  QuorlinDevice device(kDisplayPath);
  EXPECT_TRUE(display.finished());
  EXPECT_EQ(opensAndCloses(), "1/1");

  EXPECT_EQ(device.getModelId(), 84);
  EXPECT_EQ(device.getModelName(nullptr), L"Vantra");
  EXPECT_EQ(device.getCellCount(), 40);
  EXPECT_EQ(device.getPortNumber(), 0);
  EXPECT_TRUE(device.isUsbHid());
  EXPECT_FALSE(device.isFundoFamily());
  EXPECT_EQ(device.getSerialNumber(), L"OB4-17-00815");
  EXPECT_EQ(device.getDeliveryYear(), 17);
  EXPECT_EQ(device.getFirmwareVersion(), L"3.12_normal_mode");
  EXPECT_EQ(device.getFirmwareVersionPrefix(), L"3.12");
  EXPECT_EQ(device.getFirmwareVersion(), L"3.12") << "cut in place";

  DeviceInspector inside(device);
  EXPECT_TRUE(isA<ServiceInfoAwareDeviceMaintenanceStrategy>(inside.serviceInfo()));
  EXPECT_TRUE(isA<QrBrlOsSerialNumberRequestStrategy>(inside.serialNumber()));
  EXPECT_TRUE(isA<QrBrlOsFirmwareVersionRequestStrategy>(inside.firmwareVersion()));
  EXPECT_TRUE(isA<NoIsBluetoothVersionRequestStrategy>(inside.bluetoothVariant()));
  EXPECT_TRUE(isA<QrBrlOsFirmwareUploadStrategy>(inside.firmwareUpload()));
  EXPECT_TRUE(isA<QrBrlOsVersion102FileTransferStrategy>(inside.fileTransfer()));
  EXPECT_TRUE(device.isServiceSupported(0));
  EXPECT_TRUE(device.isServiceSupported(11));
  EXPECT_TRUE(device.isServiceSupported(21));
  EXPECT_TRUE(device.isServiceSupported(13));
  EXPECT_FALSE(device.isServiceSupported(36)) << "not asked of the version strategy";
  EXPECT_FALSE(inside.portOpen());
}

TEST_F(DeviceConstructionTest, FundoAlsoAsksForTheBluetoothVariant) {
  identifies("81", "06 0C 01 03 16");
  display.step("79 81 01 41 16", textPacket("81", "41", "FNX-A0-13000"));
  display.step("79 81 01 C2 16", "79 81 04 C2 03 1E 01 16");
  display.step("79 81 01 C1 16", "79 81 0C C1 00 00 00 00 00 00 00 02 00 00 00 16");
  QuorlinDevice device(kDisplayPath);
  EXPECT_TRUE(display.finished());
  EXPECT_TRUE(device.isFundoFamily());
  EXPECT_EQ(device.getModelName(nullptr), L"Fundo 16");
  EXPECT_TRUE(device.hasDefaultSerialNumber());
  EXPECT_TRUE(device.isBluetoothVersion());
  EXPECT_FALSE(device.isServiceSupported(37)) << "not asked of the variant strategy";
  EXPECT_EQ(device.getFirmwareVersionPrefix(), L"3.30");
  DeviceInspector inside(device);
  EXPECT_TRUE(isA<FnxSerialNumberRequestStrategy>(inside.serialNumber()));
  EXPECT_TRUE(isA<QrBrlOsIsBluetoothVersionRequestStrategy>(inside.bluetoothVariant()));
  EXPECT_TRUE(isA<ServiceInfoAwareDeviceMaintenanceStrategy>(inside.serviceInfo()));
  EXPECT_TRUE(isA<QrBrlOsFirmwareUploadStrategy>(inside.firmwareUpload()));
}

TEST_F(DeviceConstructionTest, LegacyDisplayKeepsServiceInformationFromVersionTwo) {
  struct Case {
    const char* answer;
    bool serviceInfo;
    const std::type_info& fileTransfer;
  };
  for (const Case& c :
       {Case{"06 0C 00 03 16", true, typeid(BrailleSystemVersion2000FileTransferStrategy)},
        Case{"06 0C 00 02 16", true, typeid(BrailleSystemVersion20010FileTransferStrategy)},
        Case{"06 0C 00 01 16", false, typeid(BrailleSystemVersion2005FileTransferStrategy)},
        Case{"", false, typeid(BrailleSystemVersion2000FileTransferStrategy)}}) {
    ScriptedPort legacy(&*clock);  // COM-like: silence throws, as on the legacy displays' ports
    Conversation script(legacy);
    script.step("FF", "FE 74").step("0C", c.answer);
    if (*c.answer) script.step("06 16");
    script.step("AE", "4F").step("49 4E 46 4F 20 4E", "49 4E 46 4F 49 " + toHex(Bytes(40, 'S')));
    ScopedHidLink onLegacy(
        nullptr, [&](const std::wstring&) { return std::make_unique<BorrowedPort>(legacy); });
    QuorlinDevice device(kDisplayPath);
    DeviceInspector inside(device);
    EXPECT_EQ(isA<ServiceInfoAwareDeviceMaintenanceStrategy>(inside.serviceInfo()), c.serviceInfo)
        << c.answer;
    EXPECT_TRUE(isA<InfoModeSerialNumberRequestStrategy>(inside.serialNumber())) << c.answer;
    EXPECT_EQ(typeid(inside.fileTransfer()), c.fileTransfer) << c.answer;
    EXPECT_EQ(device.getModelName(nullptr), L"Selvar 40");
  }
}

TEST_F(DeviceConstructionTest, TilbryHasServiceInformationAndAnInfoModeSerialOnly) {
  identifies("44", "");
  display.step("AE", "4F");
  display.step("49 4E 46 4F 20 4E", "49 4E 46 4F 49 " + toHex(Bytes(40, 'T')));
  display.step("FF");
  QuorlinDevice device(kDisplayPath);
  EXPECT_TRUE(display.finished());
  EXPECT_EQ(device.getSerialNumber(), L"TTTTTTTTTTTT");
  DeviceInspector inside(device);
  EXPECT_TRUE(isA<ServiceInfoAwareDeviceMaintenanceStrategy>(inside.serviceInfo()));
  EXPECT_TRUE(isA<InfoModeSerialNumberRequestStrategy>(inside.serialNumber()));
  EXPECT_TRUE(isA<NoFirmwareUploadStrategy>(inside.firmwareUpload()));
  EXPECT_TRUE(isA<NoFileTransferStrategy>(inside.fileTransfer()));
  EXPECT_TRUE(isA<NoDeviceMaintenanceStrategy>(inside.maintenance()));
  EXPECT_TRUE(isA<NoMonitorModeStrategy>(inside.monitorMode()));
  EXPECT_TRUE(isA<NoFirmwareVersionRequestStrategy>(inside.firmwareVersion()));
  EXPECT_TRUE(isA<NoIsBluetoothVersionRequestStrategy>(inside.bluetoothVariant()));
}

TEST_F(DeviceConstructionTest, UnknownModelIsADeviceWithoutServices) {
  identifies("85", "06 0C 01 03 16");  // 133
  QuorlinDevice device(kDisplayPath);
  EXPECT_TRUE(display.finished());
  EXPECT_EQ(port.written(), hex("FF 0C 06 16"));
  EXPECT_EQ(device.getModelId(), 133);
  EXPECT_EQ(device.getModelName(nullptr), L"");
  EXPECT_EQ(device.getCellCount(), 0);
  DeviceInspector inside(device);
  EXPECT_TRUE(isA<NoServiceInfoMaintenanceStrategy>(inside.serviceInfo()));
  EXPECT_TRUE(isA<NoSerialNumberRequestStrategy>(inside.serialNumber()));
  EXPECT_TRUE(isA<NoFirmwareUploadStrategy>(inside.firmwareUpload()));
  EXPECT_TRUE(isA<NoFileTransferStrategy>(inside.fileTransfer()));
  EXPECT_TRUE(isA<NoDeviceMaintenanceStrategy>(inside.maintenance()));
  EXPECT_TRUE(isA<NoMonitorModeStrategy>(inside.monitorMode()));
  EXPECT_TRUE(isA<NoFirmwareVersionRequestStrategy>(inside.firmwareVersion()));
  EXPECT_TRUE(isA<NoIsBluetoothVersionRequestStrategy>(inside.bluetoothVariant()));
  EXPECT_FALSE(device.isServiceSupported(11));
  EXPECT_TRUE(device.isServiceSupported(0));
  EXPECT_THROW(device.getFirmwareVersionPrefix(), WrongProtocolVersionException);
}

TEST_F(DeviceConstructionTest, PocketReaderIsNamedByTheCaller) {
  struct Names : ModelNameSource {
    std::wstring pocketReaderName() const override { return L"Pageling"; }
  } names;
  identifies("90", "");
  display.step("05 05", toHex(Bytes{'P', 'G', '1', '2', '3', '4', '5', '6'}));
  QuorlinDevice device(kDisplayPath);
  EXPECT_TRUE(display.finished());
  EXPECT_EQ(device.getModelName(&names), L"Pageling");
  EXPECT_EQ(device.getModelName(nullptr), L"");
  EXPECT_EQ(device.getCellCount(), 8);
  EXPECT_EQ(device.getSerialNumber(), L"PG123456");
  EXPECT_TRUE(isA<PagelingSerialNumberRequestStrategy>(DeviceInspector(device).serialNumber()));
}

TEST_F(DeviceConstructionTest, NoDisplayLeavesNothingBehind) {
  display.step("FF", "00 54");
  EXPECT_EQ(failure([&] { QuorlinDevice device(kDisplayPath); }), "NoDeviceFound: ");
  EXPECT_EQ(opensAndCloses(), "1/1");
}

TEST_F(DeviceConstructionTest, PathsOutsideTheRuleAreNoDisplayAndNeverOpened) {
  const std::wstring secondInterface = L"\\\\?\\hid#vid_4c7a&pid_0054&mi_01#7&1&0000";
  for (const std::wstring& path :
       {secondInterface, std::wstring(L"\\\\?\\hid#vid_046d&pid_0054#1")}) {
    EXPECT_EQ(failure([&] { QuorlinDevice device(path); }), "NoDeviceFound: ");
  }
  EXPECT_EQ(opened, 0);
}

TEST_F(DeviceConstructionTest, AFailingFirstReadOfAStrategyFailsTheConstruction) {
  ScriptedPort com(&*clock);
  Conversation script(com);
  script.step("FF", "FE 54").step("0C", "06 0C 01 02 16").step("06 16").step("79 54 01 41 16");
  ScopedHidLink silentAfterVersion(
      nullptr, [&](const std::wstring&) { return std::make_unique<BorrowedPort>(com, &closed); });
  EXPECT_THROW(QuorlinDevice device(kDisplayPath), CannotReadFromPortException);
  EXPECT_EQ(closed, 1);
}

TEST_F(DeviceConstructionTest, PortFailuresPassOn) {
  ScopedHidLink unopenable(nullptr, [](const std::wstring&) -> std::unique_ptr<SerialPort> {
    throw UnableToOpenPortException(L"Can not open port");
  });
  EXPECT_EQ(failureOf([&] { QuorlinDevice device(kDisplayPath); }), L"Can not open port");
}

TEST_F(DeviceConstructionTest, CloneCopiesTheAnswersWithoutAskingAgain) {
  auto device = makeVantra();
  const auto copy = device->clone();
  EXPECT_TRUE(port.written().empty());
  EXPECT_EQ(opened, 0);
  EXPECT_EQ(copy->getModelId(), 84);
  EXPECT_EQ(copy->getPortNumber(), 0);
  EXPECT_EQ(copy->getSerialNumber(), L"OB4-17-00815");
  EXPECT_EQ(copy->getFirmwareVersion(), L"3.12_normal_mode");
  DeviceInspector original(*device), cloned(*copy);
  EXPECT_NE(&original.serialNumber(), &cloned.serialNumber());
  EXPECT_TRUE(isA<QrBrlOsFirmwareUploadStrategy>(cloned.firmwareUpload()));
  EXPECT_NE(&original.firmwareUpload(), &cloned.firmwareUpload());
  EXPECT_FALSE(cloned.portOpen());
  EXPECT_EQ(cloned.portState(), 0u);
}

}  // namespace
}  // namespace QrCom
