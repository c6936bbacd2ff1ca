#include "app/posix/FleetBoard.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include "app/posix/CommandLine.h"
#include "app/posix/TerminalTexts.h"
#include "qrcom/base/Utf8.h"

namespace QrApp {

FleetBoard::FleetBoard(Style style, uint16_t language)
    : style_(style), language_(language), wake_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

FleetBoard::~FleetBoard() {
  close(wake_);
}

std::size_t FleetBoard::addRow(const std::wstring& label, const EventDisplay& who) {
  std::lock_guard<std::mutex> guard(mutex_);
  rows_.emplace_back();
  rows_.back().label = label;
  rows_.back().who = who;
  return rows_.size() - 1;
}

void FleetBoard::show(std::size_t row, const std::wstring& status, unsigned percent) {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    rows_[row].status = status;
    rows_[row].percent = percent;
  }
  wake();
}

void FleetBoard::note(std::size_t row, const std::wstring& message, MessageKind kind) {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    rows_[row].message = message;
    if (style_ == Style::Json) rows_[row].unwritten.emplace_back(message, kind);
  }
  wake();
}

void FleetBoard::finish(std::size_t row, UpdateOutcome outcome, const std::wstring& firmwareBefore,
                        const std::wstring& firmwareAfter) {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    rows_[row].outcome = outcome;
    rows_[row].firmwareBefore = firmwareBefore;
    rows_[row].firmwareAfter = firmwareAfter;
  }
  wake();
}

bool FleetBoard::waitForChange(uint64_t& generation) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return generation != generation_ || cancelled_; });
  generation = generation_;
  return cancelled_;
}

void FleetBoard::wake() {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    ++generation_;
  }
  changed_.notify_all();
  const uint64_t one = 1;
  if (write(wake_, &one, sizeof one) < 0) {
    // Already readable: the main thread looks anyway.
  }
}

void FleetBoard::cancelAll() {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    cancelled_ = true;
  }
  changed_.notify_all();
}

bool FleetBoard::allFinished() const {
  std::lock_guard<std::mutex> guard(mutex_);
  for (const Row& row : rows_) {
    if (!row.outcome) return false;
  }
  return true;
}

std::wstring FleetBoard::resultText(const Row& row) const {
  TerminalText result = TerminalText::kTxtFleetFailed;
  if (row.outcome == UpdateOutcome::Succeeded) result = TerminalText::kTxtFleetUpdated;
  if (row.outcome == UpdateOutcome::DoesNotFit) result = TerminalText::kTxtFleetLeftAlone;
  return row.label + L": " + terminalText(result, language_);
}

std::string FleetBoard::line(const Row& row) const {
  // A finished row tells its result at once; the summary adds why.
  if (row.outcome) return QrCom::toUtf8(resultText(row));
  std::wstring text = row.label + L": " + row.status;
  if (!row.status.empty()) text += L" ";
  return QrCom::toUtf8(text + std::to_wstring(row.percent) + L" %");
}

std::string FleetBoard::render() {
  uint64_t count = 0;
  if (read(wake_, &count, sizeof count) < 0) {
    // Nothing was pending.
  }
  if (style_ == Style::Json) return renderJson();
  std::lock_guard<std::mutex> guard(mutex_);
  std::string output;
  if (style_ == Style::InPlace) {
    // Back to the first row, then every row rewritten, the rest of an older line erased.
    if (drawn_ > 0) output += "\x1b[" + std::to_string(drawn_) + "A";
    for (const Row& row : rows_) output += "\r" + line(row) + "\x1b[K\n";
    drawn_ = rows_.size();
    return output;
  }
  for (Row& row : rows_) {
    const std::string step = row.plain.update(row.status, row.percent);
    if (!step.empty()) output += QrCom::toUtf8(row.label) + ": " + step;
  }
  return output;
}

std::string FleetBoard::renderJson() {
  std::lock_guard<std::mutex> guard(mutex_);
  std::string output;
  for (Row& row : rows_) {
    const std::pair<std::wstring, unsigned> now(row.status, row.percent);
    if (!row.status.empty() && row.written != now) {
      output += statusEvent(row.who, row.status, row.percent);
      row.written = now;
    }
    for (const auto& [text, kind] : row.unwritten) {
      output += messageEvent(row.who, text, kind, language_);
    }
    row.unwritten.clear();
  }
  return output;
}

std::string FleetBoard::summary() const {
  if (style_ == Style::Json) {
    std::string output;
    {
      std::lock_guard<std::mutex> guard(mutex_);
      for (const Row& row : rows_) {
        output += resultEvent(row.who, row.outcome.value_or(UpdateOutcome::Failed),
                              row.firmwareBefore, row.firmwareAfter);
      }
    }
    return output + exitEvent(exitStatus());
  }
  std::lock_guard<std::mutex> guard(mutex_);
  std::string output;
  for (const Row& row : rows_) {
    std::wstring text = resultText(row);
    if (!row.message.empty()) text += L" " + row.message;
    output += QrCom::toUtf8(text) + "\n";
  }
  return output;
}

int FleetBoard::exitStatus() const {
  std::lock_guard<std::mutex> guard(mutex_);
  bool updated = false;
  for (const Row& row : rows_) {
    if (row.outcome == UpdateOutcome::Succeeded) {
      updated = true;
    } else if (row.outcome != UpdateOutcome::DoesNotFit) {
      return kExitFailed;
    }
  }
  if (updated) return kExitSuccess;
  return rows_.empty() ? kExitNoDevice : kExitDoesNotFit;
}

}  // namespace QrApp
