#include "app/posix/PortHolders.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <fstream>
#include <memory>

#include "app/TextFormat.h"
#include "app/posix/TerminalTexts.h"
#include "qrcom/base/Utf8.h"

namespace QrApp {

namespace {

using Directory = std::unique_ptr<DIR, int (*)(DIR*)>;

Directory openDirectory(const std::string& path) {
  return Directory(opendir(path.c_str()), closedir);
}

bool sameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::string commandName(const std::string& process) {
  std::ifstream comm(process + "/comm");
  std::string name;
  std::getline(comm, name);
  return name.empty() ? "?" : name;
}

}  // namespace

std::vector<PortHolder> findPortHolders(const std::vector<std::string>& paths,
                                        const std::string& proc) {
  std::vector<struct stat> files(paths.size());
  std::vector<bool> present(paths.size());
  for (size_t i = 0; i < paths.size(); ++i) present[i] = stat(paths[i].c_str(), &files[i]) == 0;

  std::vector<std::vector<PortHolder>> found(paths.size());
  const std::string self = std::to_string(getpid());
  const Directory processes = openDirectory(proc);
  while (dirent* process = processes ? readdir(processes.get()) : nullptr) {
    const std::string pid = process->d_name;
    if (!std::isdigit(static_cast<unsigned char>(pid[0])) || pid == self) continue;
    const std::string fds = proc + "/" + pid + "/fd";
    const Directory descriptors = openDirectory(fds);
    std::vector<bool> holds(paths.size());
    while (dirent* descriptor = descriptors ? readdir(descriptors.get()) : nullptr) {
      struct stat file {};
      if (descriptor->d_name[0] == '.' || stat((fds + "/" + descriptor->d_name).c_str(), &file)) {
        continue;
      }
      for (size_t i = 0; i < paths.size(); ++i) {
        holds[i] = holds[i] || (present[i] && sameFile(file, files[i]));
      }
    }
    for (size_t i = 0; i < paths.size(); ++i) {
      if (holds[i]) found[i].push_back({paths[i], std::stoi(pid), commandName(proc + "/" + pid)});
    }
  }
  std::vector<PortHolder> holders;
  for (auto& each : found) holders.insert(holders.end(), each.begin(), each.end());
  return holders;
}

std::wstring portHolderText(const PortHolder& holder, uint16_t language) {
  return formatText(
      terminalText(TerminalText::kTxtPortHeld, language),
      {QrCom::fromUtf8(holder.path), QrCom::fromUtf8(holder.name), std::to_wstring(holder.pid)});
}

}  // namespace QrApp
