#pragma once

#include "app/UpdaterUi.h"
#include "app/win/DeviceSelectionDialog.h"
#include "app/win/UploadProcessDialog.h"

namespace QrApp {

// The updater's user interface on Windows: message boxes without owner, the two dialogs from
// the program's templates and the shell's folder browser, all in the language of uiLanguage().
class WinUpdaterUi : public UpdaterUi {
 public:
  void showMessage(const std::wstring& text, MessageKind kind) override;
  bool askYesNo(const std::wstring& question) override;
  int selectDevice(const std::vector<std::wstring>& descriptions) override;
  std::optional<std::wstring> chooseFolder(const std::optional<std::wstring>& initial) override;
  UploadProgress& uploadProgress() override { return uploadDialog_; }
  int showUploadDialog(const std::wstring& targetDevice,
                       QrCom::UploadProcessDialogNotifier& notifier) override;

 private:
  DeviceSelectionDialog selectionDialog_;
  UploadProcessDialog uploadDialog_;
};

}  // namespace QrApp
