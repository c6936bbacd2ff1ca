#include "app/win/UploadProcessDialog.h"

#include <commctrl.h>

#include <algorithm>

#include "app/LocalizedStrings.h"
#include "app/UiLanguage.h"
#include "app/win/DialogIcon.h"
#include "app/win/LocalizedDialog.h"
#include "app/win/MessageBoxes.h"
#include "resources/ResourceIds.h"

namespace QrApp {

namespace {

// Posted by the worker: the dialog ends itself with the result in wParam, so that EndDialog runs
// on the dialog's own thread and its modal loop wakes at once.
constexpr UINT kEndMessage = WM_APP + 1;

void replaceText(HWND dialog, int control, const std::wstring& text) {
  HWND edit = GetDlgItem(dialog, control);
  if (edit == nullptr) return;
  SendMessageW(edit, EM_SETSEL, 0, -1);
  SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void setBar(HWND dialog, unsigned percent) {
  HWND bar = GetDlgItem(dialog, QR_IDC_PROGRESS_BAR);
  if (bar != nullptr) SendMessageW(bar, PBM_SETPOS, std::min(percent, 100u), 0);
}

}  // namespace

int UploadProcessDialog::show(const std::wstring& targetDevice,
                              QrCom::UploadProcessDialogNotifier& notifier) {
  targetDevice_ = targetDevice;
  notifier_ = &notifier;
  ending_ = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = false;
  }
  const DLGTEMPLATE* dialogTemplate =
      loadLocalizedDialog(QR_IDD_UPLOAD_PROCESS, uiLanguage().languageId);
  const INT_PTR result =
      dialogTemplate == nullptr
          ? -1
          : DialogBoxIndirectParamW(static_cast<HMODULE>(uiLanguage().module), dialogTemplate,
                                    nullptr, dialogProcedure, reinterpret_cast<LPARAM>(this));
  closed();  // also when the dialog could not be created
  return result == 0 ? 0 : -1;
}

INT_PTR CALLBACK UploadProcessDialog::dialogProcedure(HWND dialog, UINT message, WPARAM wParam,
                                                      LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
    reinterpret_cast<UploadProcessDialog*>(lParam)->initialise(dialog);
    return TRUE;
  }
  auto* self = reinterpret_cast<UploadProcessDialog*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
  if (self == nullptr) return FALSE;
  switch (message) {
    case WM_COMMAND:
      self->onCommand(dialog, LOWORD(wParam));
      return TRUE;
    case kEndMessage:
      self->finish(dialog, static_cast<int>(wParam));
      return TRUE;
    case WM_DESTROY:
      self->closed();
      return FALSE;
    default:
      return FALSE;
  }
}

void UploadProcessDialog::initialise(HWND dialog) {
  replaceText(dialog, QR_IDC_TARGET_DEVICE, targetDevice_);
  setProgramIcon(dialog);
  std::optional<int> result;
  {
    // The worker's earlier changes are applied before it can send new ones.
    std::lock_guard<std::mutex> lock(mutex_);
    if (pending_.status) replaceText(dialog, QR_IDC_STATUS, *pending_.status);
    if (pending_.percent) setBar(dialog, *pending_.percent);
    result = pending_.result;
    pending_ = {};
    window_ = dialog;
  }
  if (result) finish(dialog, *result);
}

void UploadProcessDialog::onCommand(HWND dialog, WORD command) {
  // The cancel button, the close box and Escape all arrive as IDCANCEL.
  if (command != IDCANCEL || ending_) return;
  notifier_->onCancel();
  finish(dialog, -1);
}

void UploadProcessDialog::finish(HWND dialog, int result) {
  if (ending_) return;
  ending_ = true;
  EndDialog(dialog, result);
}

void UploadProcessDialog::closed() {
  std::lock_guard<std::mutex> lock(mutex_);
  window_ = nullptr;
  closed_ = true;
}

template <typename Record>
HWND UploadProcessDialog::windowFor(Record record) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (window_ == nullptr && !closed_) record(pending_);
  return window_;
}

void UploadProcessDialog::setStatus(const std::wstring& text) {
  HWND dialog = windowFor([&](Pending& pending) { pending.status = text; });
  if (dialog != nullptr) replaceText(dialog, QR_IDC_STATUS, text);
}

void UploadProcessDialog::setPercent(unsigned percent) {
  HWND dialog = windowFor([&](Pending& pending) { pending.percent = percent; });
  if (dialog != nullptr) setBar(dialog, percent);
}

void UploadProcessDialog::end(int result) {
  HWND dialog = windowFor([&](Pending& pending) {
    if (!pending.result) pending.result = result;
  });
  if (dialog != nullptr) PostMessageW(dialog, kEndMessage, static_cast<WPARAM>(result), 0);
}

void UploadProcessDialog::showMessage(const std::wstring& text, MessageKind kind) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return;
  }
  showMessageBox(nullptr, text, kind == MessageKind::Error ? MB_ICONERROR : MB_ICONINFORMATION);
}

bool UploadProcessDialog::askRetry() {
  HWND owner = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return false;
    owner = window_;
  }
  const std::wstring question =
      loadLocalizedString(kStrRetryQuestion, uiLanguage().languageId, kRetryQuestionLength);
  return showMessageBox(owner, question, MB_RETRYCANCEL | MB_ICONEXCLAMATION) == IDRETRY;
}

}  // namespace QrApp
