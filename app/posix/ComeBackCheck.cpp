#include "app/posix/ComeBackCheck.h"

#include "app/TextFormat.h"
#include "app/posix/DisplayListing.h"
#include "app/posix/TerminalTexts.h"
#include "qrcom/base/Clock.h"
#include "qrcom/base/DebugOutput.h"
#include "qrcom/base/QrException.h"
#include "qrcom/device/QuorlinDevice.h"

namespace QrApp {

void ComeBackCheck::before(QrCom::QuorlinDevice& device) {
  const ListedDisplay listed = listedDisplay(device, language_);
  serial_ = listed.serial;
  firmwareBefore_ = listed.firmware;
  if (settings_ != nullptr) settings_->rememberModel(serial_, listed.modelId);
}

bool ComeBackCheck::after(QrCom::QuorlinDevice& device, std::wstring& report) {
  firmwareAfter_.clear();
  const uint32_t start = QrCom::clock().tick();
  ListedDisplay now;
  for (;;) {
    try {
      device.updateDeviceProperties();
      now = listedDisplay(device, language_);
      // A display still starting may not tell its serial number yet.
      if (!now.serial.empty() || serial_.empty()) break;
    } catch (const QrCom::QrException& failure) {
      QrCom::debugOutput(std::wstring(failure.getMessage()) + L"\n");
    }
    if (QrCom::clock().tick() - start >= kBoundMs) {
      report = formatText(terminalText(TerminalText::kTxtNotBack, language_),
                          {std::to_wstring(kBoundMs / 1000)});
      return false;
    }
    QrCom::clock().sleep(kRetryPauseMs);
  }
  if (now.serial != serial_) {
    report = formatText(terminalText(TerminalText::kTxtOtherDisplayBack, language_), {now.serial});
    return false;
  }
  firmwareAfter_ = now.firmware;
  if (now.firmware.empty()) {
    report = terminalText(TerminalText::kTxtBack, language_);
  } else if (firmwareBefore_.empty()) {
    report = formatText(terminalText(TerminalText::kTxtBackWithVersion, language_), {now.firmware});
  } else {
    report = formatText(terminalText(TerminalText::kTxtBackWithVersions, language_),
                        {now.firmware, firmwareBefore_});
  }
  return true;
}

}  // namespace QrApp
