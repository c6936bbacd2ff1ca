#include "app/CommandLineFolder.h"

namespace QrApp {

namespace {

constexpr std::size_t kMaxFolder = 260;

}  // namespace

std::wstring folderFromCommandLine(const std::wstring& commandLine) {
  std::wstring folder = commandLine;
  const std::size_t end = folder.find_last_not_of(L' ');
  folder.erase(end == std::wstring::npos ? 0 : end + 1);
  if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"' &&
      folder.find(L'"', 1) == folder.size() - 1) {
    folder = folder.substr(1, folder.size() - 2);
  }
  return folder.substr(0, kMaxFolder);
}

}  // namespace QrApp
