#include "tests/support/Failures.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

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

std::string failure(const std::function<void()>& operation) {
  try {
    operation();
  } catch (const QrCom::QrException& error) {
    int status = 0;
    const std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(typeid(error).name(), nullptr, nullptr, &status), std::free);
    std::string name = demangled ? demangled.get() : typeid(error).name();
    name = name.substr(name.rfind(':') + 1);
    if (name.size() > 9 && name.compare(name.size() - 9, 9, "Exception") == 0) {
      name.resize(name.size() - 9);
    }
    return name + ": " + QrCom::toUtf8(error.getMessage());
  }
  return "(no failure)";
}

::testing::AssertionResult eachFailsAsNotSupported(
    const std::vector<std::pair<std::function<void()>, std::wstring>>& operations) {
  for (const auto& [operation, prefix] : operations) {
    const std::string expected =
        "WrongProtocolVersion: " + describe(prefix + QrCom::kServiceNotSupported);
    const std::string got = failure(operation);
    if (got != expected) {
      return ::testing::AssertionFailure() << "\"" << got << "\", expected \"" << expected << "\"";
    }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace QrTest
