#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace QrCom {

// On Linux the program that holds a display's tty or hidraw node is usually the screen reader's
// daemon. BrlAPI lets a client suspend the daemon's Braille driver, which closes the device,
// and resume it, which opens it again; a suspension lasts while its connection is open. This is
// the Linux twin of the resident-driver hand-over, and it is off until a program turns it on.
// Without the BrlAPI client library at build time nothing is ever suspended.

// Turns the hand-over on for the daemon `host` names (as BrlAPI names one; empty for its
// default: $BRLAPI_HOST, else this machine's daemon), or off with nullopt.
void useScreenReaderDaemon(std::optional<std::string> host);

// Suspends the daemon's driver, or joins the suspension this process holds already. False when
// the hand-over is off, there is no daemon, it refuses (authorisation, an older protocol) or
// it leaves a request unanswered for five seconds; it is not asked again while such a request
// is still open. Each true is matched by one resumeScreenReaderDriver.
bool suspendScreenReaderDriver();
// Ends one suspension; the driver resumes when the last one ends.
void resumeScreenReaderDriver();

// What one port asked of the daemon: it asks once, however often its opening is retried, and
// resumes only what it suspended.
class ScreenReaderDriverHold {
 public:
  // The first call suspends the driver and, when it did, pauses `pauseMs` for the device to be
  // let go. True while this hold has the driver suspended.
  bool suspend(uint32_t pauseMs);
  // Pauses `pauseMs`, then resumes the driver, if this hold suspended it.
  void resume(uint32_t pauseMs);

 private:
  bool asked_ = false;
  bool suspended_ = false;
};

}  // namespace QrCom
