// dialogdemo: shows the updater's Windows dialogs and message boxes one at a time, as the
// updater does, for tests that drive them with winui under Wine.
//
//   dialogdemo MODE
//
// The language is the system's, chosen as the updater chooses it.
//
//   select          the device selection with two displays; prints "selected N" (-1: none)
//   progress        the progress dialog for a Selvar 40, showing string 133 at 5 % from before it
//                   opened; a worker thread takes commands from the standard input, one a line:
//                   "status ID" (a string of the table), "percent N", "retry" (prints
//                   "retry yes" or "retry no"), "end N". Cancel prints "cancel" (and whether it
//                   came on the dialog's thread); the end prints "result N".
//   progress-ended  the progress dialog when the worker has ended it before it opened
//   message         the wrong-model message (string 175) as an error; prints "closed"
//   question        the confirmation for one display; prints "yes" or "no"
//   folder [PATH]   the folder browser opened at PATH; prints "folder PATH" or "cancelled"
#include <windows.h>

#include <commctrl.h>

#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "app/DeviceDescription.h"
#include "app/LocalizedStrings.h"
#include "app/TextFormat.h"
#include "app/UiLanguage.h"
#include "app/win/WinUpdaterUi.h"

namespace {

using namespace QrApp;

// A line of the standard output, in UTF-8.
void print(const std::wstring& line) {
  const std::wstring text = line + L"\n";
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string bytes(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, nullptr);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
            &written, nullptr);
}

class Notifier : public QrCom::UploadProcessDialogNotifier {
 public:
  void onCancel() override {
    print(GetCurrentThreadId() == dialogThread_ ? L"cancel on the dialog's thread"
                                                : L"cancel on another thread");
  }

 private:
  const DWORD dialogThread_ = GetCurrentThreadId();
};

// The worker's side of the progress dialog, commanded line by line.
void work(UploadProgress& progress, uint16_t language) {
  for (std::string line; std::getline(std::cin, line);) {
    std::istringstream words(line);
    std::string command;
    int argument = 0;
    words >> command >> argument;
    if (command == "status") {
      progress.setStatus(
          loadLocalizedString(static_cast<uint16_t>(argument), language, kStatusLength));
    } else if (command == "percent") {
      progress.setPercent(static_cast<unsigned>(argument));
    } else if (command == "retry") {
      print(progress.askRetry() ? L"retry yes" : L"retry no");
    } else if (command == "end") {
      progress.end(argument);
    }
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  UiLanguage& language = uiLanguage();
  language.module = GetModuleHandleW(nullptr);
  language.languageId = languageForSystemLanguageId(GetSystemDefaultLangID());

  if (argc < 2) return 2;
  const std::wstring mode = argv[1];
  const uint16_t id = language.languageId;
  const DeviceLabel selvar{116, L"SEL0421", comPortText(3, id)};
  WinUpdaterUi ui;

  if (mode == L"select") {
    const DeviceLabel vantra{84, std::nullopt, usbHidPortText(id)};
    print(L"selected " + std::to_wstring(ui.selectDevice(
                             {deviceDescription(selvar, id), deviceDescription(vantra, id)})));
  } else if (mode == L"progress" || mode == L"progress-ended") {
    Notifier notifier;
    UploadProgress& progress = ui.uploadProgress();
    progress.setStatus(loadLocalizedString(kStrCountingFirmwareFiles, id, kStatusLength));
    progress.setPercent(5);
    if (mode == L"progress-ended") progress.end(0);
    std::thread worker([&] { work(progress, id); });
    print(L"result " +
          std::to_wstring(ui.showUploadDialog(deviceDescription(selvar, id), notifier)));
    worker.join();
  } else if (mode == L"message") {
    ui.showMessage(formatText(loadLocalizedString(kStrWrongModel, id), {L"SEL0421"}),
                   MessageKind::Error);
    print(L"closed");
  } else if (mode == L"question") {
    const DeviceLabel corlet{114, L"COR1234", comPortText(4, id)};
    print(ui.askYesNo(confirmationQuestion(corlet, id)) ? L"yes" : L"no");
  } else if (mode == L"folder") {
    const std::optional<std::wstring> chosen =
        ui.chooseFolder(argc > 2 ? std::optional<std::wstring>(argv[2]) : std::nullopt);
    print(chosen ? L"folder " + *chosen : L"cancelled");
  } else {
    return 2;
  }
  return 0;
}
