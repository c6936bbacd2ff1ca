#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace QrApp {

// The device selection (template 131): a drop-down list of the found displays in device-list
// order, the first preselected. Runs on the user-interface thread.
class DeviceSelectionDialog {
 public:
  DeviceSelectionDialog() = default;
  virtual ~DeviceSelectionDialog() = default;
  DeviceSelectionDialog(const DeviceSelectionDialog&) = delete;
  DeviceSelectionDialog& operator=(const DeviceSelectionDialog&) = delete;

  // The index of the entry chosen with Continue; -1 for Finish, the close box, Escape, or when
  // the dialog cannot be shown.
  int show(const std::vector<std::wstring>& entries);

 private:
  static INT_PTR CALLBACK dialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  void initialise(HWND dialog);
  void onCommand(WORD command);

  std::vector<std::wstring> entries_;
  HWND window_ = nullptr;
};

}  // namespace QrApp
