#include <brlapi.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "qrcom/base/DebugOutput.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/port/ScreenReaderDriver.h"

namespace QrCom {

namespace {

// A daemon on this machine answers within milliseconds; the client library waits for an answer
// without end, so every conversation runs on a thread of its own and is waited for this long.
constexpr auto kAnswerBound = std::chrono::seconds(5);

// The conversations use the client library's single connection: its per-handle calls wedge
// the library after a suspension (Debian's version 0.8), its single-connection ones do not.
// The daemon's lock below keeps to one conversation at a time.

bool connectAndSuspend(const std::string& host, std::string& driver) {
  brlapi_connectionSettings_t settings = BRLAPI_SETTINGS_INITIALIZER;
  if (!host.empty()) settings.host = host.c_str();
  if (brlapi_openConnection(&settings, nullptr) < 0) return false;
  char name[BRLAPI_MAXNAMELENGTH + 1] = {};
  if (brlapi_getDriverName(name, sizeof name) > 0 && brlapi_suspendDriver(name) == 0) {
    driver = name;
    return true;
  }
  brlapi_closeConnection();
  return false;
}

bool resumeAndDisconnect() {
  const bool resumed = brlapi_resumeDriver() == 0;
  brlapi_closeConnection();
  return resumed;
}

struct Daemon {
  std::mutex mutex;  // one suspension or resumption at a time; guards all but `unfinished`
  std::optional<std::string> host;
  int suspensions = 0;
  // Conversations still running after their caller stopped waiting: the library's one
  // connection is theirs until they end.
  std::atomic<int> unfinished{0};
};

Daemon& screenReaderDaemon() {
  static Daemon* instance = new Daemon;  // the threads of late conversations outlive main
  return *instance;
}

enum class Answer { Yes, No, None };

// Runs `talk` on a thread of its own and waits for it up to kAnswerBound. When the wait runs
// out, the thread goes on alone and hands talk's result to `late` once it has one.
Answer talkWithin(std::function<bool()> talk, std::function<void(bool)> late) {
  struct Outcome {
    std::mutex mutex;
    std::condition_variable finished;
    std::optional<bool> succeeded;
    bool abandoned = false;
  };
  auto outcome = std::make_shared<Outcome>();
  std::thread([outcome, talk = std::move(talk), late = std::move(late)] {
    const bool succeeded = talk();
    bool abandoned = false;
    {
      std::lock_guard<std::mutex> guard(outcome->mutex);
      outcome->succeeded = succeeded;
      abandoned = outcome->abandoned;
    }
    outcome->finished.notify_one();
    if (abandoned) {
      late(succeeded);
      --screenReaderDaemon().unfinished;
    }
  }).detach();
  std::unique_lock<std::mutex> lock(outcome->mutex);
  if (!outcome->finished.wait_for(lock, kAnswerBound,
                                  [&] { return outcome->succeeded.has_value(); })) {
    outcome->abandoned = true;
    ++screenReaderDaemon().unfinished;
    return Answer::None;
  }
  return *outcome->succeeded ? Answer::Yes : Answer::No;
}

}  // namespace

void useScreenReaderDaemon(std::optional<std::string> host) {
  Daemon& the = screenReaderDaemon();
  std::lock_guard<std::mutex> guard(the.mutex);
  the.host = std::move(host);
}

bool suspendScreenReaderDriver() {
  Daemon& the = screenReaderDaemon();
  std::lock_guard<std::mutex> guard(the.mutex);
  if (the.suspensions > 0) {
    ++the.suspensions;
    return true;
  }
  if (!the.host || the.unfinished > 0) return false;
  auto driver = std::make_shared<std::string>();
  const Answer answer =
      talkWithin([driver, host = *the.host] { return connectAndSuspend(host, *driver); },
                 [](bool suspended) {
                   if (suspended) resumeAndDisconnect();
                 });
  if (answer != Answer::Yes) return false;
  debugOutput(L"The screen reader's Braille driver " + fromUtf8(*driver) + L" is suspended.");
  the.suspensions = 1;
  return true;
}

void resumeScreenReaderDriver() {
  Daemon& the = screenReaderDaemon();
  std::lock_guard<std::mutex> guard(the.mutex);
  if (the.suspensions == 0 || --the.suspensions > 0) return;
  const Answer answer = talkWithin(resumeAndDisconnect, [](bool) {});
  debugOutput(answer == Answer::Yes ? L"The screen reader's Braille driver is resumed."
                                    : L"The screen reader's daemon did not resume its driver.");
}

}  // namespace QrCom
