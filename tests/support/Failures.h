#pragma once

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "qrcom/base/QrException.h"

namespace QrTest {

// The message of the QrException that `operation` throws, or "(no failure)".
std::wstring failureOf(const std::function<void()>& operation);

// True when `operation` throws WrongProtocolVersionException with `prefix` followed by the
// not-supported text.
::testing::AssertionResult failsAsNotSupported(const std::function<void()>& operation,
                                               const std::wstring& prefix);

}  // namespace QrTest
