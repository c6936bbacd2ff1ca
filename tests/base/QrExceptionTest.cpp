#include "qrcom/base/QrException.h"

#include <gtest/gtest.h>

#include "tests/support/Failures.h"

namespace QrCom {
namespace {

TEST(QrExceptionTest, MessagesAreCutAt512AndTheTypeNameIsTheRoots) {
  const std::wstring text(600, L'x');
  ErrorInProtocolException error(text);
  EXPECT_EQ(std::wstring(error.getMessage()), text.substr(0, 512));
  EXPECT_EQ(error.setMessage(L"a"), 0);
  EXPECT_STREQ(error.getMessage(), L"a");
  EXPECT_EQ(compose(L"WinFile::erase -- ", L" Can't delete ", std::wstring(L"C:\\a"), L"."),
            L"WinFile::erase --  Can't delete C:\\a.");
  EXPECT_EQ(QrTest::failure([] { notSupported(L"X -- "); }),
            "WrongProtocolVersion: X -- Service isn't supported for currently selected device.");
  wchar_t name[64];
  std::fill_n(name, 64, L'#');
  NoDeviceFoundException(L"").getTypeName(name, 10);  // a cut name is not terminated
  EXPECT_EQ(std::wstring(name, 11), L"class QrCo#");
  WrongStreamSize(L"").getTypeName(name, 64);
  EXPECT_STREQ(name, L"class QrCom::QrException *");
}

}  // namespace
}  // namespace QrCom
