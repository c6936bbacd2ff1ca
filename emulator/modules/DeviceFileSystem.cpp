#include "emulator/modules/DeviceFileSystem.h"

#include <algorithm>
#include <sstream>

namespace QrEmu {

DeviceFileSystem::DeviceFileSystem(bool directories, uint64_t capacity)
    : directories_(directories), capacity_(capacity) {
  folders_.insert("/");
}

uint64_t DeviceFileSystem::used() const {
  uint64_t total = 0;
  for (const auto& [name, file] : files_) total += file.content.size();
  return total;
}

std::string DeviceFileSystem::resolve(const std::string& name) const {
  if (!directories_) return name;
  const std::string joined = !name.empty() && name[0] == '/' ? name : current_ + "/" + name;
  std::vector<std::string> parts;
  std::istringstream in(joined);
  std::string part;
  while (std::getline(in, part, '/')) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else {
      parts.push_back(part);
    }
  }
  std::string path;
  for (const std::string& each : parts) path += "/" + each;
  return path.empty() ? "/" : path;
}

std::string DeviceFileSystem::parentOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

const DeviceFile* DeviceFileSystem::find(const std::string& name) const {
  const auto found = files_.find(resolve(name));
  return found == files_.end() ? nullptr : &found->second;
}

bool DeviceFileSystem::canStore(const std::string& name) const {
  if (name.empty()) return false;
  const std::string path = resolve(name);
  return !directories_ || (folders_.count(path) == 0 && folders_.count(parentOf(path)) > 0);
}

bool DeviceFileSystem::store(const std::string& name, DeviceFile file) {
  if (!canStore(name)) return false;
  files_[resolve(name)] = std::move(file);
  return true;
}

bool DeviceFileSystem::remove(const std::string& name) {
  return files_.erase(resolve(name)) > 0;
}

bool DeviceFileSystem::rename(const std::string& from, const std::string& to) {
  const auto found = files_.find(resolve(from));
  const std::string target = resolve(to);
  if (found == files_.end() || files_.count(target) > 0 || folders_.count(target) > 0) {
    return false;
  }
  DeviceFile file = std::move(found->second);
  files_.erase(found);
  files_[target] = std::move(file);
  return true;
}

bool DeviceFileSystem::isFolder(const std::string& name) const {
  return directories_ && folders_.count(resolve(name)) > 0;
}

bool DeviceFileSystem::makeFolder(const std::string& name) {
  if (!directories_ || name.empty()) return false;
  const std::string path = resolve(name);
  if (folders_.count(path) > 0 || files_.count(path) > 0) return false;
  if (folders_.count(parentOf(path)) == 0) return false;
  folders_.insert(path);
  return true;
}

bool DeviceFileSystem::changeFolder(const std::string& name) {
  if (!isFolder(name)) return false;
  current_ = resolve(name);
  return true;
}

bool DeviceFileSystem::inCurrent(const std::string& path) const {
  return !directories_ || (path != "/" && parentOf(path) == current_);
}

std::vector<Listing> DeviceFileSystem::files() const {
  std::vector<Listing> listing;
  for (const auto& [path, file] : files_) {
    if (!inCurrent(path)) continue;
    const std::string name = directories_ ? path.substr(path.rfind('/') + 1) : path;
    listing.push_back({name, false, file.content.size(), file.stamp});
  }
  return listing;
}

std::vector<Listing> DeviceFileSystem::folders() const {
  std::vector<Listing> listing;
  for (const std::string& path : folders_) {
    if (inCurrent(path)) listing.push_back({path.substr(path.rfind('/') + 1), true, 0, {}});
  }
  return listing;
}

}  // namespace QrEmu
