#pragma once

#include <string>

#include "qrcom/protocol/DirectoryEntry.h"

namespace QrCom {

// Platform services behind DirectoryEntry, one sibling file per platform.

// The target of the link file at `path`, or `path` itself when it names no resolvable link.
std::wstring resolveLink(const std::wstring& path);

// The date in the user's short date format, a blank and the time (seconds zero) in the user's
// time format. `time` holds a valid date and time of day.
std::wstring formatEntryTime(const EntryTime& time);

}  // namespace QrCom
