#include <windows.h>

#include <objidl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "qrcom/protocol/DirectoryEntry.h"
#include "tests/support/TempDir.h"

namespace QrCom {
namespace {

// Saves a shell link at `linkPath` that points to `target`.
bool createLink(const std::wstring& linkPath, const std::wstring& target) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool saved = false;
  IShellLinkW* link = nullptr;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link)))) {
    link->SetPath(target.c_str());
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      saved = SUCCEEDED(file->Save(linkPath.c_str(), TRUE));
      file->Release();
    }
    link->Release();
  }
  CoUninitialize();
  return saved;
}

TEST(DirectoryEntryWin32Test, LinkEntryIsReplacedByItsTarget) {
  QrTest::TempDir dir;
  const std::wstring target = dir.write(L"target.txt", "x");
  ASSERT_TRUE(createLink(dir.path(L"Demo.LNK"), target));
  const DirectoryEntry entry(dir.path(L"Demo.LNK"), 0, {2024, 5, 1, 14, 5, 33}, 0);
  EXPECT_EQ(entry.name(), L"target.txt");
  EXPECT_EQ(entry.directory(), entry.path().substr(0, entry.path().size() - 10));
}

}  // namespace
}  // namespace QrCom
