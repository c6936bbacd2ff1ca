#include "qrcom/firmware/SecondaryUploadProgressHelper.h"

#include <algorithm>

namespace QrCom {

SecondaryUploadProgressHelper::SecondaryUploadProgressHelper(
    SecondaryFirmwareUploadProgressSink* target, int kind)
    : target_(target), kind_(kind) {}

void SecondaryUploadProgressHelper::onTransferProgress(QuorlinDevice* device,
                                                       const std::wstring& fileName, uint32_t,
                                                       uint32_t, uint64_t totalBytes, uint64_t,
                                                       uint64_t doneBytes, uint64_t) {
  if (target_ == nullptr) return;
  // An empty transfer has nothing to show yet; more done than announced is complete.
  uint64_t percent = 0;
  if (totalBytes > 0) percent = doneBytes >= totalBytes ? 100 : doneBytes * 100 / totalBytes;
  target_->onSecondaryProgress(device, kind_, fileName, static_cast<uint32_t>(percent / 2));
}

void SecondaryUploadProgressHelper::onSecondaryProgress(QuorlinDevice* device, int kind,
                                                        const std::wstring& fileName,
                                                        uint32_t percent) {
  if (target_ == nullptr) return;
  target_->onSecondaryProgress(device, kind, fileName, std::min<uint32_t>(percent, 100) / 2 + 50);
}

}  // namespace QrCom
