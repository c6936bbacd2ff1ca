#include <gtest/gtest.h>

#include "qrcom/base/Text.h"
#include "qrcom/base/Utf8.h"

namespace QrCom {
namespace {

TEST(TextTest, CodePage1252AndUtf8RoundTripsAndReplacements) {
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
}

}  // namespace
}  // namespace QrCom
