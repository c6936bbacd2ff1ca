#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "qrcom/base/QrException.h"

namespace QrTest {

// `text` as UTF-8 for failure messages.
std::string describe(const std::wstring& text);

// The message of the QrException that `operation` throws, or "(no failure)".
std::wstring failureOf(const std::function<void()>& operation);

// "ErrorInProtocol: <message>" for the QrException that `operation` throws: its exact class
// without namespace and "Exception", then its message (UTF-8); "(no failure)" when none.
std::string failure(const std::function<void()>& operation);

// Each operation throws WrongProtocolVersionException with its prefix followed by the
// not-supported text.
::testing::AssertionResult eachFailsAsNotSupported(
    const std::vector<std::pair<std::function<void()>, std::wstring>>& operations);

}  // namespace QrTest
