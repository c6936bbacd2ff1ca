#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/FirmwareUploadControler.h"
#include "app/posix/TerminalProgress.h"
#include "app/posix/UpdateEvents.h"

namespace QrApp {

// The state of several updates at once, one row per display: the updates' threads change it,
// the program's main thread shows it. On a terminal the rows are rewritten in place; otherwise
// a row writes a plain line, starting with its display, for each new status text and each
// further 10 %; for programs, JSON lines (UpdateEvents.h). Each change wakes the main thread
// through descriptor().
class FleetBoard {
 public:
  enum class Style { InPlace, Lines, Json };

  FleetBoard(Style style, uint16_t language);
  ~FleetBoard();
  FleetBoard(const FleetBoard&) = delete;
  FleetBoard& operator=(const FleetBoard&) = delete;

  // A row for a display named `label` (`who` in JSON); its index.
  std::size_t addRow(const std::wstring& label, const EventDisplay& who = {});

  // --- from the updates' threads
  void show(std::size_t row, const std::wstring& status, unsigned percent);
  // The last message a row got is its result's explanation.
  void note(std::size_t row, const std::wstring& message, MessageKind kind);
  // The firmware versions are those the update proved (empty where unknown).
  void finish(std::size_t row, UpdateOutcome outcome, const std::wstring& firmwareBefore = {},
              const std::wstring& firmwareAfter = {});
  // Waits until `generation` is not the board's (it is set to the board's) or all are cancelled;
  // true when cancelled.
  bool waitForChange(uint64_t& generation);
  // Wakes the rows' waits and the main thread.
  void wake();

  // --- on the main thread
  int descriptor() const { return wake_; }
  // Empties descriptor(); the output for the rows' changes since the last call.
  std::string render();
  void cancelAll();
  bool allFinished() const;
  // One line per display with its result; then the exit status of the whole run.
  std::string summary() const;
  int exitStatus() const;

 private:
  struct Row {
    std::wstring label;
    EventDisplay who;
    std::wstring status;
    unsigned percent = 0;
    std::wstring message;
    std::optional<UpdateOutcome> outcome;
    std::wstring firmwareBefore, firmwareAfter;
    ProgressRenderer plain{false};
    // JSON: what was last written, and the messages not written yet.
    std::optional<std::pair<std::wstring, unsigned>> written;
    std::vector<std::pair<std::wstring, MessageKind>> unwritten;
  };
  // "label: updated." and the like.
  std::wstring resultText(const Row& row) const;
  std::string line(const Row& row) const;
  std::string renderJson();

  const Style style_;
  const uint16_t language_;
  const int wake_;            // an eventfd
  mutable std::mutex mutex_;  // guards all below
  std::condition_variable changed_;
  std::vector<Row> rows_;
  uint64_t generation_ = 0;
  bool cancelled_ = false;
  std::size_t drawn_ = 0;  // rows on the screen, in place
};

}  // namespace QrApp
