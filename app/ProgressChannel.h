#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/UpdaterUi.h"

namespace QrApp {

// The state of the progress dialog, shared between the worker (which changes it through
// UploadProgress) and the user-interface thread (which shows it). A UI implementation owns one
// and wakes its own loop through the callback given at construction.
class ProgressChannel : public UploadProgress {
 public:
  struct Display {
    std::wstring status;
    unsigned percent = 0;  // 0-100
  };
  struct Message {
    std::wstring text;
    MessageKind kind = MessageKind::Information;
  };
  struct State {
    Display display;
    bool retryAsked = false;         // the worker waits for answerRetry
    std::optional<Message> message;  // the worker waits for messageShown
    std::optional<int> result;       // set by end
  };

  // `wake` runs on the worker's thread after each change; it must not block.
  explicit ProgressChannel(std::function<void()> wake);

  State state() const;
  // What the dialog showed since the last call, oldest first, so that no status text is lost
  // however slowly the user-interface thread follows: one entry per status change, and one for
  // the percentages after it (a newer percentage replaces an older one not yet taken).
  std::vector<Display> takeChanges();
  void answerRetry(bool retry);
  // The message of the state has been shown: the worker goes on.
  void messageShown();
  // The dialog has closed: the worker's later changes are ignored, its retry questions, pending
  // or later, are answered with Cancel, and its messages are dropped.
  void close();

  void setStatus(const std::wstring& text) override;
  void setPercent(unsigned percent) override;
  bool askRetry() override;
  void showMessage(const std::wstring& text, MessageKind kind) override;
  void end(int result) override;

 private:
  // Applies `change` unless the dialog has closed, then wakes the user-interface thread.
  template <typename Change>
  void update(Change change);

  const std::function<void()> wake_;
  // Guards everything below; the worker and the user-interface thread both come here.
  mutable std::mutex mutex_;
  std::condition_variable answered_;
  State state_;
  std::vector<Display> changes_;
  bool lastChangeIsPercent_ = false;
  std::optional<bool> answer_;
  bool closed_ = false;
};

}  // namespace QrApp
