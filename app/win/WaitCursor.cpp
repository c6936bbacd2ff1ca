#include "app/win/WaitCursor.h"

#include <windows.h>

namespace QrApp {

namespace {

class ShownCursor {
 public:
  explicit ShownCursor(HCURSOR cursor) : previous_(SetCursor(cursor)) {}
  ~ShownCursor() { SetCursor(previous_); }
  ShownCursor(const ShownCursor&) = delete;
  ShownCursor& operator=(const ShownCursor&) = delete;

 private:
  HCURSOR previous_;
};

}  // namespace

DeviceSearch withWaitCursor(DeviceSearch search) {
  return [search = std::move(search)](QrCom::DeviceList& devices) {
    const ShownCursor wait(LoadCursorW(nullptr, IDC_WAIT));
    search(devices);
  };
}

}  // namespace QrApp
