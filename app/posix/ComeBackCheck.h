#pragma once

#include <cstdint>
#include <string>

#include "app/FirmwareUploadControler.h"
#include "app/posix/SettingsFile.h"

namespace QrApp {

// Proves an update: the display is identified again where it is now, within a bound, and must
// tell the serial number it told before; its firmware version before and after is reported
// where the model can tell it. Before the upload the display's model is remembered in
// `settings` (when given), so that the display can be finished should the upload not finish.
class ComeBackCheck : public UploadWitness {
 public:
  static constexpr uint32_t kBoundMs = 60000;
  static constexpr uint32_t kRetryPauseMs = 2000;

  explicit ComeBackCheck(uint16_t language, SettingsFile* settings = nullptr)
      : language_(language), settings_(settings) {}

  void before(QrCom::QuorlinDevice& device) override;
  bool after(QrCom::QuorlinDevice& device, std::wstring& report) override;

  // The versions the display told before and, once it proved the update, after; empty where
  // it tells none.
  const std::wstring& firmwareBefore() const { return firmwareBefore_; }
  const std::wstring& firmwareAfter() const { return firmwareAfter_; }

 private:
  const uint16_t language_;
  SettingsFile* const settings_;
  std::wstring serial_;
  std::wstring firmwareBefore_;
  std::wstring firmwareAfter_;
};

}  // namespace QrApp
