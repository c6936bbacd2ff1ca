#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "emulator/Bytes.h"

namespace QrEmu {

// The date and time a device keeps with a file.
struct FileStamp {
  uint16_t year = 0;
  uint8_t month = 0;
  uint8_t day = 0;
  uint8_t hour = 0;
  uint8_t minute = 0;
  uint8_t second = 0;
};

struct DeviceFile {
  Bytes content;
  uint8_t attribute = 0;
  FileStamp stamp;
};

// One entry of a listing: a file (with its size) or a folder of the current directory.
struct Listing {
  std::string name;
  bool folder = false;
  uint64_t size = 0;
  FileStamp stamp;
};

// The file store of an emulated display, names as the device sees them (ANSI bytes). The
// legacy line keeps one flat list of files; the current firmware has directories, with
// absolute paths ("/QRSYS/X") and names relative to the current directory. Capacity counts
// file contents only.
class DeviceFileSystem {
 public:
  DeviceFileSystem(bool directories, uint64_t capacity);

  bool directories() const { return directories_; }
  uint64_t capacity() const { return capacity_; }
  uint64_t used() const;
  uint64_t free() const { return capacity_ - std::min(capacity_, used()); }

  // The full key of `name`: itself on a flat store, else the normalised absolute path.
  std::string resolve(const std::string& name) const;

  const DeviceFile* find(const std::string& name) const;
  // False when the name is empty, its folder does not exist, or a folder has that name.
  bool canStore(const std::string& name) const;
  bool store(const std::string& name, DeviceFile file);
  bool remove(const std::string& name);
  // Fails when `from` is missing or `to` exists.
  bool rename(const std::string& from, const std::string& to);

  bool isFolder(const std::string& name) const;
  // Fails when the folder's parent is missing or the name is taken.
  bool makeFolder(const std::string& name);
  bool changeFolder(const std::string& name);
  const std::string& currentFolder() const { return current_; }

  // Files, or folders, directly in the current folder (everything on a flat store).
  std::vector<Listing> files() const;
  std::vector<Listing> folders() const;
  // Every file, by its full key, wherever it lies.
  const std::map<std::string, DeviceFile>& everyFile() const { return files_; }

 private:
  static std::string parentOf(const std::string& path);
  bool inCurrent(const std::string& path) const;

  bool directories_;
  uint64_t capacity_;
  std::map<std::string, DeviceFile> files_;
  std::set<std::string> folders_;  // absolute paths; "/" always exists
  std::string current_ = "/";
};

}  // namespace QrEmu
