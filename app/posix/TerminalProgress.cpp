#include "app/posix/TerminalProgress.h"

#include "qrcom/base/Utf8.h"

namespace QrApp {

namespace {

std::string lineFor(const std::wstring& status, unsigned percent) {
  std::string line = QrCom::toUtf8(status);
  if (!line.empty()) line += ' ';
  return line + std::to_string(percent) + " %";
}

}  // namespace

std::string ProgressRenderer::update(const std::wstring& status, unsigned percent) {
  if (inPlace_) {
    if (shown_ && status == status_ && percent == percent_) return {};
    status_ = status;
    percent_ = percent;
    shown_ = true;
    lineOpen_ = true;
    // Carriage return, the line, erase the rest of an older, longer line.
    return "\r" + lineFor(status, percent) + "\x1b[K";
  }
  // Plain lines start with the first status text or the first 10 %.
  const bool newStatus = status != status_;
  const bool newStep = percent / 10 != percent_ / 10;
  if (!newStatus && !newStep) return {};
  status_ = status;
  percent_ = percent;
  return lineFor(status, percent) + "\n";
}

std::string ProgressRenderer::endLine() {
  shown_ = false;
  if (!lineOpen_) return {};
  lineOpen_ = false;
  return "\n";
}

}  // namespace QrApp
