#include "app/win/DeviceSelectionDialog.h"

#include "app/UiLanguage.h"
#include "app/win/DialogIcon.h"
#include "app/win/LocalizedDialog.h"
#include "resources/ResourceIds.h"

namespace QrApp {

int DeviceSelectionDialog::show(const std::vector<std::wstring>& entries) {
  entries_ = entries;
  const DLGTEMPLATE* dialogTemplate =
      loadLocalizedDialog(QR_IDD_DEVICE_SELECTION, uiLanguage().languageId);
  if (dialogTemplate == nullptr) return -1;
  const INT_PTR result =
      DialogBoxIndirectParamW(static_cast<HMODULE>(uiLanguage().module), dialogTemplate, nullptr,
                              dialogProcedure, reinterpret_cast<LPARAM>(this));
  window_ = nullptr;
  return result >= 0 && static_cast<std::size_t>(result) < entries_.size()
             ? static_cast<int>(result)
             : -1;
}

INT_PTR CALLBACK DeviceSelectionDialog::dialogProcedure(HWND dialog, UINT message, WPARAM wParam,
                                                        LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
    reinterpret_cast<DeviceSelectionDialog*>(lParam)->initialise(dialog);
    return TRUE;
  }
  auto* self = reinterpret_cast<DeviceSelectionDialog*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
  if (self == nullptr || message != WM_COMMAND) return FALSE;
  self->onCommand(LOWORD(wParam));
  return TRUE;
}

void DeviceSelectionDialog::initialise(HWND dialog) {
  window_ = dialog;
  HWND list = GetDlgItem(dialog, QR_IDC_DEVICE_LIST);
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  for (std::size_t index = 0; index < entries_.size(); ++index) {
    const LRESULT item =
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entries_[index].c_str()));
    if (item >= 0) SendMessageW(list, CB_SETITEMDATA, item, static_cast<LPARAM>(index));
  }
  SendMessageW(list, CB_SETCURSEL, 0, 0);
  setProgramIcon(dialog);
}

void DeviceSelectionDialog::onCommand(WORD command) {
  if (command == IDOK) {
    HWND list = GetDlgItem(window_, QR_IDC_DEVICE_LIST);
    const LRESULT selected = SendMessageW(list, CB_GETCURSEL, 0, 0);
    EndDialog(window_, selected == CB_ERR ? -1 : SendMessageW(list, CB_GETITEMDATA, selected, 0));
  } else if (command == IDCANCEL) {
    EndDialog(window_, -1);
  }
}

}  // namespace QrApp
