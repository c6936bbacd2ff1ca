#include "qrcom/port/HidEnumeration.h"

#include "qrcom/port/HidDevice.h"
#include "qrcom/port/HidPath.h"

namespace QrCom {

void enumerateHidInterfaces(HidInterfaceList& out) {
  out.clear();
  for (const std::wstring& path : hidBus().interfacePaths()) {
    const auto productId = parseHidPath(path);
    if (!productId || !isDisplayProduct(*productId)) continue;
    out.push_back({static_cast<uint8_t>(*productId), path});
  }
}

}  // namespace QrCom
