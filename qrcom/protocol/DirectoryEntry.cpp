#include "qrcom/protocol/DirectoryEntry.h"

#include <cwchar>
#include <cwctype>

#include "qrcom/protocol/EntryTexts.h"

namespace QrCom {

namespace {

bool isLink(const std::wstring& path) {
  const size_t dot = path.rfind(L'.');
  if (dot == std::wstring::npos) return false;
  std::wstring extension = path.substr(dot + 1);
  for (wchar_t& character : extension) character = static_cast<wchar_t>(std::towlower(character));
  return extension == L"lnk";
}

bool isValid(const EntryTime& time) {
  static constexpr uint8_t kDaysInMonth[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (time.year < 1601 || time.year > 30827) return false;  // what the platforms can format
  if (time.month < 1 || time.month > 12) return false;
  const bool leap = (time.year % 4 == 0 && time.year % 100 != 0) || time.year % 400 == 0;
  const int days = time.month == 2 && !leap ? 28 : kDaysInMonth[time.month - 1];
  return time.day >= 1 && time.day <= days && time.hour < 24 && time.minute < 60;
}

std::wstring formatSize(uint64_t size) {
  wchar_t text[32];
  std::swprintf(text, sizeof text / sizeof text[0], L"%15lu",
                static_cast<unsigned long>(size & 0xFFFFFFFFu));
  return text;
}

}  // namespace

DirectoryEntry::DirectoryEntry(const std::wstring& path, uint32_t flags, const EntryTime& time,
                               uint64_t size)
    : isFolder_(flags == kFolderFlags),
      path_(isLink(path) ? resolveLink(path) : path),
      time_(time),
      size_(size),
      flags_(flags) {
  size_t separator = path_.rfind(L'/');
  if (separator == std::wstring::npos) separator = path_.rfind(L'\\');
  if (separator == std::wstring::npos) {
    name_ = path_;
  } else {
    directory_ = path_.substr(0, separator + 1);
    name_ = path_.substr(separator + 1);
  }
  displayName_ = isFolder_ ? L"/" + name_ : name_;
  if (isValid(time_)) dateTimeText_ = formatEntryTime(time_);
  if (!isFolder_) sizeText_ = formatSize(size_);
}

}  // namespace QrCom
