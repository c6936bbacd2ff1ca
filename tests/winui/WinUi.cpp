// winui: drives the dialogs of another Windows program from the outside, for tests under Wine.
//
//   winui [options] COMMAND CAPTION [ARGUMENTS]
//
// CAPTION names a visible top-level window by its exact caption; the options --class NAME and
// --has ID (anywhere on the line) narrow the choice to windows of that class or with a control
// of that id. Every command waits
// for such a window (--timeout MS, 10000 by default) and fails with exit code 1 when none
// appears in time.
//
//   find CAPTION               the window exists
//   wait-gone CAPTION          no such window exists (any more)
//   rect CAPTION               "X Y WIDTH HEIGHT" of the window on the screen
//   styles CAPTION [ID]        style and extended style of the window (or of its control ID),
//                              in hexadecimal
//   text CAPTION ID            the text of control ID
//   wait-text CAPTION ID TEXT  waits until control ID shows TEXT
//   watch CAPTION ID           prints each text control ID shows, one a line, until the window
//                              is gone (--timeout bounds the whole watch)
//   items CAPTION ID           the entries of combo box ID: index, item data, "*" for the
//                              selected one, text (tab-separated)
//   select CAPTION ID INDEX    selects entry INDEX of combo box ID
//   position CAPTION ID        the position of progress bar ID
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
  DWORD timeout = 10000;
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

void print(const std::wstring& line) {
  write(STD_OUTPUT_HANDLE, line + L"\n");
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
  if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kMessageTimeout,
                          &result) == 0) {
    return std::nullopt;
  }
  return static_cast<LRESULT>(result);
}

LRESULT ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return tryAsk(window, message, wParam, lParam).value_or(0);
}

std::optional<std::wstring> tryWindowText(HWND window) {
  const std::optional<LRESULT> length = tryAsk(window, WM_GETTEXTLENGTH);
  if (!length) return std::nullopt;
  std::wstring text(static_cast<std::size_t>(*length) + 1, L'\0');
  const std::optional<LRESULT> copied =
      tryAsk(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  if (!copied) return std::nullopt;
  text.resize(static_cast<std::size_t>(*copied));
  return text;
}

std::wstring windowText(HWND window) {
  return tryWindowText(window).value_or(std::wstring());
}

std::wstring className(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

struct Search {
  const std::wstring* caption;
  const Options* options;
  HWND found = nullptr;
};

BOOL CALLBACK considerWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  if (!IsWindowVisible(window)) return TRUE;
  // The caption the system keeps: no message to a window that may be busy.
  wchar_t caption[512] = {};
  GetWindowTextW(window, caption, 512);
  if (caption != *search->caption) return TRUE;
  const Options& options = *search->options;
  if (!options.className.empty() && className(window) != options.className) return TRUE;
  if (options.hasControl && GetDlgItem(window, *options.hasControl) == nullptr) return TRUE;
  search->found = window;
  return FALSE;
}

HWND findWindow(const std::wstring& caption, const Options& options) {
  Search search{&caption, &options};
  EnumWindows(considerWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
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

HWND waitForWindow(const std::wstring& caption, const Options& options) {
  HWND window = nullptr;
  waitFor(options, [&] { return (window = findWindow(caption, options)) != nullptr; });
  return window;
}

std::wstring comboItem(HWND combo, LRESULT index) {
  const LRESULT length = ask(combo, CB_GETLBTEXTLEN, index);
  if (length < 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  ask(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

int number(const std::wstring& text) {
  return static_cast<int>(std::wcstol(text.c_str(), nullptr, 10));
}

int run(const std::wstring& command, const std::wstring& caption,
        const std::vector<std::wstring>& arguments, const Options& options) {
  if (command == L"wait-gone") {
    if (waitFor(options, [&] { return findWindow(caption, options) == nullptr; })) return 0;
    return fail(L"\"" + caption + L"\" is still shown");
  }
  HWND window = waitForWindow(caption, options);
  if (window == nullptr) return fail(L"no window \"" + caption + L"\"");
  const auto argumentCount = [&](std::size_t count) { return arguments.size() >= count; };
  const auto control = [&]() -> HWND { return GetDlgItem(window, number(arguments[0])); };

  if (command == L"find") return 0;
  if (command == L"rect") {
    RECT rect{};
    GetWindowRect(window, &rect);
    print(std::to_wstring(rect.left) + L" " + std::to_wstring(rect.top) + L" " +
          std::to_wstring(rect.right - rect.left) + L" " + std::to_wstring(rect.bottom - rect.top));
    return 0;
  }
  if (command == L"styles") {
    HWND target = arguments.empty() ? window : control();
    if (target == nullptr) return fail(L"no control " + arguments[0]);
    wchar_t styles[32] = {};
    wsprintfW(styles, L"%08lx %08lx", static_cast<unsigned long>(GetWindowLongW(target, GWL_STYLE)),
              static_cast<unsigned long>(GetWindowLongW(target, GWL_EXSTYLE)));
    print(styles);
    return 0;
  }
  if (command == L"close") {
    PostMessageW(window, WM_CLOSE, 0, 0);
    return 0;
  }
  if (!argumentCount(1)) return fail(command + L" needs a control id");
  HWND item = control();
  if (item == nullptr) return fail(L"no control " + arguments[0] + L" in \"" + caption + L"\"");

  if (command == L"text") {
    const std::optional<std::wstring> text = tryWindowText(item);
    if (!text) return fail(L"control " + arguments[0] + L" did not answer");
    print(*text);
    return 0;
  }
  if (command == L"wait-text" && argumentCount(2)) {
    if (waitFor(options, [&] { return windowText(item) == arguments[1]; })) return 0;
    return fail(L"control " + arguments[0] + L" shows \"" + windowText(item) + L"\", not \"" +
                arguments[1] + L"\"");
  }
  if (command == L"watch") {
    // Looks every kPoll ms: a text shown for less than that may be missed.
    std::wstring last;
    bool first = true;
    const bool gone = waitFor(options, [&] {
      const std::wstring text = windowText(item);
      if (!IsWindow(window)) return true;  // what was read may come from the closing window
      if (first || text != last) print(text);
      first = false;
      last = text;
      return false;
    });
    return gone ? 0 : fail(L"\"" + caption + L"\" is still shown");
  }
  if (command == L"items") {
    const LRESULT count = ask(item, CB_GETCOUNT);
    const LRESULT selected = ask(item, CB_GETCURSEL);
    for (LRESULT index = 0; index < count; ++index) {
      print(std::to_wstring(index) + L"\t" + std::to_wstring(ask(item, CB_GETITEMDATA, index)) +
            L"\t" + (index == selected ? L"*" : L"") + L"\t" + comboItem(item, index));
    }
    return 0;
  }
  if (command == L"select" && argumentCount(2)) {
    if (ask(item, CB_SETCURSEL, number(arguments[1])) == CB_ERR) {
      return fail(L"no entry " + arguments[1]);
    }
    return 0;
  }
  if (command == L"position") {
    print(std::to_wstring(ask(item, PBM_GETPOS)));
    return 0;
  }
  if (command == L"wait-position" && argumentCount(2)) {
    if (waitFor(options, [&] { return ask(item, PBM_GETPOS) == number(arguments[1]); })) {
      return 0;
    }
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
