#include "emulator/tool/ToolOptions.h"

#include <stdexcept>

namespace QrEmu {

const char kToolUsage[] =
    "Usage: quorlin-emulator [--log] [--line-rate] [--display SETTINGS]...\n"
    "Starts emulated displays on pseudo-terminals, prints the tty of each and serves them\n"
    "until interrupted (Ctrl+C or SIGTERM).\n"
    "\n"
    "  --display SETTINGS  one display; SETTINGS is a comma-separated list of\n"
    "        model=ID       model id, decimal or 0x..; default 84\n"
    "        version=V      protocol version; default 0x0103; 0 ignores the request\n"
    "        link=PATH      a symbolic link to the tty (replaces an older link)\n"
    "        delay=MS       every answer MS milliseconds late\n"
    "        garbage=N      N noise bytes before every answer\n"
    "        wrong          every answer byte complemented\n"
    "        silent         never answers\n"
    "        busy           the port is held: opening it fails\n"
    "      Without --display: one display with the defaults.\n"
    "  --log        prints every byte exchanged\n"
    "  --line-rate  paces the bytes like a real line: 11 bits a byte at the tty's rate\n";

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

DisplaySettings parseDisplay(const std::string& text) {
  DisplaySettings settings;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t comma = std::min(text.find(',', start), text.size());
    const std::string item = text.substr(start, comma - start);
    start = comma + 1;
    const size_t equals = item.find('=');
    const std::string key = item.substr(0, equals);
    const std::string value = equals == std::string::npos ? "" : item.substr(equals + 1);
    const bool flag = equals == std::string::npos;
    if (key == "model" && !flag) {
      settings.modelId = static_cast<uint8_t>(number(key, value, 0xFF));
    } else if (key == "version" && !flag) {
      settings.protocolVersion = static_cast<uint16_t>(number(key, value, 0xFFFF));
    } else if (key == "link" && !flag && !value.empty()) {
      settings.link = value;
    } else if (key == "delay" && !flag) {
      settings.faults.answerDelay = number(key, value, 3'600'000);
    } else if (key == "garbage" && !flag) {
      settings.faults.garbage = number(key, value, 4096);
    } else if (key == "wrong" && flag) {
      settings.faults.wrongAnswers = true;
    } else if (key == "silent" && flag) {
      settings.faults.silent = true;
    } else if (key == "busy" && flag) {
      settings.faults.busy = true;
    } else if (!item.empty()) {
      throw std::invalid_argument("unknown display setting \"" + item + "\"");
    }
  }
  return settings;
}

}  // namespace

ToolOptions parseToolOptions(const std::vector<std::string>& arguments) {
  ToolOptions options;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      options.help = true;
    } else if (argument == "--log") {
      options.log = true;
    } else if (argument == "--line-rate") {
      options.lineRate = true;
    } else if (argument == "--display") {
      if (i + 1 == arguments.size()) throw std::invalid_argument("--display needs its settings");
      options.displays.push_back(parseDisplay(arguments[++i]));
    } else {
      throw std::invalid_argument("unknown option \"" + argument + "\"");
    }
  }
  if (options.displays.empty()) options.displays.emplace_back();
  return options;
}

}  // namespace QrEmu
