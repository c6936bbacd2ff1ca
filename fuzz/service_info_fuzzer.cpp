// The service-information record as the display sends it: whatever it accepts must write back
// to the same 20 bytes' meaning (a second read of the written record gives the same record).
#include <cstdint>
#include <cstdlib>

#include "qrcom/base/QrException.h"
#include "qrcom/firmware/ServiceInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QrCom::ServiceInfo info;
  try {
    info.readObject(data, static_cast<int>(size));
  } catch (const QrCom::QrException&) {
    return 0;
  }
  const auto written = info.writeObject();
  QrCom::ServiceInfo again;
  try {
    again.readObject(written.data(), static_cast<int>(written.size()));
  } catch (const QrCom::QrException&) {
    std::abort();  // a record we accepted must survive its own round
  }
  if (again.writeObject() != written) std::abort();
  return 0;
}
