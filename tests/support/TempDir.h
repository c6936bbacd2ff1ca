#pragma once

#include <filesystem>
#include <string>

namespace QrTest {

// A fresh directory under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The full wide path of `name` inside the directory.
  std::wstring path(const std::wstring& name = L"") const;
  // Writes `content` to `name` and returns its full path.
  std::wstring write(const std::wstring& name, const std::string& content) const;
  std::string read(const std::wstring& name) const;
  bool exists(const std::wstring& name) const;

 private:
  std::filesystem::path root_;
};

std::filesystem::path toFsPath(const std::wstring& path);

}  // namespace QrTest
