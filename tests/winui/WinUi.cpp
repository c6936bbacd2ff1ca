// winui: drives the dialogs of another Windows program from the outside, for tests under Wine.
//
//   winui [options] COMMAND CAPTION [ARGUMENTS]
//
// CAPTION names a visible top-level window by its exact caption; the options --class NAME and
// --has ID (anywhere on the line) narrow the choice to windows of that class or with a control
// of that id. Every command waits for such a window (--timeout MS, 30000 by default: a program
// started cold under Wine on a busy machine can take more than ten seconds to show its first
// window) and fails with exit code 1 when none appears in time.
//
//   find CAPTION               the window exists
//   rect CAPTION               "X Y WIDTH HEIGHT" of the window on the screen
//   styles CAPTION [ID]        the style of the window (or of its control ID), in hexadecimal
//   text CAPTION ID            the text of control ID
//   wait-text CAPTION ID TEXT  waits until control ID shows TEXT
//   watch CAPTION ID           prints each text control ID shows, one a line, until the window
//                              is gone (--timeout bounds the whole watch)
//   items CAPTION ID           the entries of combo box ID: index, item data, "*" for the
//                              selected one, text (tab-separated)
//   select CAPTION ID INDEX    selects entry INDEX of combo box ID
//   wait-position CAPTION ID N waits until progress bar ID stands at N
//   press CAPTION ID           presses button ID (as a click on it reports it to the dialog)
//   close CAPTION              closes the window as its close box does
//
// Texts are read and written as UTF-8.
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Options {
  DWORD timeout = 30000;
  std::wstring className;
  std::optional<int> hasControl;
};

constexpr DWORD kPoll = 50;             // ms between looks at the screen
constexpr UINT kMessageTimeout = 5000;  // ms a window may take to answer

void write(DWORD stream, const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string bytes(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, nullptr);
  DWORD written = 0;
  WriteFile(GetStdHandle(stream), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
            nullptr);
}

int print(const std::wstring& line) {
  write(STD_OUTPUT_HANDLE, line + L"\n");
  return 0;
}

int fail(const std::wstring& message) {
  write(STD_ERROR_HANDLE, L"winui: " + message + L"\n");
  return 1;
}

// Not SMTO_ABORTIFHUNG: a thread that has just shown a window after a long wait without
// looking at its queue (the updater's after the worker has ended) counts as hung until its
// modal loop starts, and the answer would be lost.
std::optional<LRESULT> tryAsk(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  const LRESULT sent =
      SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kMessageTimeout, &result);
  if (sent == 0) return std::nullopt;
  return static_cast<LRESULT>(result);
}

LRESULT ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return tryAsk(window, message, wParam, lParam).value_or(0);
}

// The text of a window (WM_GETTEXT) or, with `combo`, of the combo box's entry `index`.
std::optional<std::wstring> tryText(HWND window, bool combo = false, WPARAM index = 0) {
  const std::optional<LRESULT> length =
      tryAsk(window, combo ? CB_GETLBTEXTLEN : WM_GETTEXTLENGTH, index);
  if (!length || *length < 0) return std::nullopt;
  std::wstring text(static_cast<std::size_t>(*length) + 1, L'\0');
  const auto data = reinterpret_cast<LPARAM>(text.data());
  const std::optional<LRESULT> copied = combo ? tryAsk(window, CB_GETLBTEXT, index, data)
                                              : tryAsk(window, WM_GETTEXT, text.size(), data);
  if (!copied || *copied < 0) return std::nullopt;
  text.resize(static_cast<std::size_t>(*copied));
  return text;
}

std::wstring text(HWND window) {
  return tryText(window).value_or(std::wstring());
}

struct Search {
  const std::wstring& caption;
  const Options& options;
  HWND found = nullptr;
};

BOOL CALLBACK considerWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  // The caption and class the system keeps: no message to a window that may be busy.
  wchar_t caption[512] = {}, name[256] = {};
  GetWindowTextW(window, caption, 512);
  GetClassNameW(window, name, 256);
  const Options& options = search->options;
  if (!IsWindowVisible(window) || caption != search->caption ||
      (!options.className.empty() && name != options.className) ||
      (options.hasControl && GetDlgItem(window, *options.hasControl) == nullptr)) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

// Repeats `check` until it holds or the time-out has passed.
bool waitFor(const Options& options, const std::function<bool()>& check) {
  const ULONGLONG deadline = GetTickCount64() + options.timeout;
  for (;;) {
    if (check()) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(kPoll);
  }
}

int number(const std::wstring& text) {
  return static_cast<int>(std::wcstol(text.c_str(), nullptr, 10));
}

