#include "qrcom/base/QrException.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

namespace QrCom {
namespace {

TEST(QrExceptionTest, MessageIsCutAt512CharactersAndTerminated) {
  const std::wstring text(600, L'x');
  const ErrorInProtocolException error(text);
  EXPECT_EQ(std::wcslen(error.getMessage()), 512u);
  EXPECT_EQ(std::wstring(error.getMessage()), text.substr(0, 512));

  ErrorInProtocolException changed(error);
  EXPECT_EQ(changed.setMessage(L"a"), 0);
  EXPECT_STREQ(changed.getMessage(), L"a");
  EXPECT_EQ(std::wstring(error.getMessage()), text.substr(0, 512)) << "the copy is its own";
}

TEST(QrExceptionTest, TypeNameIsTheRootsAndACutOneIsNotTerminated) {
  wchar_t cut[11] = {};
  std::fill_n(cut, 11, L'#');
  NoDeviceFoundException(L"").getTypeName(cut, 10);
  EXPECT_EQ(std::wstring(cut, 11), L"class QrCo#");
  wchar_t whole[64];
  WrongStreamSize(L"").getTypeName(whole, 64);
  EXPECT_STREQ(whole, L"class QrCom::QrException *");
}

TEST(QrExceptionTest, NotSupportedAndCompose) {
  try {
    notSupported(L"NoFirmwareUploadStrategy::loadFirmware -- ");
    FAIL() << "notSupported returned";
  } catch (const WrongProtocolVersionException& error) {
    EXPECT_STREQ(error.getMessage(),
                 L"NoFirmwareUploadStrategy::loadFirmware -- Service isn't supported for currently "
                 L"selected device.");
  }
  EXPECT_EQ(
      compose(L"WinFile::erase -- ", L" Can't delete file ", std::wstring(L"C:\\a.txt"), L"."),
      L"WinFile::erase --  Can't delete file C:\\a.txt.");
}

}  // namespace
}  // namespace QrCom
