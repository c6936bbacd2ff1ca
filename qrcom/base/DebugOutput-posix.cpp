#include <atomic>
#include <cstdio>

#include "qrcom/base/DebugOutput.h"
#include "qrcom/base/Utf8.h"

namespace QrCom {

namespace {
std::atomic<bool> verbose{false};
}  // namespace

void debugOutput(const std::wstring& line) {
  if (!verbose) return;
  const std::string text = toUtf8(line);
  std::fwrite(text.data(), 1, text.size(), stderr);
}

void setVerboseDebugOutput(bool enabled) {
  verbose = enabled;
}

}  // namespace QrCom
