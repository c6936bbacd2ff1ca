#pragma once

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"

namespace QrTest {

// True when `operation` throws an `Expected` (or a subclass) whose message is `message`.
template <typename Expected>
::testing::AssertionResult throwsWith(const std::function<void()>& operation,
                                      const std::wstring& message) {
  try {
    operation();
  } catch (const Expected& error) {
    if (message == error.getMessage()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "message \"" << QrCom::toUtf8(error.getMessage())
                                         << "\", expected \"" << QrCom::toUtf8(message) << "\"";
  } catch (const QrCom::QrException& error) {
    return ::testing::AssertionFailure()
           << "another failure: \"" << QrCom::toUtf8(error.getMessage()) << "\"";
  }
  return ::testing::AssertionFailure()
         << "no failure, expected \"" << QrCom::toUtf8(message) << "\"";
}

}  // namespace QrTest
