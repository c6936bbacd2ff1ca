#pragma once

// What the golden tests of the EPROM upload share: a firmware folder, the virtual clock, a
// scripted port and a sink that records what the upload reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "qrcom/base/QrException.h"
#include "qrcom/firmware/EpromVersion11FirmwareUploadStrategy.h"
#include "tests/firmware/BootLoaderScript.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/TempDir.h"
#include "tests/support/VirtualClock.h"

namespace QrTest::Eprom {

// A data record and the end record, as a HEX tool writes them.
inline const std::string kDataRecord = ":1000000002003075816012010080FE0000000000D7";
inline const std::string kShortRecord = ":04001000E4F5902261";
inline const std::string kEndRecord = ":00000001FF";

// "Firmware Upload..." on 40 cells, after the leading 0x01.
inline const Bytes kMessage40 =
    hex("01 4B 0A 17 0D 3A 01 17 11 00 65 0F 07 15 01 19 28 28 28") + Bytes(22, 0x00);

struct UploadReport {
  std::wstring fileName;
  uint32_t fileCount, fileIndex;
  uint64_t totalBytes, fileBytes, doneBytes, doneInFile;
};

class UploadRecorder : public QrCom::FirmwareUploadProgressSink {
 public:
  void onProgress(QrCom::QuorlinDevice*, const std::wstring& fileName, uint32_t fileCount,
                  uint32_t fileIndex, uint64_t totalBytes, uint64_t fileBytes, uint64_t doneBytes,
                  uint64_t doneInFile) override {
    progress.push_back(
        {fileName, fileCount, fileIndex, totalBytes, fileBytes, doneBytes, doneInFile});
  }
  void onStage(QrCom::QuorlinDevice*, uint32_t stage) override { stages.push_back(stage); }

  std::vector<uint32_t> stages;
  std::vector<UploadReport> progress;
};

// The message of the exception of class E that `operation` throws, or "(no failure)".
template <typename E, typename Operation>
std::wstring failureOfClass(Operation operation) {
  try {
    operation();
  } catch (const E& error) {
    return error.getMessage();
  }
  return L"(no failure)";
}

inline size_t countPairs(const std::vector<uint32_t>& pauses, uint32_t first, uint32_t second) {
  size_t count = 0;
  for (size_t i = 0; i + 1 < pauses.size(); ++i) {
    if (pauses[i] == first && pauses[i + 1] == second) ++count;
  }
  return count;
}

class EpromFixture : public ::testing::Test {
 protected:
  static constexpr uint8_t kModel = 116;  // 40 cells

  // A firmware file of the set in the folder, lines ended with `lineEnd`.
  std::wstring writeFile(const std::wstring& name, const std::vector<std::string>& records,
                         const std::string& lineEnd = "\r\n") {
    std::string text;
    for (const std::string& record : records) text += record + lineEnd;
    return folder.write(name, text);
  }

  void load(QrCom::EpromVersion11FirmwareUploadStrategy& strategy, const std::wstring& path) {
    script.attachTo(port);
    strategy.loadFirmware(port, path, &sink);
  }

  // Runs the upload of `path` by a display of `model` with `cells`.
  void load(const std::wstring& path, uint8_t model = kModel, int cells = 40) {
    QrCom::EpromVersion11FirmwareUploadStrategy strategy(nullptr, model, cells);
    load(strategy, path);
  }

  // The failure message of class E of an upload of `path`.
  template <typename E>
  std::wstring failureOf(const std::wstring& path, uint8_t model = kModel, int cells = 40) {
    return failureOfClass<E>([&] { load(path, model, cells); });
  }

  // A new script on a clean port, for a test's next case.
  void restart() {
    script = BootLoaderScript();
    port.clearLog();
  }

  // Up to the bank count: found at once, message shown, EPROM mode entered.
  void reachEpromMode(uint8_t model = kModel, const Bytes& message = kMessage40) {
    script.probe(model).uploadMessage(message).epromSwitch();
  }

  TempDir folder;
  ScopedVirtualClock clock;
  ScriptedPort port{&*clock};
  BootLoaderScript script;
  UploadRecorder sink;
};

}  // namespace QrTest::Eprom
