#pragma once

#include "qrcom/base/LocalFile.h"

namespace QrCom {

class PosixFile : public LocalFile {
 public:
  PosixFile(const std::wstring& path, FileMode mode);
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;
  ~PosixFile() override;

 protected:
  bool systemWrite(const uint8_t* data, int32_t length, int32_t& written) override;
  bool systemRead(uint8_t* data, int32_t length, int32_t& read) override;
  bool systemSize(int32_t& size) override;
  void systemClose() override;
  bool systemDelete() override;

 private:
  int descriptor_ = -1;
};

}  // namespace QrCom
