#include "app/posix/FleetUi.h"

namespace QrApp {

FleetUi::FleetUi(FleetBoard& board, std::size_t row)
    : board_(board), row_(row), channel_([&board] { board.wake(); }) {}

void FleetUi::showMessage(const std::wstring& text, MessageKind kind) {
  board_.note(row_, text, kind);
}

bool FleetUi::askYesNo(const std::wstring&) {
  return true;
}

int FleetUi::selectDevice(const std::vector<std::wstring>&) {
  return 0;
}

std::optional<std::wstring> FleetUi::chooseFolder(const std::optional<std::wstring>& initial) {
  return initial;
}

int FleetUi::showUploadDialog(const std::wstring&, QrCom::UploadProcessDialogNotifier& notifier) {
  // The row has named the display from the start.
  uint64_t generation = 0;
  for (;;) {
    // The state first: every change made before the end it may report is then in the queue.
    const ProgressChannel::State state = channel_.state();
    for (const ProgressChannel::Display& display : channel_.takeChanges()) {
      board_.show(row_, display.status, display.percent);
    }
    if (state.result) {
      channel_.close();
      return *state.result;
    }
    if (state.message) {
      board_.note(row_, state.message->text, state.message->kind);
      channel_.messageShown();
    }
    if (state.retryAsked) channel_.answerRetry(false);
    if (board_.waitForChange(generation)) {
      notifier.onCancel();
      channel_.close();
      return -1;
    }
  }
}

}  // namespace QrApp
