#include "app/posix/TerminalUi.h"

#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <system_error>

#include "app/FileSystem.h"
#include "app/LocalizedStrings.h"
#include "app/TextFormat.h"
#include "app/posix/Interrupt.h"
#include "app/posix/TerminalProgress.h"
#include "qrcom/base/Utf8.h"

namespace QrApp {

namespace {

// Answers are accepted in both languages, whatever language the texts are in.
enum class Word { Yes, No, Retry, Cancel, Empty, Other };

std::string trimmedLowerCase(const std::string& line) {
  const std::size_t first = line.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const std::size_t last = line.find_last_not_of(" \t");
  std::string word = line.substr(first, last - first + 1);
  for (char& character : word) {
    if (character >= 'A' && character <= 'Z') character = static_cast<char>(character - 'A' + 'a');
  }
  return word;
}

Word wordOf(const std::string& line) {
  const std::string word = trimmedLowerCase(line);
  if (word.empty()) return Word::Empty;
  if (word == "y" || word == "yes" || word == "j" || word == "ja") return Word::Yes;
  if (word == "n" || word == "no" || word == "nein") return Word::No;
  if (word == "r" || word == "retry" || word == "w" || word == "wiederholen") return Word::Retry;
  if (word == "c" || word == "cancel" || word == "a" || word == "abbrechen") return Word::Cancel;
  return Word::Other;
}

// A folder as typed: "~" stands for the home folder; the result is absolute, so that the stored
// folder still works from another working directory. Empty when it is no folder.
std::string resolveFolder(std::string typed) {
  const char* home = std::getenv("HOME");
  if (home != nullptr && (typed == "~" || typed.rfind("~/", 0) == 0)) {
    typed = home + typed.substr(1);
  }
  char resolved[PATH_MAX];
  if (realpath(typed.c_str(), resolved) == nullptr) return {};
  return folderExists(QrCom::fromUtf8(resolved)) ? resolved : std::string();
}

}  // namespace

TerminalUi::TerminalUi(int input, int output, int errors, uint16_t language)
    : input_(input),
      output_(output),
      errors_(errors),
      language_(language),
      wake_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      reader_(input),
      channel_([this] {
        const uint64_t one = 1;
        // A counter that is already set wakes the loop just as well.
        if (::write(wake_, &one, sizeof one) < 0) {
        }
      }) {
  if (wake_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
  // A reader that goes away (a closed pipe) must not end the program in the middle of an update.
  signal(SIGPIPE, SIG_IGN);
}

TerminalUi::~TerminalUi() {
  close(wake_);
}

std::wstring TerminalUi::text(TerminalText which) const {
  return terminalText(which, language_);
}

std::wstring TerminalUi::string(uint16_t id, std::size_t length) const {
  return loadLocalizedString(id, language_, length);
}

void TerminalUi::write(int descriptor, const std::string& bytes) const {
  writeFully(descriptor, bytes);
}

void TerminalUi::say(const std::wstring& line) const {
  write(output_, QrCom::toUtf8(line) + "\n");
}

void TerminalUi::prompt(const std::wstring& text) const {
  write(output_, QrCom::toUtf8(text) + " ");
}

std::optional<std::string> TerminalUi::ask(const std::wstring& question) {
  InterruptCatcher interrupt;  // from the prompt on, Ctrl+C answers like the end of the input
  prompt(question);
  for (;;) {
    std::optional<std::string> line = reader_.takeLine();
    if (line || reader_.exhausted()) {
      endAnswer(line.has_value());
      return line;
    }
    if (waitForInput({input_, interrupt.descriptor()}) == 1) {
      endAnswer(false);
      return std::nullopt;
    }
    reader_.readAvailable();
  }
}

void TerminalUi::endAnswer(bool answered) const {
  // A terminal echoes the answer and its line end; the end of the input and input from a pipe
  // leave the prompt's line open.
  if (!answered || isatty(input_) != 1) write(output_, "\n");
}

void TerminalUi::showMessage(const std::wstring& text, MessageKind kind) {
  write(kind == MessageKind::Error ? errors_ : output_, QrCom::toUtf8(text) + "\n");
}

bool TerminalUi::askYesNo(const std::wstring& question) {
  for (;;) {
    const std::optional<std::string> line =
        ask(question + L" " + text(TerminalText::kTxtYesNoPrompt));
    if (!line) return false;
    const Word word = wordOf(*line);
    if (word == Word::Yes) return true;
    if (word == Word::No || word == Word::Empty) return false;
    say(text(TerminalText::kTxtInvalidAnswer));
  }
}

int TerminalUi::selectDevice(const std::vector<std::wstring>& descriptions) {
  if (descriptions.empty()) return -1;
  say(text(TerminalText::kTxtSelectionText));
  for (std::size_t i = 0; i < descriptions.size(); ++i) {
    say(std::to_wstring(i + 1) + L": " + descriptions[i]);
  }
  for (;;) {
    const std::optional<std::string> line = ask(text(TerminalText::kTxtSelectionPrompt));
    if (!line) return -1;
    const std::string word = trimmedLowerCase(*line);
    if (word.empty()) return 0;
    if (word.find_first_not_of("0123456789") == std::string::npos && word.size() < 6) {
      const int number = std::atoi(word.c_str());
      if (number == 0) return -1;
      if (static_cast<std::size_t>(number) <= descriptions.size()) return number - 1;
    }
    say(text(TerminalText::kTxtInvalidAnswer));
  }
}

std::optional<std::wstring> TerminalUi::chooseFolder(const std::optional<std::wstring>& initial) {
  say(string(kStrSelectFolder, kMessageLength));
  for (;;) {
    const std::optional<std::string> line =
        ask(initial ? formatText(text(TerminalText::kTxtFolderPromptWithDefault), {*initial})
                    : text(TerminalText::kTxtFolderPrompt));
    if (!line) return std::nullopt;
    std::string typed = *line;
    if (typed.empty()) {
      if (!initial) continue;
      typed = QrCom::toUtf8(*initial);
    }
    const std::string folder = resolveFolder(typed);
    if (!folder.empty()) return QrCom::fromUtf8(folder);
    say(formatText(text(TerminalText::kTxtFolderNotFound), {QrCom::fromUtf8(typed)}));
  }
}

bool TerminalUi::answerRetry(const std::string& line) {
  const Word word = wordOf(line);
  if (word == Word::Retry || word == Word::Empty) {
    channel_.answerRetry(true);
    return true;
  }
  if (word == Word::Cancel) {
    channel_.answerRetry(false);
    return true;
  }
  say(text(TerminalText::kTxtInvalidAnswer));
  return false;
}

int TerminalUi::showUploadDialog(const std::wstring& targetDevice,
                                 QrCom::UploadProcessDialogNotifier& notifier) {
  InterruptCatcher interrupt;  // before the hint, so that Ctrl+C means Cancel once it shows
  say(string(kStrCaption, kCaptionLength));
  say(text(TerminalText::kTxtTargetDevice) + L" " + targetDevice);
  say(text(TerminalText::kTxtCancelHint));
  ProgressRenderer renderer(isatty(output_) == 1);
  bool asking = false;    // the retry question waits for its answer
  bool prompted = false;  // and is on the screen
  for (;;) {
    // The state first: every change made before the end it may report is then in the queue.
    const ProgressChannel::State state = channel_.state();
    for (const ProgressChannel::Display& display : channel_.takeChanges()) {
      write(output_, renderer.update(display.status, display.percent));
    }
    if (state.result) {
      write(output_, renderer.endLine());
      channel_.close();
      return *state.result;
    }
    if (state.message) {
      write(output_, renderer.endLine());
      showMessage(state.message->text, state.message->kind);
      channel_.messageShown();
    }
    if (state.retryAsked && !asking) {
      write(output_, renderer.endLine());
      asking = true;
      prompted = false;
    }
    if (asking) {
      if (!prompted) {
        prompt(string(kStrRetryQuestion, kRetryQuestionLength) + L" " +
               text(TerminalText::kTxtRetryPrompt));
        prompted = true;
      }
      // Lines typed ahead answer the question as they would on a terminal.
      std::optional<std::string> line = reader_.takeLine();
      if (line || reader_.exhausted()) {
        endAnswer(line.has_value());
        if (answerRetry(line.value_or("c"))) {
          asking = false;
        } else {
          prompted = false;
        }
        continue;
      }
    }
    std::vector<int> descriptors{wake_, interrupt.descriptor()};
    if (asking) descriptors.push_back(input_);
    const std::size_t ready = waitForInput(descriptors);
    if (ready == 0) {
      uint64_t count = 0;
      if (read(wake_, &count, sizeof count) < 0) {
      }
    } else if (ready == 1) {
      interrupt.drain();
      write(output_, asking ? "\n" : renderer.endLine());
      say(text(TerminalText::kTxtCancelling));
      notifier.onCancel();
      channel_.close();
      return -1;
    } else {
      reader_.readAvailable();
    }
  }
}

}  // namespace QrApp
