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
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
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
  const std::wstring link = dir.path(L"Demo.LNK");
  ASSERT_TRUE(createLink(link, target));

  const DirectoryEntry entry(link, 0, {2024, 5, 1, 14, 5, 33}, 0);
  EXPECT_EQ(entry.name(), L"target.txt");
  EXPECT_EQ(entry.directory(), entry.path().substr(0, entry.path().size() - 10));
}

TEST(DirectoryEntryWin32Test, UnresolvableLinkKeepsItsPath) {
  const DirectoryEntry entry(L"/QRSYS/Demo.lnk", 0, {2024, 5, 1, 14, 5, 33}, 0);
  EXPECT_EQ(entry.path(), L"/QRSYS/Demo.lnk");
}

}  // namespace
}  // namespace QrCom
