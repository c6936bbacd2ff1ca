#include "app/win/FolderBrowser.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include "app/LocalizedStrings.h"
#include "app/UiLanguage.h"

namespace QrApp {

namespace {

int CALLBACK selectInitialFolder(HWND browser, UINT message, LPARAM, LPARAM initial) {
  if (message == BFFM_INITIALIZED && initial != 0) {
    SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, initial);
  }
  return 0;
}

// The browser is a COM client: it needs an apartment on this thread for as long as it shows.
class ComApartment {
 public:
  ComApartment()
      : initialised_(
            SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {
  }
  ~ComApartment() {
    if (initialised_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  const bool initialised_;
};

}  // namespace

std::optional<std::wstring> chooseFirmwareFolder(const std::optional<std::wstring>& initial) {
  ComApartment apartment;
  const std::wstring title =
      loadLocalizedString(kStrSelectFolder, uiLanguage().languageId, kMessageLength);
  wchar_t displayName[MAX_PATH] = {};
  BROWSEINFOW browse{};
  browse.pszDisplayName = displayName;
  browse.lpszTitle = title.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_VALIDATE;
  browse.lpfn = selectInitialFolder;
  browse.lParam = initial ? reinterpret_cast<LPARAM>(initial->c_str()) : 0;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
  if (chosen == nullptr) return std::nullopt;
  wchar_t path[MAX_PATH] = {};
  const bool isFolder = SHGetPathFromIDListW(chosen, path) != FALSE;
  CoTaskMemFree(chosen);
  // A virtual folder (one without a path) cannot hold firmware files.
  if (!isFolder) return std::nullopt;
  return std::wstring(path);
}

}  // namespace QrApp
