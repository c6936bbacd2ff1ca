#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "qrcom/base/ExceptionHandler.h"

namespace QrCom {

// Root of the library's single failure channel. The message lives inside the object (no
// allocation on construction or copy); texts longer than kMaxMessage are cut.
class QrException {
 public:
  static constexpr std::size_t kMaxMessage = 512;

  explicit QrException(std::wstring_view text);
  QrException(const QrException& other) = default;
  QrException& operator=(const QrException& other) = default;
  virtual ~QrException() = default;

  virtual int setMessage(std::wstring_view text);
  virtual const wchar_t* getMessage() const;
  // Copies at most `capacity` characters of the type name shared by the whole family.
  virtual void getTypeName(wchar_t* out, std::size_t capacity) const;
  virtual int accept(ExceptionHandler& handler) const = 0;

 private:
  wchar_t message_[kMaxMessage + 1];
};

// Joins the pieces of a message ("prefix" + detail + ...) so that throw sites stay one line.
template <typename... Pieces>
std::wstring compose(const Pieces&... pieces) {
  std::wstring text;
  (text.append(pieces), ...);
  return text;
}

#define QRCOM_ABSTRACT_EXCEPTION(Name, Base) \
  class Name : public Base {                 \
   public:                                   \
    using Base::Base;                        \
  };

#define QRCOM_EXCEPTION(Name, Base, operation)                                           \
  class Name : public Base {                                                             \
   public:                                                                               \
    using Base::Base;                                                                    \
    int accept(ExceptionHandler& handler) const override { return handler.operation(); } \
  };

#define QRCOM_UNHANDLED_EXCEPTION(Name, Base)                  \
  class Name : public Base {                                   \
   public:                                                     \
    using Base::Base;                                          \
    int accept(ExceptionHandler&) const override { return 0; } \
  };

QRCOM_ABSTRACT_EXCEPTION(ProtocolException, QrException)
QRCOM_ABSTRACT_EXCEPTION(PortException, QrException)
QRCOM_ABSTRACT_EXCEPTION(FileException, QrException)
QRCOM_ABSTRACT_EXCEPTION(FirmwareUpdateException, QrException)
QRCOM_ABSTRACT_EXCEPTION(ServiceInfoException, QrException)

QRCOM_EXCEPTION(WrongProtocolVersionException, ProtocolException, onWrongProtocolVersion)
QRCOM_EXCEPTION(ErrorInProtocolException, ProtocolException, onErrorInProtocol)
QRCOM_EXCEPTION(LostConnectionException, ProtocolException, onLostConnection)
QRCOM_EXCEPTION(FileAlreadyExistsOnDeviceException, ProtocolException, onFileAlreadyExistsOnDevice)
QRCOM_EXCEPTION(FileNotFoundOnDeviceException, ProtocolException, onFileNotFoundOnDevice)
QRCOM_EXCEPTION(IllegalTargetFileNameException, ProtocolException, onIllegalTargetFileName)
QRCOM_EXCEPTION(IllegalSourceFileNameException, ProtocolException, onIllegalSourceFileName)
QRCOM_EXCEPTION(InvalidArgumentException, ProtocolException, onInvalidArgument)
QRCOM_EXCEPTION(ErrorOnDeviceException, ProtocolException, onErrorOnDevice)
QRCOM_EXCEPTION(MaxNumberOfBrailleTablesLoadedException, ProtocolException,
                onMaxNumberOfBrailleTablesLoaded)
QRCOM_EXCEPTION(NotEnoughMemoryException, ProtocolException, onNotEnoughMemory)
QRCOM_EXCEPTION(MaxNumberOfFilesLoadedException, ProtocolException, onMaxNumberOfFilesLoaded)
QRCOM_EXCEPTION(MethodCollisionException, ProtocolException, onMethodCollision)
QRCOM_EXCEPTION(WrongCommandConfirmedException, ProtocolException, onWrongCommandConfirmed)
QRCOM_EXCEPTION(TransmissionCanceledByUserException, ProtocolException,
                onTransmissionCanceledByUser)
QRCOM_UNHANDLED_EXCEPTION(ErrorStartingBatteryTestMode, ProtocolException)
QRCOM_UNHANDLED_EXCEPTION(ErrorOnReceivingBluetoothPin, ProtocolException)
QRCOM_UNHANDLED_EXCEPTION(ErrorOnSettingBluetoothPin, ProtocolException)
QRCOM_UNHANDLED_EXCEPTION(ErrorOnReceivingBatteryInfo, ProtocolException)
QRCOM_UNHANDLED_EXCEPTION(ErrorOnSettingSerialNumber, ProtocolException)
QRCOM_UNHANDLED_EXCEPTION(DeliveryYearNotAvailable, ProtocolException)
QRCOM_UNHANDLED_EXCEPTION(ErrorOnSettingDateTime, ProtocolException)
QRCOM_UNHANDLED_EXCEPTION(ErrorOnReceivingDateTime, ProtocolException)

QRCOM_EXCEPTION(UnableToOpenPortException, PortException, onUnableToOpenPort)
QRCOM_EXCEPTION(CannotWriteToPortException, PortException, onCannotWriteToPort)
QRCOM_EXCEPTION(CannotReadFromPortException, PortException, onCannotReadFromPort)
QRCOM_EXCEPTION(ErrorOnInitializationException, PortException, onErrorOnInitialization)

QRCOM_EXCEPTION(FileNotFoundException, FileException, onFileNotFound)
QRCOM_EXCEPTION(CannotOpenFileException, FileException, onCannotOpenFile)
QRCOM_EXCEPTION(CannotWriteToFileException, FileException, onCannotWriteToFile)
QRCOM_EXCEPTION(CannotDeleteFileException, FileException, onCannotDeleteFile)
QRCOM_EXCEPTION(CannotReadFromFileException, FileException, onCannotReadFromFile)
QRCOM_EXCEPTION(CannotReadFileSizeException, FileException, onCannotReadFileSize)
QRCOM_EXCEPTION(CannotChangeToDirectoryException, FileException, onDirectoryProblem)
QRCOM_EXCEPTION(PathTooLongException, FileException, onDirectoryProblem)

QRCOM_EXCEPTION(NoHexFileFoundException, FirmwareUpdateException, onNoHexFileFound)
QRCOM_EXCEPTION(CannotSwitchToEpromException, FirmwareUpdateException, onCannotSwitchToEprom)
QRCOM_EXCEPTION(CannotSwitchToFlashException, FirmwareUpdateException, onCannotSwitchToFlash)
QRCOM_EXCEPTION(CannotSwitchFlashBanksException, FirmwareUpdateException, onCannotSwitchFlashBanks)
QRCOM_EXCEPTION(CannotDeleteFlashException, FirmwareUpdateException, onCannotDeleteFlash)
QRCOM_EXCEPTION(ErrorWhileLoadingHexFileException, FirmwareUpdateException,
                onErrorWhileLoadingHexFile)
QRCOM_EXCEPTION(NoDeviceFoundException, FirmwareUpdateException, onNoDeviceFound)
// No display, but one that answered the wake byte with 0xFE alone, as an older display waiting
// in its boot loader does; handled as NoDeviceFoundException.
QRCOM_ABSTRACT_EXCEPTION(WaitingInBootLoaderException, NoDeviceFoundException)
QRCOM_EXCEPTION(WrongAmountOfHexFilesException, FirmwareUpdateException, onWrongAmountOfHexFiles)
QRCOM_EXCEPTION(HexFilesAreEmptyException, FirmwareUpdateException, onHexFilesAreEmpty)

QRCOM_UNHANDLED_EXCEPTION(WrongStreamSize, ServiceInfoException)
QRCOM_UNHANDLED_EXCEPTION(ServiceInfoCorrupted, ServiceInfoException)
QRCOM_UNHANDLED_EXCEPTION(ServiceInfoNotReceived, ServiceInfoException)
QRCOM_UNHANDLED_EXCEPTION(ServiceInfoNotSent, ServiceInfoException)

#undef QRCOM_ABSTRACT_EXCEPTION
#undef QRCOM_EXCEPTION
#undef QRCOM_UNHANDLED_EXCEPTION

// The failure of every operation a strategy lacks: throws WrongProtocolVersionException with
// `prefix` followed by the fixed not-supported text. Never returns.
[[noreturn]] void notSupported(std::wstring_view prefix);

extern const wchar_t kServiceNotSupported[];

}  // namespace QrCom
