#pragma once

#include <optional>
#include <string>
#include <vector>

#include "qrcom/firmware/ProgressSinks.h"

namespace QrApp {

enum class MessageKind { Information, Error };

// The progress dialog as the upload worker sees it. Every operation is called from the worker
// thread, and may come before the dialog is shown or after it has closed: what arrives before is
// shown when it opens, what arrives after is ignored.
class UploadProgress {
 public:
  virtual void setStatus(const std::wstring& text) = 0;
  // The bar position; values above 100 show a full bar.
  virtual void setPercent(unsigned percent) = 0;
  // The retry question (string 146), asked by the dialog: true for Retry. Blocks the worker
  // until the user answers; Cancel once the dialog has closed.
  virtual bool askRetry() = 0;
  // A message while the dialog is shown (string 149), after what the worker reported before it
  // and before what it reports after it. Blocks the worker until the message has been shown
  // (on Windows: until the user closed the message box); nothing once the dialog has closed.
  virtual void showMessage(const std::wstring& text, MessageKind kind) = 0;
  // Closes the dialog with 0 (success) or -1 (failure).
  virtual void end(int result) = 0;

 protected:
  ~UploadProgress() = default;
};

// Everything the update controller shows or asks. All operations but those of uploadProgress()
// run on the user-interface thread; the UI outlives the worker. Message boxes carry the caption
// string 103.
class UpdaterUi {
 public:
  virtual ~UpdaterUi() = default;

  virtual void showMessage(const std::wstring& text, MessageKind kind) = 0;
  // A yes/no question with No as the default; true only for Yes.
  virtual bool askYesNo(const std::wstring& question) = 0;
  // The device selection: descriptions in device-list order, the first preselected. The index
  // of the chosen one, or -1 when the user cancels.
  virtual int selectDevice(const std::vector<std::wstring>& descriptions) = 0;
  // The folder choice, starting at `initial` when given; nothing when the user cancels.
  virtual std::optional<std::wstring> chooseFolder(const std::optional<std::wstring>& initial) = 0;

  // The progress dialog's worker side; valid for the lifetime of the UI.
  virtual UploadProgress& uploadProgress() = 0;
  // Shows the modal progress dialog for `targetDevice` until uploadProgress().end() closes it
  // or the user cancels; Cancel first calls the notifier's onCancel (on this thread), then
  // closes the dialog with -1. Returns the result: 0 or -1.
  virtual int showUploadDialog(const std::wstring& targetDevice,
                               QrCom::UploadProcessDialogNotifier& notifier) = 0;
};

}  // namespace QrApp
