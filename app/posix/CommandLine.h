#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace QrApp {

// Exit statuses of quorlin-updater.
enum ExitStatus : int {
  kExitSuccess = 0,
  kExitFailed = 1,      // the update failed or was cancelled
  kExitUsage = 2,       // the command line is wrong
  kExitNoDevice = 3,    // no display found
  kExitDeclined = 4,    // the user answered No or cancelled a question
  kExitDoesNotFit = 5,  // the firmware does not fit the display (wrong model, too old, emulation)
};

// quorlin-updater [OPTIONS] [FOLDER]
struct Options {
  std::vector<std::string> ports;      // --port PATH: probe these ttys instead of scanning
  bool noUsb = false;                  // --no-usb
  std::optional<uint16_t> language;    // --lang de|en
  bool list = false;                   // --list
  bool json = false;                   // --json, with --list or FOLDER
  bool yes = false;                    // --yes
  std::vector<std::wstring> serials;   // --serial SERIAL: these displays, one after the other
  bool all = false;                    // --all: every display found, at the same time
  bool check = false;                  // --check: the package in FOLDER, without a display
  std::optional<std::string> model;    // --model NAME|ID, with --check
  bool verbose = false;                // --verbose
  std::optional<std::string> trace;    // --trace FILE, else $QUORLIN_TRACE when set
  bool help = false;                   // --help
  bool version = false;                // --version
  std::optional<std::wstring> folder;  // FOLDER: no folder question, nothing stored
};

struct ParsedCommandLine {
  Options options;
  std::string error;  // a usage error (exit status 2) when not empty
};

// `arguments` without the program name. Options may come before and after FOLDER and take
// their value as the next argument or after "="; "--" ends the options.
ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments);

// The text of --help, exit statuses included.
std::string usageText();

}  // namespace QrApp
