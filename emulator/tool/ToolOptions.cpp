#include "emulator/tool/ToolOptions.h"

#include <functional>
#include <stdexcept>

namespace QrEmu {

const char kToolUsage[] =
    "Usage: quorlin-emulator [--log] [--line-rate] [--contents] [--reset-parity]\n"
    "                        [--control FIFO] [--display SETTINGS]...\n"
    "Starts emulated displays on pseudo-terminals, prints the tty of each and serves them\n"
    "until interrupted (Ctrl+C or SIGTERM).\n"
    "\n"
    "  --display SETTINGS  one display; SETTINGS is a comma-separated list of\n"
    "        model=ID       model id, decimal or 0x..; default 84\n"
    "        version=V      protocol version; default 0x0103; 0 ignores the request\n"
    "        link=PATH      a symbolic link to the tty (replaces an older link)\n"
    "        serial=TEXT    the serial number; default one of the model's kind\n"
    "        firmware=M.N   the firmware version; default 3.30\n"
    "        bluetooth      a Fundo running the Bluetooth variant\n"
    "        norecord       no service-information record\n"
    "        delay=MS       every answer MS milliseconds late\n"
    "        garbage=N      N noise bytes before every answer\n"
    "        wrong          every answer byte complemented\n"
    "        silent         never answers\n"
    "        busy           the port is held: opening it fails\n"
    "        replay=FILE    answers exactly as the display recorded in the port trace\n"
    "                       FILE (quorlin-updater --trace) did; model and the other\n"
    "                       settings are not used. The first byte the host sends that\n"
    "                       differs from the recording is reported, and the tool ends\n"
    "                       with status 1 (also when the host stopped early)\n"
    "      Without --display: one display with the defaults.\n"
    "  --log           prints every byte exchanged and every change of the line rate\n"
    "  --line-rate     paces the bytes like a real line: 11 bits a byte at the tty's rate\n"
    "  --contents      when ending, prints what each display holds: firmware, files, tables\n"
    "  --reset-parity  clears the odd parity a pty keeps once the host has set up its line;\n"
    "                  only for Windows programs under Wine, whose SetCommState refuses the\n"
    "                  next identical request on a pty\n"
    "  --control FIFO  creates FIFO and reads lines \"N FAULTS\" from it: display N (from 1)\n"
    "                  gets exactly the faults listed (delay=, garbage=, wrong, silent, busy,\n"
    "                  unplug); \"N\" alone clears them and plugs the display back in;\n"
    "                  \"N power-cut\" cuts its power at the host's next write and\n"
    "                  brings it back as a real one: an older display in the middle of\n"
    "                  its main firmware then waits in its boot loader\n";

namespace {

uint32_t number(const std::string& key, const std::string& value, uint32_t maximum) {
  size_t used = 0;
  unsigned long parsed = 0;
  try {
    parsed = std::stoul(value, &used, 0);
  } catch (const std::exception&) {
    used = 0;
  }
  if (value.empty() || used != value.size() || value[0] == '-' || parsed > maximum) {
    throw std::invalid_argument(key + ": \"" + value + "\" is not a number from 0 to " +
                                std::to_string(maximum));
  }
  return static_cast<uint32_t>(parsed);
}

// Calls `apply` with key, value and whether the item was a bare word, for each item of a
// comma-separated list.
void forEachItem(const std::string& text,
                 const std::function<void(const std::string&, const std::string&, bool)>& apply) {
  size_t start = 0;
  while (start <= text.size()) {
    const size_t comma = std::min(text.find(',', start), text.size());
    const std::string item = text.substr(start, comma - start);
    start = comma + 1;
    if (item.empty()) continue;
    const size_t equals = item.find('=');
    apply(item.substr(0, equals), equals == std::string::npos ? "" : item.substr(equals + 1),
          equals == std::string::npos);
  }
}

bool applyFault(const std::string& key, const std::string& value, bool word, Faults& faults) {
  if (key == "delay" && !word) {
    faults.answerDelay = number(key, value, 3'600'000);
  } else if (key == "garbage" && !word) {
    faults.garbage = number(key, value, 4096);
  } else if (key == "wrong" && word) {
    faults.wrongAnswers = true;
  } else if (key == "silent" && word) {
    faults.silent = true;
  } else if (key == "busy" && word) {
    faults.busy = true;
  } else {
    return false;
  }
  return true;
}

bool applyIdentity(const std::string& key, const std::string& value, bool word,
                   DisplayIdentity& identity) {
  if (key == "serial" && !word && !value.empty()) {
    identity.serialNumber = value;
  } else if (key == "firmware" && !word) {
    const size_t dot = value.find('.');
    if (dot == std::string::npos) {
      throw std::invalid_argument("firmware: \"" + value + "\" is not MAJOR.MINOR");
    }
    identity.firmwareMajor = static_cast<uint8_t>(number(key, value.substr(0, dot), 0xFF));
    identity.firmwareMinor = static_cast<uint8_t>(number(key, value.substr(dot + 1), 0xFF));
  } else if (key == "bluetooth" && word) {
    identity.bluetooth = true;
  } else if (key == "norecord" && word) {
    identity.serviceRecord.reset();
  } else {
    return false;
  }
  return true;
}

[[noreturn]] void unknown(const std::string& key, const std::string& value, bool word) {
  throw std::invalid_argument("unknown setting \"" + key + (word ? "" : "=" + value) + "\"");
}

DisplaySettings parseDisplay(const std::string& text) {
  DisplaySettings settings;
  forEachItem(text, [&settings](const std::string& key, const std::string& value, bool word) {
    if (key == "model" && !word) {
      settings.modelId = static_cast<uint8_t>(number(key, value, 0xFF));
    } else if (key == "version" && !word) {
      settings.protocolVersion = static_cast<uint16_t>(number(key, value, 0xFFFF));
    } else if (key == "link" && !word && !value.empty()) {
      settings.link = value;
    } else if (key == "replay" && !word && !value.empty()) {
      settings.replay = value;
    } else if (!applyIdentity(key, value, word, settings.identity) &&
               !applyFault(key, value, word, settings.faults)) {
      unknown(key, value, word);
    }
  });
  return settings;
}

}  // namespace

ToolOptions parseToolOptions(const std::vector<std::string>& arguments) {
  ToolOptions options;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const bool valued = argument == "--display" || argument == "--control";
    if (valued && i + 1 == arguments.size()) {
      throw std::invalid_argument(argument + " needs a value");
    }
    if (argument == "--help" || argument == "-h") {
      options.help = true;
    } else if (argument == "--log") {
      options.log = true;
    } else if (argument == "--line-rate") {
      options.lineRate = true;
    } else if (argument == "--contents") {
      options.contents = true;
    } else if (argument == "--reset-parity") {
      options.resetParity = true;
    } else if (argument == "--display") {
      options.displays.push_back(parseDisplay(arguments[++i]));
    } else if (argument == "--control") {
      options.control = arguments[++i];
    } else {
      throw std::invalid_argument("unknown option \"" + argument + "\"");
    }
  }
  if (options.displays.empty()) options.displays.emplace_back();
  return options;
}

ControlCommand parseControlLine(const std::string& line) {
  const size_t blank = line.find(' ');
  ControlCommand command;
  command.display = number("display", line.substr(0, blank), 1'000);
  if (command.display == 0) throw std::invalid_argument("displays are counted from 1");
  if (blank == std::string::npos) return command;
  forEachItem(line.substr(blank + 1),
              [&command](const std::string& key, const std::string& value, bool word) {
                if (key == "power-cut" && word) {
                  command.powerCut = true;
                } else if (key == "unplug" && word) {
                  command.faults.unplugged = true;
                } else if (!applyFault(key, value, word, command.faults)) {
                  unknown(key, value, word);
                }
              });
  return command;
}

}  // namespace QrEmu
