// QuorlinUpdater.exe: the updater's Windows entry point. One update per run, in the language of
// the system; the whole command line, when given, is the firmware folder.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "app/FirmwareUploadControler.h"
#include "app/UiLanguage.h"
#include "app/win/RegistryFolderSettings.h"
#include "app/win/WinUpdaterUi.h"

namespace {

constexpr std::size_t kMaxFolder = 260;

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  QrApp::UiLanguage& language = QrApp::uiLanguage();
  language.module = instance;
  language.languageId = QrApp::languageForSystemLanguageId(GetSystemDefaultLangID());
  language.rightToLeft = false;

  QrApp::WinUpdaterUi ui;
  QrApp::RegistryFolderSettings settings;
  QrApp::FirmwareUploadControler controller(ui, settings, QrApp::parallelSearch(true));
  // Neither split nor unquoted: the whole line is the folder.
  const std::wstring folder =
      std::wstring(commandLine != nullptr ? commandLine : L"").substr(0, kMaxFolder);
  QrApp::updateFromCommandLine(controller, folder);
  return 1;
}
