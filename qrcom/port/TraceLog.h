#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "qrcom/base/NativeFile.h"

namespace QrCom {

// The file of a port trace (PortTrace.h has the format). Every event is written at once, so a
// trace survives a crash up to its last line; a trace that cannot be written is given up
// rather than failing the update. Notes may come from any thread.
class TraceLog {
 public:
  explicit TraceLog(const std::wstring& path);  // throws the file's exception

  void note(const std::wstring& port, const char* event, const std::string& detail = {});
  // A protocol pause, under the port the calling thread used last.
  void notePause(uint32_t milliseconds);
  // Later notes are dropped.
  void close();

 private:
  void writeEvent(const std::string& port, const char* event, const std::string& detail);
  // Under mutex_.
  void write(const std::string& line);

  std::mutex mutex_;
  std::unique_ptr<NativeFile> file_;
  const std::chrono::steady_clock::time_point start_;
};

std::string hexBytes(const uint8_t* data, size_t length);

}  // namespace QrCom
