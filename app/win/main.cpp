// QuorlinUpdater.exe: the updater's Windows entry point. One update per run, in the language of
// the system; the whole command line, when given, is the firmware folder.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "app/CommandLineFolder.h"
#include "app/FirmwareUploadControler.h"
#include "app/UiLanguage.h"
#include "app/win/RegistryFolderSettings.h"
#include "app/win/WaitCursor.h"
#include "app/win/WinUpdaterUi.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  QrApp::UiLanguage& language = QrApp::uiLanguage();
  language.module = instance;
  language.languageId = QrApp::languageForSystemLanguageId(GetSystemDefaultLangID());
  language.rightToLeft = false;

  QrApp::WinUpdaterUi ui;
  QrApp::RegistryFolderSettings settings;
  QrApp::FirmwareUploadControler controller(ui, settings,
                                            QrApp::withWaitCursor(QrApp::parallelSearch(true)));
  QrApp::updateFromCommandLine(
      controller, QrApp::folderFromCommandLine(commandLine != nullptr ? commandLine : L""));
  return 1;
}
