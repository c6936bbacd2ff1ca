#include "tests/support/Failures.h"

#include <cxxabi.h>

#include <cstdlib>
#include <regex>
#include <typeinfo>

namespace QrTest {

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
    char* demangled = abi::__cxa_demangle(typeid(error).name(), nullptr, nullptr, nullptr);
    const std::string name = std::regex_replace(demangled, std::regex("^.*:|Exception$"), "");
    std::free(demangled);
    return name + ": " + describe(error.getMessage());
  }
  return "(no failure)";
}

}  // namespace QrTest
