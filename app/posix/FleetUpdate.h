#pragma once

#include <cstdint>
#include <string>

#include "app/FirmwareUploadControler.h"
#include "app/posix/SettingsFile.h"

namespace QrApp {

// --all: updates every display `search` finds from the package in `folder`, each on its own
// thread with its own port, at the same time, and asks nothing. Displays the firmware does not
// fit are left alone. Shows one row per display on `output` while they run and a summary line
// per display at the end; Ctrl+C cancels them all. The exit status: 0 when every display that
// fits was updated, 1 when one failed or was cancelled, 3 with no display, 5 when none fits.
// With `json` the output is JSON lines (UpdateEvents.h); texts for people go to `notes`. With
// `one`, several displays found are a usage error (exit status 2): nothing is updated. The
// model of each display is remembered in `settings`.
int updateAll(const DeviceSearch& search, const std::wstring& folder, uint16_t language, bool json,
              bool one, SettingsFile& settings, int output, int notes);

}  // namespace QrApp
