#include <windows.h>

#include <objidl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "qrcom/protocol/DirectoryEntry.h"
#include "tests/support/TempDir.h"

namespace QrCom {
namespace {

// A shell link entry stands for its target.
TEST(DirectoryEntryWin32Test, LinkEntryIsReplacedByItsTarget) {
  QrTest::TempDir dir;
  const std::wstring target = dir.write(L"target.txt", "x");
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IShellLinkW* link = nullptr;
  IPersistFile* file = nullptr;
  ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IShellLinkW, reinterpret_cast<void**>(&link))));
  link->SetPath(target.c_str());
  ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
  EXPECT_TRUE(SUCCEEDED(file->Save(dir.path(L"Demo.LNK").c_str(), TRUE)));
  file->Release();
  link->Release();
  CoUninitialize();
  const DirectoryEntry entry(dir.path(L"Demo.LNK"), 0, {2024, 5, 1, 14, 5, 33}, 0);
  EXPECT_EQ(entry.name(), L"target.txt");
  EXPECT_EQ(entry.directory(), entry.path().substr(0, entry.path().size() - 10));
}

}  // namespace
}  // namespace QrCom
