#include <locale.h>

#include <ctime>
#include <cwchar>

#include "qrcom/protocol/EntryTexts.h"

namespace QrCom {

// No shell links on this platform: a ".lnk" entry is an ordinary device file.
std::wstring resolveLink(const std::wstring& path) {
  return path;
}

// The user's locale is the one the environment names (LC_ALL, LC_TIME, LANG), whatever the
// program set globally; %x is its date format and %X its time format.
std::wstring formatEntryTime(const EntryTime& time) {
  locale_t user = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
  if (user == static_cast<locale_t>(0))
    user = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
  if (user == static_cast<locale_t>(0)) return {};
  tm broken{};
  broken.tm_year = time.year - 1900;
  broken.tm_mon = time.month - 1;
  broken.tm_mday = time.day;
  broken.tm_hour = time.hour;
  broken.tm_min = time.minute;
  broken.tm_sec = 0;
  broken.tm_isdst = -1;
  wchar_t text[128];
  const size_t length = wcsftime_l(text, sizeof text / sizeof text[0], L"%x %X", &broken, user);
  freelocale(user);
  return std::wstring(text, length);
}

}  // namespace QrCom
