#pragma once

#include <cstdint>
#include <string>

namespace QrCom {

// The date and time a device list record carries, field by field.
struct EntryTime {
  int32_t year = 0;
  uint8_t month = 0;
  uint8_t day = 0;
  uint8_t hour = 0;
  uint8_t minute = 0;
  uint8_t second = 0;
};

// One entry of a device file or folder list, with the texts a list view shows.
class DirectoryEntry {
 public:
  static constexpr uint32_t kFolderFlags = 2;

  // A path ending in ".lnk" (any case) is replaced by the link's target where the platform
  // resolves links, before it is split.
  DirectoryEntry(const std::wstring& path, uint32_t flags, const EntryTime& time, uint64_t size);

  bool isFolder() const { return isFolder_; }
  const std::wstring& path() const { return path_; }
  // Up to and including the last slash (or, without one, the last backslash).
  const std::wstring& directory() const { return directory_; }
  const std::wstring& name() const { return name_; }
  // A folder's name follows a slash.
  const std::wstring& displayName() const { return displayName_; }
  const EntryTime& time() const { return time_; }
  // The user's short date, a blank and the time of day with zero seconds in the user's
  // format; empty when the record's date or time is not a valid one.
  const std::wstring& dateTimeText() const { return dateTimeText_; }
  uint64_t size() const { return size_; }
  // The low 32 bits of the size right-aligned in 15 places; empty for a folder.
  const std::wstring& sizeText() const { return sizeText_; }
  uint32_t flags() const { return flags_; }

 private:
  bool isFolder_;
  std::wstring path_;
  std::wstring directory_;
  std::wstring name_;
  std::wstring displayName_;
  EntryTime time_;
  std::wstring dateTimeText_;
  uint64_t size_;
  std::wstring sizeText_;
  uint32_t flags_;
};

}  // namespace QrCom
