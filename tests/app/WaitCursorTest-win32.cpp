#include <gtest/gtest.h>
#include <windows.h>

#include "app/win/WaitCursor.h"
#include "qrcom/device/DeviceList.h"

namespace QrApp {
namespace {

TEST(WaitCursorTest, TheWaitCursorShowsWhileTheSearchRuns) {
  const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  const HCURSOR before = SetCursor(arrow);
  HCURSOR during = nullptr;
  QrCom::DeviceList devices;
  withWaitCursor([&during](QrCom::DeviceList&) { during = GetCursor(); })(devices);
  EXPECT_EQ(during, LoadCursorW(nullptr, IDC_WAIT));
  EXPECT_EQ(GetCursor(), arrow);
  SetCursor(before);
}

}  // namespace
}  // namespace QrApp
