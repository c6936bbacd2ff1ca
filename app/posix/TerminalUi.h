#pragma once

#include <cstdint>
#include <string>

#include "app/ProgressChannel.h"
#include "app/UpdaterUi.h"
#include "app/posix/TerminalInput.h"
#include "app/posix/TerminalTexts.h"

namespace QrApp {

// The updater's dialogs as questions and lines on a terminal, in the chosen language, readable
// by a screen reader or a Braille display: answers are whole lines, every question has a
// default taken by Enter, and the end of the input or Ctrl+C counts as No / Cancel. Messages of the
// error kind go to the error descriptor, everything else to the output.
class TerminalUi : public UpdaterUi {
 public:
  TerminalUi(int input, int output, int errors, uint16_t language);
  ~TerminalUi() override;
  TerminalUi(const TerminalUi&) = delete;
  TerminalUi& operator=(const TerminalUi&) = delete;

  void showMessage(const std::wstring& text, MessageKind kind) override;
  bool askYesNo(const std::wstring& question) override;
  int selectDevice(const std::vector<std::wstring>& descriptions) override;
  std::optional<std::wstring> chooseFolder(const std::optional<std::wstring>& initial) override;
  UploadProgress& uploadProgress() override { return channel_; }
  // Ctrl+C while the dialog is shown is its Cancel.
  int showUploadDialog(const std::wstring& targetDevice,
                       QrCom::UploadProcessDialogNotifier& notifier) override;

 private:
  std::wstring text(TerminalText which) const;
  std::wstring string(uint16_t id, std::size_t length) const;
  void write(int descriptor, const std::string& bytes) const;
  void say(const std::wstring& line) const;
  void prompt(const std::wstring& text) const;
  // Writes the prompt and returns the answer line; nothing (after ending the prompt's line) at
  // the end of the input or on Ctrl+C.
  std::optional<std::string> ask(const std::wstring& question);
  // Ends the prompt's line after an answer (or the end of the input) where the terminal did not.
  void endAnswer(bool answered) const;
  // Handles a line typed while the retry question is open; true when it answered it.
  bool answerRetry(const std::string& line);

  const int input_;
  const int output_;
  const int errors_;
  const uint16_t language_;
  int wake_;  // an eventfd the worker's updates make readable
  LineReader reader_;
  ProgressChannel channel_;
};

}  // namespace QrApp