int run(const std::wstring& command, const std::wstring& caption,
        const std::vector<std::wstring>& arguments, const Options& options) {
  Search search{caption, options};
  waitFor(options, [&] {
    EnumWindows(considerWindow, reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr;
  });
  HWND window = search.found;
  if (window == nullptr) return fail(L"no window \"" + caption + L"\"");

  if (command == L"find") return 0;
  if (command == L"rect") {
    RECT rect{};
    GetWindowRect(window, &rect);
    return print(std::to_wstring(rect.left) + L" " + std::to_wstring(rect.top) + L" " +
                 std::to_wstring(rect.right - rect.left) + L" " +
                 std::to_wstring(rect.bottom - rect.top));
  }
  if (command == L"close") return PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
  HWND item = arguments.empty() ? nullptr : GetDlgItem(window, number(arguments[0]));
  if (!arguments.empty() && item == nullptr) {
    return fail(L"no control " + arguments[0] + L" in \"" + caption + L"\"");
  }
  if (command == L"styles") {
    wchar_t style[16] = {};
    wsprintfW(style, L"%08lx",
              static_cast<unsigned long>(GetWindowLongW(item ? item : window, GWL_STYLE)));
    return print(style);
  }
  if (item == nullptr) return fail(command + L" needs a control id");
  const bool twoArguments = arguments.size() >= 2;

  if (command == L"text") {
    const std::optional<std::wstring> shown = tryText(item);
    return shown ? print(*shown) : fail(L"control " + arguments[0] + L" did not answer");
  }
  if (command == L"wait-text" && twoArguments) {
    if (waitFor(options, [&] { return text(item) == arguments[1]; })) return 0;
    return fail(L"control " + arguments[0] + L" shows \"" + text(item) + L"\", not \"" +
                arguments[1] + L"\"");
  }
  if (command == L"watch") {
    // Looks every kPoll ms: a text shown for less than that may be missed.
    std::optional<std::wstring> last;
    const bool gone = waitFor(options, [&] {
      const std::wstring shown = text(item);
      if (!IsWindow(window)) return true;  // what was read may come from the closing window
      if (shown != last) print(shown);
      last = shown;
      return false;
    });
    return gone ? 0 : fail(L"\"" + caption + L"\" is still shown");
  }
  if (command == L"items") {
    const LRESULT count = ask(item, CB_GETCOUNT);
    const LRESULT selected = ask(item, CB_GETCURSEL);
    for (LRESULT index = 0; index < count; ++index) {
      print(std::to_wstring(index) + L"\t" + std::to_wstring(ask(item, CB_GETITEMDATA, index)) +
            L"\t" + (index == selected ? L"*" : L"") + L"\t" +
            tryText(item, true, index).value_or(std::wstring()));
    }
    return 0;
  }
  if (command == L"select" && twoArguments) {
    if (ask(item, CB_SETCURSEL, number(arguments[1])) != CB_ERR) return 0;
    return fail(L"no entry " + arguments[1]);
  }
  if (command == L"wait-position" && twoArguments) {
    if (waitFor(options, [&] { return ask(item, PBM_GETPOS) == number(arguments[1]); })) return 0;
    return fail(L"progress bar " + arguments[0] + L" stands at " +
                std::to_wstring(ask(item, PBM_GETPOS)));
  }
  if (command == L"press") {
    // What a click does: the button reports BN_CLICKED to its dialog. Posted, so that a dialog
    // that takes its time over the command does not hold the test up.
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(item), BN_CLICKED),
                 reinterpret_cast<LPARAM>(item));
    return 0;
  }
  return fail(L"unknown command or missing arguments: " + command);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options options;
  std::vector<std::wstring> words;  // the command, the caption and the arguments
  for (int at = 1; at < argc; ++at) {
    const std::wstring word = argv[at];
    if (word.rfind(L"--", 0) != 0) {
      words.push_back(word);
      continue;
    }
    if (at + 1 == argc) return fail(L"option " + word + L" needs a value");
    const std::wstring value = argv[++at];
    if (word == L"--timeout") {
      options.timeout = static_cast<DWORD>(number(value));
    } else if (word == L"--class") {
      options.className = value;
    } else if (word == L"--has") {
      options.hasControl = number(value);
    } else {
      return fail(L"unknown option " + word);
    }
  }
  if (words.size() < 2) return fail(L"usage: winui [options] COMMAND CAPTION [ARGUMENTS]");
  return run(words[0], words[1], std::vector<std::wstring>(words.begin() + 2, words.end()),
             options);
}
