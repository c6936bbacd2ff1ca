#include "qrcom/port/WinResidentDriver.h"

#include <windows.h>

#include "qrcom/base/Clock.h"
#include "qrcom/base/QrWinSync.h"

namespace QrCom {

namespace {

enum Kind : int { kDisplayServer = 0, kWebBraille = 1 };

constexpr UINT kWebBrailleRelease = 0x471;
constexpr UINT kWebBrailleResume = 0x472;  // also answers which port it uses
constexpr WPARAM kServerPortQuery = 1;
constexpr LPARAM kServerPortQueryArgument = 2;
constexpr WPARAM kServerPortControl = 100;
constexpr uint32_t kResumePause = 750;

// Written only by findResidentDriver, under the lock.
struct ResidentDriverLink {
  HWND window = nullptr;
  int kind = kDisplayServer;
  UINT message = 0;
} link;

LRESULT send(UINT message, WPARAM wParam, LPARAM lParam) {
  // Without a window nothing can reach a driver.
  return link.window != nullptr ? SendMessageW(link.window, message, wParam, lParam) : 0;
}

}  // namespace

QrMutex& residentDriverLock() {
  static QrWinMutex lock;
  return lock;
}

bool findResidentDriver() {
  QrLock guard(residentDriverLock());
  if (HWND server = FindWindowW(L"Quorlin_Server", L"Quorlin Server")) {
    link.window = server;
    link.kind = kDisplayServer;
    link.message = RegisterWindowMessageW(L"Quorlin_Server");
    return link.message != 0;
  }
  if (HWND webBraille = FindWindowW(L"WEBRAILLE32", L"WEBRAILLE32")) {
    link.window = webBraille;
    link.kind = kWebBraille;
    return true;
  }
  link.window = nullptr;
  return false;
}

int askResidentDriverPort() {
  QrLock guard(residentDriverLock());
  switch (link.kind) {
    case kDisplayServer:
      return static_cast<int>(send(link.message, kServerPortQuery, kServerPortQueryArgument));
    case kWebBraille:
      return static_cast<int>((send(kWebBrailleResume, 0, 0) >> 8) & 0xFF);
    default:
      return -1;
  }
}

void sendResidentDriverRelease() {
  QrLock guard(residentDriverLock());
  if (link.kind == kDisplayServer) {
    send(link.message, kServerPortControl, 1);
  } else if (link.kind == kWebBraille) {
    send(kWebBrailleRelease, 0, 0);
  }
}

void sendResidentDriverResume() {
  QrLock guard(residentDriverLock());
  if (link.kind == kDisplayServer) {
    send(link.message, kServerPortControl, 0);
  } else if (link.kind == kWebBraille) {
    send(kWebBrailleResume, 0, 0);
  }
}

void resumeResidentDriver() {
  clock().sleep(kResumePause);
  sendResidentDriverResume();
}

void resumeResidentDriverWithoutPause() {
  sendResidentDriverResume();
}

}  // namespace QrCom
