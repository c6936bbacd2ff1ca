#include "qrcom/port/ScreenReaderDriver.h"

namespace QrCom {

// Built without the BrlAPI client library: a held port stays refused, as it always was.

void useScreenReaderDaemon(std::optional<std::string>) {}

bool suspendScreenReaderDriver() {
  return false;
}

void resumeScreenReaderDriver() {}

}  // namespace QrCom
