// Texts: code page 1252, UTF-8, and the messages the library fails with.
#include <gtest/gtest.h>

#include "qrcom/base/QrException.h"
#include "qrcom/base/Text.h"
#include "qrcom/base/Utf8.h"
#include "tests/support/Failures.h"

namespace QrCom {
namespace {

TEST(TextTest, CodePagesUtf8AndFailureMessages) {
  const std::wstring german = L"Gr\u00fc\u00dfe \u00c4\u00d6\u00dc \u20ac";
  EXPECT_EQ(toAnsi(german),
            "Gr\xFC\xDF"
            "e \xC4\xD6\xDC \x80");
  EXPECT_EQ(fromAnsi(toAnsi(german)), german);
  EXPECT_EQ(toAnsi(L"a\u0436b"), "a?b");
  const std::wstring text = L"\u00e4/\u20ac/\U0001F600";
  EXPECT_EQ(toUtf8(text), "\xC3\xA4/\xE2\x82\xAC/\xF0\x9F\x98\x80");
  EXPECT_EQ(fromUtf8(toUtf8(text)), text);
  EXPECT_EQ(fromUtf8("a\xFF"
                     "b"),
            L"a\uFFFDb");
  EXPECT_EQ(fromUtf8("\xC3"), L"\uFFFD");
  EXPECT_EQ(fromUtf8("\xC0\x80"), L"\uFFFD\uFFFD");  // over-long forms are refused

  // Messages are cut at 512 characters; the type name is the root's.
  const std::wstring longText(600, L'x');
  ErrorInProtocolException error(longText);
  EXPECT_EQ(std::wstring(error.getMessage()), longText.substr(0, 512));
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
