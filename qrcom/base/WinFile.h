#pragma once

#include <windows.h>

#include "qrcom/base/LocalFile.h"

namespace QrCom {

class WinFile : public LocalFile {
 public:
  WinFile(const std::wstring& path, FileMode mode);
  WinFile(const WinFile&) = delete;
  WinFile& operator=(const WinFile&) = delete;
  ~WinFile() override;

 protected:
  bool systemWrite(const uint8_t* data, int32_t length, int32_t& written) override;
  bool systemRead(uint8_t* data, int32_t length, int32_t& read) override;
  bool systemSize(int32_t& size) override;
  void systemClose() override;
  bool systemDelete() override;

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace QrCom
