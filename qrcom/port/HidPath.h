#pragma once

#include <optional>
#include <string_view>

namespace QrCom {

// The rule for USB-HID device-interface paths: interface 0 of a composite device (or a device
// without interfaces) of the maker's vendor id 0x4C7A. Yields the product id when the path
// passes, nothing otherwise.
std::optional<int> parseHidPath(std::wstring_view path);

// Product ids that are displays.
bool isDisplayProduct(int productId);
// Displays whose HID interface bridges a serial link with a settable line speed.
bool isBridgeProduct(int productId);

}  // namespace QrCom
