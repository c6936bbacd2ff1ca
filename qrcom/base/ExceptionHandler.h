#pragma once

namespace QrCom {

// Double dispatch for QrException::accept. Operations are declared in the order of their
// operation numbers (given after each); numbers without a class in this library are omitted.
// Each operation returns what accept() returns.
class ExceptionHandler {
 public:
  virtual ~ExceptionHandler() = default;

  virtual int onFileNotFound() = 0;                    // 0
  virtual int onCannotOpenFile() = 0;                  // 1
  virtual int onCannotWriteToFile() = 0;               // 2
  virtual int onCannotDeleteFile() = 0;                // 3
  virtual int onCannotReadFromFile() = 0;              // 4
  virtual int onCannotReadFileSize() = 0;              // 5
  virtual int onUnableToOpenPort() = 0;                // 9
  virtual int onCannotWriteToPort() = 0;               // 10
  virtual int onCannotReadFromPort() = 0;              // 11
  virtual int onErrorOnInitialization() = 0;           // 12
  virtual int onErrorInProtocol() = 0;                 // 14
  virtual int onLostConnection() = 0;                  // 16
  virtual int onFileAlreadyExistsOnDevice() = 0;       // 17
  virtual int onFileNotFoundOnDevice() = 0;            // 18
  virtual int onIllegalTargetFileName() = 0;           // 19
  virtual int onIllegalSourceFileName() = 0;           // 20
  virtual int onInvalidArgument() = 0;                 // 21
  virtual int onErrorOnDevice() = 0;                   // 22
  virtual int onMaxNumberOfBrailleTablesLoaded() = 0;  // 23
  virtual int onNotEnoughMemory() = 0;                 // 24
  virtual int onMaxNumberOfFilesLoaded() = 0;          // 25
  virtual int onMethodCollision() = 0;                 // 27
  virtual int onWrongCommandConfirmed() = 0;           // 28
  virtual int onTransmissionCanceledByUser() = 0;      // 29
  virtual int onWrongProtocolVersion() = 0;            // 30
  virtual int onNoHexFileFound() = 0;                  // 32
  virtual int onCannotSwitchToEprom() = 0;             // 33
  virtual int onCannotSwitchToFlash() = 0;             // 34
  virtual int onCannotSwitchFlashBanks() = 0;          // 35
  virtual int onCannotDeleteFlash() = 0;               // 36
  virtual int onErrorWhileLoadingHexFile() = 0;        // 37
  virtual int onNoDeviceFound() = 0;                   // 38
  virtual int onWrongAmountOfHexFiles() = 0;           // 39
  virtual int onHexFilesAreEmpty() = 0;                // 40
  virtual int onDirectoryProblem() = 0;                // 49: change directory, path too long
};

}  // namespace QrCom
