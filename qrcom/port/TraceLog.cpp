#include "qrcom/port/TraceLog.h"

#include <cinttypes>
#include <cstdio>

#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"

namespace QrCom {

namespace {

// The port this thread traced last: where its pauses belong.
thread_local std::string threadPort = "-";

std::string fieldOf(const std::wstring& name) {
  std::string field;
  for (const char c : toUtf8(name)) {
    if (c == ' ') {
      field += "%20";
    } else if (c == '%') {
      field += "%25";
    } else {
      field += c;
    }
  }
  return field.empty() ? "-" : field;
}

}  // namespace

std::string hexBytes(const uint8_t* data, size_t length) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(length * 3);
  for (size_t i = 0; i < length; ++i) {
    if (i > 0) text += ' ';
    text += kDigits[data[i] >> 4];
    text += kDigits[data[i] & 0x0F];
  }
  return text;
}

TraceLog::TraceLog(const std::wstring& path)
    : file_(std::make_unique<NativeFile>(path, kFileWrite)),
      start_(std::chrono::steady_clock::now()) {
  write("# quorlin port trace 1: microseconds, port, event, detail\n");
}

void TraceLog::note(const std::wstring& port, const char* event, const std::string& detail) {
  threadPort = fieldOf(port);
  writeEvent(threadPort, event, detail);
}

void TraceLog::notePause(uint32_t milliseconds) {
  writeEvent(threadPort, "pause", std::to_string(milliseconds));
}

void TraceLog::close() {
  std::lock_guard<std::mutex> guard(mutex_);
  file_.reset();
}

void TraceLog::writeEvent(const std::string& port, const char* event, const std::string& detail) {
  // The time is taken under the lock, so the lines of several threads stay in time order.
  std::lock_guard<std::mutex> guard(mutex_);
  if (!file_) return;
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(
                          std::chrono::steady_clock::now() - start_)
                          .count();
  char stamp[24];
  std::snprintf(stamp, sizeof stamp, "%12" PRId64 " ", static_cast<int64_t>(micros));
  write(stamp + port + ' ' + event + (detail.empty() ? "" : " " + detail) + '\n');
}

void TraceLog::write(const std::string& line) {
  if (!file_) return;
  try {
    file_->writeBuffer(reinterpret_cast<const uint8_t*>(line.data()),
                       static_cast<int32_t>(line.size()));
  } catch (const QrException&) {
    file_.reset();  // a full disk ends the trace, not the update
  }
}

}  // namespace QrCom
