#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/FirmwareUploadControler.h"
#include "app/UpdaterUi.h"

namespace QrApp {

// The JSON lines of an update for programs (--all --json), one object per line. Every object
// names its display by "path" (the tty or the USB-HID path) and "serial" (null when the
// display does not tell it):
//   {"path", "serial", "status": TEXT, "percent": N}       each change of status or percentage
//   {"path", "serial", "message": {"id", "kind", "text"}}  each message; "kind" is
//       "information" or "error", "id" the string-table id of the text (null for a text of
//       the Linux program's own)
//   {"path", "serial", "result": "updated" | "failed" | "left-alone",
//    "firmwareBefore", "firmwareAfter"}                     at the end; a version is null where
//       the display does not tell it or did not answer again
// and last {"exitStatus": N}.

struct EventDisplay {
  std::wstring path;
  std::wstring serial;
};

std::string statusEvent(const EventDisplay& display, const std::wstring& status, unsigned percent);
std::string messageEvent(const EventDisplay& display, const std::wstring& text, MessageKind kind,
                         uint16_t language);
std::string resultEvent(const EventDisplay& display, UpdateOutcome outcome,
                        const std::wstring& firmwareBefore, const std::wstring& firmwareAfter);
std::string exitEvent(int exitStatus);

// The string-table id whose text in `language` `text` is, with any text in place of its
// placeholders; none when no text of the table is it.
std::optional<uint16_t> stringIdOf(const std::wstring& text, uint16_t language);

}  // namespace QrApp
