// The pocket reader's answers: ACK, NAK with a code, or anything else collected up to its limit.
#include <cstdint>

#include "fuzz/support/FuzzPort.h"
#include "qrcom/base/QrException.h"
#include "qrcom/protocol/PagelingProtocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QrFuzz::ScopedFuzzClock clock;
  QrFuzz::FuzzPort port(*clock, data, size);
  // One answer after another until the device falls silent.
  for (int answers = 0; answers < 64 && port.remaining() > 0; ++answers) {
    try {
      QrCom::Pageling::awaitAnswer(port, L"Pageling -- ");
    } catch (const QrCom::QrException&) {
    }
  }
  return 0;
}
