#include "qrcom/base/QrException.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

namespace QrCom {
namespace {

TEST(QrExceptionTest, MessageIsCutAt512CharactersAndTerminated) {
  const std::wstring text(600, L'x');
  const ErrorInProtocolException error(text);
  EXPECT_EQ(std::wcslen(error.getMessage()), 512u);
  EXPECT_EQ(std::wstring(error.getMessage()), text.substr(0, 512));
  EXPECT_EQ(error.getMessage()[512], L'\0');
}

TEST(QrExceptionTest, CopyAndSetMessage) {
  const CannotOpenFileException original(L"WinFile::WinFile -- Cannot open file a in read-Mode.");
  const CannotOpenFileException copy(original);
  EXPECT_STREQ(copy.getMessage(), original.getMessage());

  CannotOpenFileException changed(original);
  EXPECT_EQ(changed.setMessage(L""), 0);
  EXPECT_STREQ(changed.getMessage(), L"");
  EXPECT_STREQ(original.getMessage(), L"WinFile::WinFile -- Cannot open file a in read-Mode.");
}

TEST(QrExceptionTest, TypeNameIsTheRootsForEveryClass) {
  wchar_t first[11] = {};
  wchar_t second[11] = {};
  NoDeviceFoundException(L"").getTypeName(first, 10);
  WrongStreamSize(L"").getTypeName(second, 10);
  EXPECT_EQ(std::wstring(first, 10), L"class QrCo");
  EXPECT_EQ(std::wstring(second, 10), std::wstring(first, 10));

  wchar_t whole[64];
  CannotReadFromPortException(L"").getTypeName(whole, 64);
  EXPECT_STREQ(whole, L"class QrCom::QrException *");
}

TEST(QrExceptionTest, NotSupportedIsAProtocolFailureWithTheFixedText) {
  try {
    notSupported(L"NoFirmwareUploadStrategy::loadFirmware -- ");
    FAIL() << "notSupported returned";
  } catch (const ProtocolException& error) {
    EXPECT_STREQ(error.getMessage(),
                 L"NoFirmwareUploadStrategy::loadFirmware -- Service isn't supported for currently "
                 L"selected device.");
    EXPECT_NE(dynamic_cast<const WrongProtocolVersionException*>(&error), nullptr);
  }
  EXPECT_THROW(notSupported(L"x"), QrException);
}

TEST(QrExceptionTest, ComposeJoinsPiecesWithoutSeparators) {
  const std::wstring path = L"C:\\a.txt";
  EXPECT_EQ(compose(L"WinFile::erase -- ", L" Can't delete file ", path, L"."),
            L"WinFile::erase --  Can't delete file C:\\a.txt.");
}

// Records which handler operation a leaf calls; each returns its operation number + 100.
class RecordingHandler : public ExceptionHandler {
 public:
  std::vector<int> calls;
#define RECORD(name, number) \
  int name() override {      \
    calls.push_back(number); \
    return number + 100;     \
  }
  RECORD(onFileNotFound, 0)
  RECORD(onCannotOpenFile, 1)
  RECORD(onCannotWriteToFile, 2)
  RECORD(onCannotDeleteFile, 3)
  RECORD(onCannotReadFromFile, 4)
  RECORD(onCannotReadFileSize, 5)
  RECORD(onUnableToOpenPort, 9)
  RECORD(onCannotWriteToPort, 10)
  RECORD(onCannotReadFromPort, 11)
  RECORD(onErrorOnInitialization, 12)
  RECORD(onErrorInProtocol, 14)
  RECORD(onLostConnection, 16)
  RECORD(onFileAlreadyExistsOnDevice, 17)
  RECORD(onFileNotFoundOnDevice, 18)
  RECORD(onIllegalTargetFileName, 19)
  RECORD(onIllegalSourceFileName, 20)
  RECORD(onInvalidArgument, 21)
  RECORD(onErrorOnDevice, 22)
  RECORD(onMaxNumberOfBrailleTablesLoaded, 23)
  RECORD(onNotEnoughMemory, 24)
  RECORD(onMaxNumberOfFilesLoaded, 25)
  RECORD(onMethodCollision, 27)
  RECORD(onWrongCommandConfirmed, 28)
  RECORD(onTransmissionCanceledByUser, 29)
  RECORD(onWrongProtocolVersion, 30)
  RECORD(onNoHexFileFound, 32)
  RECORD(onCannotSwitchToEprom, 33)
  RECORD(onCannotSwitchToFlash, 34)
  RECORD(onCannotSwitchFlashBanks, 35)
  RECORD(onCannotDeleteFlash, 36)
  RECORD(onErrorWhileLoadingHexFile, 37)
  RECORD(onNoDeviceFound, 38)
  RECORD(onWrongAmountOfHexFiles, 39)
  RECORD(onHexFilesAreEmpty, 40)
  RECORD(onDirectoryProblem, 49)
#undef RECORD
};

template <typename Leaf>
void expectDispatch(int operation) {
  RecordingHandler handler;
  const Leaf error(L"text");
  if (operation < 0) {
    EXPECT_EQ(error.accept(handler), 0);
    EXPECT_TRUE(handler.calls.empty());
  } else {
    EXPECT_EQ(error.accept(handler), operation + 100);
    EXPECT_EQ(handler.calls, std::vector<int>{operation});
  }
}

TEST(QrExceptionTest, AcceptCallsTheLeafsOwnOperation) {
  constexpr int kNone = -1;
  expectDispatch<WrongProtocolVersionException>(30);
  expectDispatch<ErrorInProtocolException>(14);
  expectDispatch<LostConnectionException>(16);
  expectDispatch<FileAlreadyExistsOnDeviceException>(17);
  expectDispatch<FileNotFoundOnDeviceException>(18);
  expectDispatch<IllegalTargetFileNameException>(19);
  expectDispatch<IllegalSourceFileNameException>(20);
  expectDispatch<InvalidArgumentException>(21);
  expectDispatch<ErrorOnDeviceException>(22);
  expectDispatch<MaxNumberOfBrailleTablesLoadedException>(23);
  expectDispatch<NotEnoughMemoryException>(24);
  expectDispatch<MaxNumberOfFilesLoadedException>(25);
  expectDispatch<MethodCollisionException>(27);
  expectDispatch<WrongCommandConfirmedException>(28);
  expectDispatch<TransmissionCanceledByUserException>(29);
  expectDispatch<ErrorStartingBatteryTestMode>(kNone);
  expectDispatch<ErrorOnReceivingBluetoothPin>(kNone);
  expectDispatch<ErrorOnSettingBluetoothPin>(kNone);
  expectDispatch<ErrorOnReceivingBatteryInfo>(kNone);
  expectDispatch<ErrorOnSettingSerialNumber>(kNone);
  expectDispatch<DeliveryYearNotAvailable>(kNone);
  expectDispatch<ErrorOnSettingDateTime>(kNone);
  expectDispatch<ErrorOnReceivingDateTime>(kNone);
  expectDispatch<UnableToOpenPortException>(9);
  expectDispatch<CannotWriteToPortException>(10);
  expectDispatch<CannotReadFromPortException>(11);
  expectDispatch<ErrorOnInitializationException>(12);
  expectDispatch<FileNotFoundException>(0);
  expectDispatch<CannotOpenFileException>(1);
  expectDispatch<CannotWriteToFileException>(2);
  expectDispatch<CannotDeleteFileException>(3);
  expectDispatch<CannotReadFromFileException>(4);
  expectDispatch<CannotReadFileSizeException>(5);
  expectDispatch<CannotChangeToDirectoryException>(49);
  expectDispatch<PathTooLongException>(49);
  expectDispatch<NoHexFileFoundException>(32);
  expectDispatch<CannotSwitchToEpromException>(33);
  expectDispatch<CannotSwitchToFlashException>(34);
  expectDispatch<CannotSwitchFlashBanksException>(35);
  expectDispatch<CannotDeleteFlashException>(36);
  expectDispatch<ErrorWhileLoadingHexFileException>(37);
  expectDispatch<NoDeviceFoundException>(38);
  expectDispatch<WrongAmountOfHexFilesException>(39);
  expectDispatch<HexFilesAreEmptyException>(40);
  expectDispatch<WrongStreamSize>(kNone);
  expectDispatch<ServiceInfoCorrupted>(kNone);
  expectDispatch<ServiceInfoNotReceived>(kNone);
  expectDispatch<ServiceInfoNotSent>(kNone);
}

TEST(QrExceptionTest, LeavesAreCaughtThroughTheirFamily) {
  EXPECT_THROW(throw CannotReadFromPortException(L""), PortException);
  EXPECT_THROW(throw PathTooLongException(L""), FileException);
  EXPECT_THROW(throw HexFilesAreEmptyException(L""), FirmwareUpdateException);
  EXPECT_THROW(throw ServiceInfoNotSent(L""), ServiceInfoException);
  EXPECT_THROW(throw MethodCollisionException(L""), ProtocolException);
}

}  // namespace
}  // namespace QrCom
