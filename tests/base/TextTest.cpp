// Texts: code page 1252, UTF-8.
#include <gtest/gtest.h>

#include "qrcom/base/Text.h"
#include "qrcom/base/Utf8.h"

namespace QrCom {
namespace {

TEST(TextTest, CodePagesAndUtf8) {
  const std::wstring german = L"Gr\u00fc\u00df \u00c4\u00d6\u00dc \u20ac";
  EXPECT_EQ(toAnsi(german), "Gr\xFC\xDF \xC4\xD6\xDC \x80");
  EXPECT_EQ(fromAnsi(toAnsi(german)), german);
  EXPECT_EQ(toAnsi(L"a\u0436b"), "a?b");
  const std::wstring text = L"\u00e4/\u20ac/\U0001F600";
  EXPECT_EQ(toUtf8(text), "\xC3\xA4/\xE2\x82\xAC/\xF0\x9F\x98\x80");
  EXPECT_EQ(fromUtf8(toUtf8(text)), text);
  // A bad lead byte, an over-long form and a cut sequence.
  EXPECT_EQ(fromUtf8("a\xFF-\xC0\x80\xC3"), L"a\uFFFD-\uFFFD\uFFFD\uFFFD");
}

}  // namespace
}  // namespace QrCom
