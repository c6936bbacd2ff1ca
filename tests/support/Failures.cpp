#include "tests/support/Failures.h"

#include "qrcom/base/Utf8.h"

namespace QrTest {

std::string describe(const std::wstring& text) {
  return QrCom::toUtf8(text);
}

std::wstring failureOf(const std::function<void()>& operation) {
  try {
    operation();
  } catch (const QrCom::QrException& error) {
    return error.getMessage();
  }
  return L"(no failure)";
}

::testing::AssertionResult failsAsNotSupported(const std::function<void()>& operation,
                                               const std::wstring& prefix) {
  const std::wstring expected = prefix + QrCom::kServiceNotSupported;
  try {
    operation();
  } catch (const QrCom::WrongProtocolVersionException& error) {
    if (expected == error.getMessage()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "message \"" << QrCom::toUtf8(error.getMessage())
                                         << "\", expected \"" << QrCom::toUtf8(expected) << "\"";
  } catch (const QrCom::QrException& error) {
    return ::testing::AssertionFailure()
           << "another failure: \"" << QrCom::toUtf8(error.getMessage()) << "\"";
  }
  return ::testing::AssertionFailure()
         << "no failure, expected \"" << QrCom::toUtf8(expected) << "\"";
}

}  // namespace QrTest
