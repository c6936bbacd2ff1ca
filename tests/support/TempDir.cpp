#include "tests/support/TempDir.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>

#include "qrcom/base/Utf8.h"

namespace QrTest {

namespace fs = std::filesystem;

fs::path toFsPath(const std::wstring& path) {
  return fs::u8path(QrCom::toUtf8(path));
}

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  root_ = fs::temp_directory_path() /
          ("qrtest-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  fs::create_directories(root_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

std::wstring TempDir::path(const std::wstring& name) const {
  const fs::path full = name.empty() ? root_ : root_ / toFsPath(name);
  return QrCom::fromUtf8(full.u8string());
}

std::wstring TempDir::write(const std::wstring& name, const std::string& content) const {
  std::ofstream out(toFsPath(path(name)), std::ios::binary);
  out << content;
  return path(name);
}

std::string TempDir::read(const std::wstring& name) const {
  std::ifstream in(toFsPath(path(name)), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool TempDir::exists(const std::wstring& name) const {
  return fs::exists(toFsPath(path(name)));
}

}  // namespace QrTest
