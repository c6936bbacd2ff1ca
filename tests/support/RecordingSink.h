#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "qrcom/firmware/ProgressSinks.h"

namespace QrTest {

// Records every progress report of a file transfer; `onReport` runs after each one (to cancel
// in the middle of a transfer, for example).
class RecordingSink : public QrCom::FileTransferSink {
 public:
  struct Report {
    uint64_t totalBytes;
    uint64_t doneBytes;
  };

  void onTransferProgress(QrCom::QuorlinDevice*, const std::wstring&, uint32_t fileCount,
                          uint32_t fileIndex, uint64_t totalBytes, uint64_t fileBytes,
                          uint64_t doneBytes, uint64_t doneInFile) override {
    consistent = consistent && fileCount == 1 && fileIndex == 1 && fileBytes == totalBytes &&
                 doneInFile == doneBytes;
    reports.push_back({totalBytes, doneBytes});
    if (onReport) onReport(doneBytes);
  }

  std::vector<Report> reports;
  // Every report named one file of one and gave the same figures for the file and the total.
  bool consistent = true;
  std::function<void(uint64_t)> onReport;
};

}  // namespace QrTest
