#include "app/posix/CommandLine.h"

#include "app/LocalizedStrings.h"
#include "qrcom/base/Utf8.h"

namespace QrApp {

namespace {

// Parses one option; false with `error` set when it is wrong.
bool applyOption(const std::string& name, const std::optional<std::string>& inlineValue,
                 const std::vector<std::string>& arguments, std::size_t& index, Options& options,
                 std::string& error) {
  const bool takesValue = name == "--port" || name == "--lang" || name == "--trace" ||
                          name == "--serial" || name == "--model";
  if (!takesValue && inlineValue) {
    error = "option " + name + " takes no value";
    return false;
  }
  std::string value;
  if (takesValue) {
    if (inlineValue) {
      value = *inlineValue;
    } else if (index + 1 < arguments.size()) {
      value = arguments[++index];
    } else {
      error = "option " + name + " needs a value";
      return false;
    }
  }
  if (name == "--port") {
    if (value.empty()) {
      error = "option --port needs a path";
      return false;
    }
    options.ports.push_back(value);
  } else if (name == "--lang") {
    if (value == "de") {
      options.language = kLanguageGerman;
    } else if (value == "en") {
      options.language = kLanguageEnglish;
    } else {
      error = "option --lang takes de or en, not '" + value + "'";
      return false;
    }
  } else if (name == "--serial") {
    if (value.empty()) {
      error = "option --serial needs a serial number";
      return false;
    }
    options.serials.push_back(QrCom::fromUtf8(value));
  } else if (name == "--model") {
    if (value.empty()) {
      error = "option --model needs a model name or id";
      return false;
    }
    options.model = value;
  } else if (name == "--trace") {
    if (value.empty()) {
      error = "option --trace needs a file";
      return false;
    }
    options.trace = value;
  } else if (name == "--no-usb") {
    options.noUsb = true;
  } else if (name == "--list") {
    options.list = true;
  } else if (name == "--json") {
    options.json = true;
  } else if (name == "--yes") {
    options.yes = true;
  } else if (name == "--check") {
    options.check = true;
  } else if (name == "--all") {
    options.all = true;
  } else if (name == "--verbose") {
    options.verbose = true;
  } else if (name == "--help") {
    options.help = true;
  } else if (name == "--version") {
    options.version = true;
  } else {
    error = "unknown option " + name;
    return false;
  }
  return true;
}

}  // namespace

ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments) {
  ParsedCommandLine parsed;
  bool optionsEnded = false;
  for (std::size_t index = 0; index < arguments.size(); ++index) {
    const std::string& argument = arguments[index];
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
      const std::size_t equals = argument.find('=');
      const std::string name = argument.substr(0, equals);
      std::optional<std::string> inlineValue;
      if (equals != std::string::npos) inlineValue = argument.substr(equals + 1);
      if (!applyOption(name, inlineValue, arguments, index, parsed.options, parsed.error)) {
        return parsed;
      }
    } else if (parsed.options.folder) {
      parsed.error = "only one FOLDER may be given";
      return parsed;
    } else if (argument.empty()) {
      parsed.error = "FOLDER is empty";
      return parsed;
    } else {
      parsed.options.folder = QrCom::fromUtf8(argument);
    }
  }
  const Options& options = parsed.options;
  if (options.json && !options.list && !options.folder) {
    parsed.error = "option --json needs --list or FOLDER";
  }
  if (options.all && !options.folder) parsed.error = "option --all needs FOLDER";
  if (options.all && options.list) parsed.error = "option --all does not go with --list";
  if (options.check && !options.folder) parsed.error = "option --check needs FOLDER";
  if (options.check && (options.list || options.all)) {
    parsed.error = "option --check goes with neither --list nor --all";
  }
  if (options.model && !options.check) parsed.error = "option --model needs --check";
  return parsed;
}

std::string usageText() {
  return R"(Usage: quorlin-updater [OPTIONS] [FOLDER]

Updates the firmware of a Quorlin Braille display from the firmware package in
FOLDER. Without FOLDER the updater asks for the folder and offers the one used
last.

Options:
  --port PATH    probe this tty for a display instead of scanning /dev/ttyS*,
                 /dev/ttyUSB*, /dev/ttyACM* and /dev/rfcomm*; may be repeated
  --no-usb       do not look for displays on USB-HID
  --lang de|en   language of the texts (default: German when LC_ALL,
                 LC_MESSAGES or LANG, the first one set, begins with "de")
  --list         list the displays found (model name, serial number, firmware
                 version, link, and "waiting in its boot loader" for a display
                 whose last update did not finish) and exit
  --json         with --list: one JSON array, an object per display with
                 "modelId", "model", "serial", "firmware" (null when the display
                 cannot tell), "link" ("serial" or "usb-hid"), "path" and
                 "state" ("running" or "boot-loader"). With
                 FOLDER: the update of the one display found (name it with
                 --serial when there are several) or with --all of every one,
                 asking nothing, as one JSON object per line, each with the
                 display's "path" and "serial": {"status", "percent"} for each
                 change,
                 {"message": {"id", "kind", "text"}} for each message,
                 {"result": "updated"|"failed"|"left-alone", "firmwareBefore",
                 "firmwareAfter"} at the end, then {"exitStatus"}; the texts for
                 people go to stderr
  --yes          answer the confirmation with Yes (with several displays the
                 updater still asks which one)
  --serial SERIAL
                 update the display with this serial number (any case) without
                 asking which; may be repeated: one update after the other, exit
                 status 0 only when every one succeeded. With --list: list only
                 those displays. A serial number not found is named; with none
                 found, exit status 3
  --all          update every display found whose model the package fits, all
                 at the same time, without asking (FOLDER is needed): one line
                 per display while they run, Ctrl+C cancels them all, then one
                 line per display with its result. Displays the package does not
                 fit are left alone. Exit status 0 only when every display that
                 fits was updated, 1 when one failed, 5 when none fits. With
                 --serial: only the displays with those serial numbers
  --check        check the package in FOLDER without a display: verify every
                 firmware record (hex digits, lengths, checksums) and list what
                 an update would send, in order, and which displays it fits.
                 Exit status 0 when it would go, 1 when a file is damaged, 5
                 when it does not fit, 2 when there is no such folder
  --model NAME|ID
                 with --check: the model the package is meant for (its name,
                 such as "Corlet" or "Selvar 40", or its model id); without it
                 only the main firmware is checked
  --verbose      print the library's failure texts and debug lines on stderr
  --trace FILE   write every byte exchanged with the displays into FILE, for
                 support (the variable QUORLIN_TRACE names the file too)
  --help         print this help and exit
  --version      print the version and exit

Exit status:
  0  the update succeeded
  1  the update failed or was cancelled, or the display did not answer again
     within 60 seconds after it (or another display answered in its place);
     with --check: a file of the package is damaged
  2  usage error
  3  no display found
  4  declined: No to the confirmation, or a question cancelled
  5  the firmware does not fit the display (other model, firmware too old,
     emulation active)

Environment:
  QUORLIN_TRACE  as --trace FILE, when --trace is not given

The last folder is stored in $XDG_CONFIG_HOME/quorlin/updater.conf
(default ~/.config/quorlin/updater.conf).
)";
}

}  // namespace QrApp
