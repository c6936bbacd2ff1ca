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

#include <atomic>
#include <string>
#include <thread>

#include "app/DeviceDescription.h"
#include "app/LocalizedStrings.h"
#include "app/TextFormat.h"
#include "app/UiLanguage.h"
#include "app/win/WinUpdaterUi.h"

namespace {

using namespace QrApp;

void print(const std::string& line) {
  const std::string bytes = line + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
            &written, nullptr);
}

std::string toUtf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string bytes(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, nullptr);
  return bytes;
}

// One line of the standard input without its line end; false at its end.
bool readLine(std::string& line) {
  line.clear();
  char character = 0;
  DWORD count = 0;
  while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), &character, 1, &count, nullptr) && count == 1) {
    if (character == '\n') return true;
    if (character != '\r') line += character;
  }
  return !line.empty();
}

std::wstring text(uint16_t id) {
  return loadLocalizedString(id, uiLanguage().languageId, kMessageLength);
}

class Notifier : public QrCom::UploadProcessDialogNotifier {
 public:
  void onCancel() override {
    print(GetCurrentThreadId() == dialogThread_ ? "cancel on the dialog's thread"
                                                : "cancel on another thread");
  }

 private:
  const DWORD dialogThread_ = GetCurrentThreadId();
};

// The worker's side of the progress dialog, commanded line by line.
void work(UploadProgress& progress) {
  for (std::string line; readLine(line);) {
    const std::size_t blank = line.find(' ');
    const std::string command = line.substr(0, blank);
    const int argument = blank == std::string::npos ? 0 : std::atoi(line.c_str() + blank + 1);
    if (command == "status") {
      progress.setStatus(loadLocalizedString(static_cast<uint16_t>(argument),
                                             uiLanguage().languageId, kStatusLength));
    } else if (command == "percent") {
      progress.setPercent(static_cast<unsigned>(argument));
    } else if (command == "retry") {
      print(progress.askRetry() ? "retry yes" : "retry no");
    } else if (command == "end") {
      progress.end(argument);
    }
  }
}

int showProgress(WinUpdaterUi& ui, bool endedBefore) {
  const DeviceLabel selvar{116, L"SEL0421", comPortText(3, uiLanguage().languageId)};
  Notifier notifier;
  UploadProgress& progress = ui.uploadProgress();
  progress.setStatus(
      loadLocalizedString(kStrCountingFirmwareFiles, uiLanguage().languageId, kStatusLength));
  progress.setPercent(5);
  if (endedBefore) progress.end(0);
  std::thread worker([&] { work(progress); });
  const int result =
      ui.showUploadDialog(deviceDescription(selvar, uiLanguage().languageId), notifier);
  print("result " + std::to_string(result));
  worker.join();
  return 0;
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
  WinUpdaterUi ui;

  if (mode == L"select") {
    const DeviceLabel selvar{116, L"SEL0421", comPortText(3, id)};
    const DeviceLabel vantra{84, std::nullopt, usbHidPortText(id)};
    print("selected " + std::to_string(ui.selectDevice(
                            {deviceDescription(selvar, id), deviceDescription(vantra, id)})));
  } else if (mode == L"progress" || mode == L"progress-ended") {
    return showProgress(ui, mode == L"progress-ended");
  } else if (mode == L"message") {
    ui.showMessage(formatText(text(kStrWrongModel), {L"SEL0421"}), MessageKind::Error);
    print("closed");
  } else if (mode == L"question") {
    const DeviceLabel corlet{114, L"COR1234", comPortText(4, id)};
    print(ui.askYesNo(confirmationQuestion(corlet, id)) ? "yes" : "no");
  } else if (mode == L"folder") {
    std::optional<std::wstring> initial;
    if (argc > 2) initial = argv[2];
    const std::optional<std::wstring> chosen = ui.chooseFolder(initial);
    print(chosen ? "folder " + toUtf8(*chosen) : "cancelled");
  } else {
    return 2;
  }
  return 0;
}
