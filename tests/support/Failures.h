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

// True when `operation` throws WrongProtocolVersionException with `prefix` followed by the
// not-supported text.
::testing::AssertionResult failsAsNotSupported(const std::function<void()>& operation,
                                               const std::wstring& prefix);

// failsAsNotSupported for each operation with its prefix.
::testing::AssertionResult eachFailsAsNotSupported(
    const std::vector<std::pair<std::function<void()>, std::wstring>>& operations);

// True when `operation` throws an `Expected` (or a subclass) whose message is `message`.
template <typename Expected>
::testing::AssertionResult failsWith(const std::function<void()>& operation,
                                     const std::wstring& message) {
  try {
    operation();
  } catch (const Expected& error) {
    if (message == error.getMessage()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "message \"" << describe(error.getMessage())
                                         << "\", expected \"" << describe(message) << "\"";
  } catch (const QrCom::QrException& error) {
    return ::testing::AssertionFailure()
           << "another failure: \"" << describe(error.getMessage()) << "\"";
  }
  return ::testing::AssertionFailure() << "no failure, expected \"" << describe(message) << "\"";
}

}  // namespace QrTest
