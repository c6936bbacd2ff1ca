#pragma once

#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

namespace QrTest {

struct Message {
  UINT id;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Message& other) const {
    return id == other.id && wParam == other.wParam && lParam == other.lParam;
  }
};

// A resident driver: it answers which port it serves, records every message it gets and runs
// `onRelease` when asked to let go of its port.
class TestDriver {
 public:
  enum Kind { DisplayServer, WebBraille };

  TestDriver(Kind kind, int servedPort, std::function<void()> onRelease = {})
      : kind_(kind), served_(servedPort), onRelease_(std::move(onRelease)) {
    const wchar_t* className = kind == DisplayServer ? L"Quorlin_Server" : L"WEBRAILLE32";
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &TestDriver::procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassW(&windowClass);  // fails harmlessly when already registered
    window_ = CreateWindowExW(0, className, kind == DisplayServer ? L"Quorlin Server" : className,
                              WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, windowClass.hInstance,
                              nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~TestDriver() { DestroyWindow(window_); }
  TestDriver(const TestDriver&) = delete;
  TestDriver& operator=(const TestDriver&) = delete;

  bool exists() const { return window_ != nullptr; }
  std::vector<Message> messages;

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT id, WPARAM wParam, LPARAM lParam) {
    auto* driver = reinterpret_cast<TestDriver*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (driver != nullptr) {
      LRESULT result = 0;
      if (driver->handle(id, wParam, lParam, result)) return result;
    }
    return DefWindowProcW(window, id, wParam, lParam);
  }

  bool handle(UINT id, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const bool ours = kind_ == DisplayServer ? id == RegisterWindowMessageW(L"Quorlin_Server")
                                             : id == 0x471 || id == 0x472;
    if (!ours) return false;
    messages.push_back({id, wParam, lParam});
    const bool release = kind_ == DisplayServer ? wParam == 100 && lParam == 1 : id == 0x471;
    if (release && onRelease_) onRelease_();
    if (kind_ == DisplayServer && wParam == 1 && lParam == 2) result = served_;
    if (kind_ == WebBraille && id == 0x472) result = static_cast<LRESULT>(served_) << 8;
    return true;
  }

  Kind kind_;
  int served_;
  std::function<void()> onRelease_;
  HWND window_ = nullptr;
};

}  // namespace QrTest
