#include "app/posix/UpdateEvents.h"

#include <nlohmann/json.hpp>

#include "app/LocalizedStrings.h"
#include "qrcom/base/Utf8.h"

namespace QrApp {

namespace {

constexpr uint16_t kStringIds[] = {
#define QR_STRING(id, name, english, german) id,
#include "resources/strings.def"
#undef QR_STRING
};

nlohmann::json textOrNull(const std::wstring& text) {
  return text.empty() ? nlohmann::json() : nlohmann::json(QrCom::toUtf8(text));
}

nlohmann::json about(const EventDisplay& display) {
  return {{"path", QrCom::toUtf8(display.path)}, {"serial", textOrNull(display.serial)}};
}

std::string line(const nlohmann::json& object) {
  return object.dump() + "\n";
}

// Whether `text` is `format` with some text (maybe none) in place of each "%s" or "%d".
bool fills(std::wstring_view format, std::wstring_view text) {
  const std::size_t placeholder = std::min(format.find(L"%s"), format.find(L"%d"));
  if (placeholder == std::wstring_view::npos) return format == text;
  if (text.substr(0, placeholder) != format.substr(0, placeholder)) return false;
  const std::wstring_view rest = format.substr(placeholder + 2);
  for (std::size_t start = placeholder; start <= text.size(); ++start) {
    if (fills(rest, text.substr(start))) return true;
  }
  return false;
}

std::size_t placeholders(std::wstring_view format) {
  std::size_t count = 0;
  for (std::size_t i = 0; i + 1 < format.size(); ++i) {
    if (format[i] == L'%' && (format[i + 1] == L's' || format[i + 1] == L'd')) ++count;
  }
  return count;
}

}  // namespace

std::optional<uint16_t> stringIdOf(const std::wstring& text, uint16_t language) {
  // The format with the most literal text wins; one mostly made of placeholders ("%s %s")
  // fits too much to tell anything.
  std::optional<uint16_t> best;
  std::size_t bestLiteral = 0;
  for (const uint16_t id : kStringIds) {
    const std::wstring format = loadLocalizedString(id, language, kRetryQuestionLength);
    if (!fills(format, text)) continue;
    const std::size_t literal = format.size() - 2 * placeholders(format);
    if (literal > bestLiteral && 2 * literal >= text.size()) {
      best = id;
      bestLiteral = literal;
    }
  }
  return best;
}

std::string statusEvent(const EventDisplay& display, const std::wstring& status, unsigned percent) {
  nlohmann::json event = about(display);
  event["status"] = QrCom::toUtf8(status);
  event["percent"] = percent;
  return line(event);
}

std::string messageEvent(const EventDisplay& display, const std::wstring& text, MessageKind kind,
                         uint16_t language) {
  const std::optional<uint16_t> id = stringIdOf(text, language);
  nlohmann::json event = about(display);
  event["message"] = {{"id", id ? nlohmann::json(*id) : nlohmann::json()},
                      {"kind", kind == MessageKind::Error ? "error" : "information"},
                      {"text", QrCom::toUtf8(text)}};
  return line(event);
}

std::string resultEvent(const EventDisplay& display, UpdateOutcome outcome,
                        const std::wstring& firmwareBefore, const std::wstring& firmwareAfter) {
  nlohmann::json event = about(display);
  event["result"] = outcome == UpdateOutcome::Succeeded    ? "updated"
                    : outcome == UpdateOutcome::DoesNotFit ? "left-alone"
                                                           : "failed";
  event["firmwareBefore"] = textOrNull(firmwareBefore);
  event["firmwareAfter"] = textOrNull(firmwareAfter);
  return line(event);
}

std::string exitEvent(int exitStatus) {
  return line({{"exitStatus", exitStatus}});
}

}  // namespace QrApp
