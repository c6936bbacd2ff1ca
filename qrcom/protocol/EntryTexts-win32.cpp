#include <windows.h>

#include <objidl.h>
#include <shlobj.h>

#include "qrcom/protocol/EntryTexts.h"

namespace QrCom {

std::wstring resolveLink(const std::wstring& path) {
  // The calling thread may not have COM yet; a thread that already chose another apartment
  // keeps it and COM is usable there as it is.
  const HRESULT initialized = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::wstring target;
  IShellLinkW* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
        wchar_t resolved[MAX_PATH] = {};
        WIN32_FIND_DATAW found;
        if (link->GetPath(resolved, MAX_PATH, &found, 0) == S_OK) target = resolved;
      }
      file->Release();
    }
    link->Release();
  }
  if (SUCCEEDED(initialized)) CoUninitialize();
  return target.empty() ? path : target;
}

std::wstring formatEntryTime(const EntryTime& time) {
  SYSTEMTIME system{};
  system.wYear = static_cast<WORD>(time.year);
  system.wMonth = time.month;
  system.wDay = time.day;
  system.wHour = time.hour;
  system.wMinute = time.minute;
  wchar_t date[128];
  wchar_t clock[128];
  if (GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &system, nullptr, date, 128) == 0 ||
      GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &system, nullptr, clock, 128) == 0) {
    return {};
  }
  return std::wstring(date) + L" " + clock;
}

}  // namespace QrCom
