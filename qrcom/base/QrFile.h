#pragma once

#include <cstdint>

namespace QrCom {

// A file opened for reading or writing.
class QrFile {
 public:
  virtual int32_t writeBuffer(const uint8_t* data, int32_t length) = 0;
  virtual int32_t readBuffer(uint8_t* data, int32_t length) = 0;
  // Reads up to and including a line feed, or `capacity` bytes; returns the bytes stored.
  virtual int32_t getLine(char* data, int32_t capacity) = 0;
  virtual int32_t getSize() = 0;

 protected:
  ~QrFile() = default;
};

}  // namespace QrCom
