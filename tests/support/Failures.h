#pragma once

#include <functional>
#include <string>

#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"

namespace QrTest {

// `text` as UTF-8 for failure messages.
inline std::string describe(const std::wstring& text) {
  return QrCom::toUtf8(text);
}

// The message of the QrException that `operation` throws, or "(no failure)".
std::wstring failureOf(const std::function<void()>& operation);

// "ErrorInProtocol: <message>" for the QrException that `operation` throws: its exact class
// without namespace and "Exception", then its message (UTF-8); "(no failure)" when none.
std::string failure(const std::function<void()>& operation);

}  // namespace QrTest
