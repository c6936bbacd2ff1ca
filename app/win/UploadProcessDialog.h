#pragma once

#include <windows.h>

#include <mutex>
#include <optional>
#include <string>

#include "app/UpdaterUi.h"

namespace QrApp {

// The progress dialog (template 130): target device, status line, progress bar and Cancel.
// show() runs it modally on the user-interface thread; the worker thread reaches it through the
// UploadProgress operations, which talk to the dialog's window by messages once the dialog has
// initialised. What the worker reports before that is applied when the dialog opens; what it
// reports after the dialog has closed is dropped.
class UploadProcessDialog : public UploadProgress {
 public:
  UploadProcessDialog() = default;
  virtual ~UploadProcessDialog() = default;
  UploadProcessDialog(const UploadProcessDialog&) = delete;
  UploadProcessDialog& operator=(const UploadProcessDialog&) = delete;

  // Returns 0 when the worker ended the dialog with success, -1 for failure, Cancel, or when the
  // dialog cannot be shown. Cancel calls the notifier's onCancel first.
  int show(const std::wstring& targetDevice, QrCom::UploadProcessDialogNotifier& notifier);

  void setStatus(const std::wstring& text) override;
  void setPercent(unsigned percent) override;
  // A retry question owned by the dialog's window; Cancel once the dialog has closed.
  bool askRetry() override;
  // A message box without owner, from the worker's thread; none once the dialog has closed.
  void showMessage(const std::wstring& text, MessageKind kind) override;
  void end(int result) override;

 private:
  struct Pending {
    std::optional<std::wstring> status;
    std::optional<unsigned> percent;
    std::optional<int> result;
  };

  static INT_PTR CALLBACK dialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  void initialise(HWND dialog);
  void onCommand(HWND dialog, WORD command);
  void finish(HWND dialog, int result);
  void closed();
  // The open dialog's window for a change from the worker; null (after recording the change in
  // `pending_` while the dialog has not opened yet) when there is none.
  template <typename Record>
  HWND windowFor(Record record);

  // Orders the worker's changes against the dialog's opening and closing; guards the three
  // members below.
  std::mutex mutex_;
  HWND window_ = nullptr;
  bool closed_ = false;
  Pending pending_;

  // User-interface thread only.
  std::wstring targetDevice_;
  QrCom::UploadProcessDialogNotifier* notifier_ = nullptr;
  bool ending_ = false;
};

}  // namespace QrApp
