#include "app/win/WinUpdaterUi.h"

#include "app/win/FolderBrowser.h"
#include "app/win/MessageBoxes.h"

namespace QrApp {

void WinUpdaterUi::showMessage(const std::wstring& text, MessageKind kind) {
  showMessageBox(nullptr, text, kind == MessageKind::Error ? MB_ICONERROR : MB_ICONINFORMATION);
}

bool WinUpdaterUi::askYesNo(const std::wstring& question) {
  return showMessageBox(nullptr, question, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

int WinUpdaterUi::selectDevice(const std::vector<std::wstring>& descriptions) {
  return selectionDialog_.show(descriptions);
}

std::optional<std::wstring> WinUpdaterUi::chooseFolder(const std::optional<std::wstring>& initial) {
  return chooseFirmwareFolder(initial);
}

int WinUpdaterUi::showUploadDialog(const std::wstring& targetDevice,
                                   QrCom::UploadProcessDialogNotifier& notifier) {
  return uploadDialog_.show(targetDevice, notifier);
}

}  // namespace QrApp
