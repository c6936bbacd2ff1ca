// QuorlinUpdater.exe: the updater's Windows entry point. One update per run, in the language of
// the system; the whole command line, when given, is the firmware folder.
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "app/CommandLineFolder.h"
#include "app/FirmwareUploadControler.h"
#include "app/UiLanguage.h"
#include "app/win/RegistryFolderSettings.h"
#include "app/win/WaitCursor.h"
#include "app/win/WinUpdaterUi.h"
#include "qrcom/base/QrException.h"
#include "qrcom/port/PortTrace.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  QrApp::UiLanguage& language = QrApp::uiLanguage();
  language.module = instance;
  language.languageId = QrApp::languageForSystemLanguageId(GetSystemDefaultLangID());
  language.rightToLeft = false;

  // A support trace of every port, for a user whom support asked for one; the dialogs stay as
  // they are, so a file that cannot be written means no trace.
  if (const wchar_t* trace = _wgetenv(L"QUORLIN_TRACE"); trace != nullptr && *trace != L'\0') {
    try {
      QrCom::startPortTrace(trace);
    } catch (const QrCom::QrException&) {
    }
  }

  QrApp::WinUpdaterUi ui;
  QrApp::RegistryFolderSettings settings;
  QrApp::FirmwareUploadControler controller(ui, settings,
                                            QrApp::withWaitCursor(QrApp::parallelSearch(true)));
  QrApp::updateFromCommandLine(
      controller, QrApp::folderFromCommandLine(commandLine != nullptr ? commandLine : L""));
  QrCom::stopPortTrace();
  return 1;
}
