#include "qrcom/protocol/MonitorLine.h"

#include <cstring>

namespace QrCom {

bool MonitorLine::operator==(const MonitorLine& other) const {
  return length_ == other.length_ && std::memcmp(text_, other.text_, length_) == 0;
}

}  // namespace QrCom
