// quorlin-updater as a user runs it, against quorlin-emulator on a pty, in real time: its
// output (not a terminal, so plain lines), its exit status and what the display received.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "emulator/replay/TraceFile.h"
#include "qrcom/port/PosixSerialPort.h"
#include "tests/support/BrlapiTestServer.h"
#include "tests/support/Elapsed.h"
#include "tests/support/LockedTty.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using QrTest::within;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

std::vector<std::string> operator+(std::vector<std::string> words, const std::string& word) {
  words.push_back(word);
  return words;
}

int exitStatusOf(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

class UpdaterEndToEndTest : public ::testing::Test {
 protected:
  ~UpdaterEndToEndTest() override {
    if (emulator > 0) stopEmulator(SIGTERM);
  }

  // Starts the program `words` name with its arguments: stdin from /dev/null, stdout and stderr
  // into the file `output`, in English, with no settings file and no screen reader of the
  // user's touched.
  pid_t start(std::vector<std::string> words, const std::string& output) {
    std::string variables[] = {"LANG=C", "XDG_CONFIG_HOME=" + root.string(),
                               "BRLAPI_HOST=" + daemon->host()};
    std::vector<char*> argv,
        envp{variables[0].data(), variables[1].data(), variables[2].data(), nullptr};
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, (root / output).c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
  }
  // Ends the emulator; what it printed.
  std::string stopEmulator(int signal) {
    kill(emulator, signal);
    EXPECT_EQ(exitStatusOf(emulator), 0);
    emulator = -1;
    return read("emulator.txt");
  }

  // The first firmware bank of the example, its message file and its table: the waits of the
  // update, not the bytes, take the time.
  std::string package() {
    if (fs::create_directory(root / "package")) {
      for (const char* name : {"COR.H00", "MSG.QSF", "Example.jbt"}) {
        fs::copy_file(fs::path(QR_EXAMPLES "/corlet") / name, root / "package" / name);
      }
    }
    return root / "package";
  }
  pid_t startUpdater(const std::string& port, std::vector<std::string> options = {}) {
    options.insert(options.begin(), {QR_UPDATER_TOOL, "--port", port, "--no-usb", "--yes"});
    return start(options + package(), "updater.txt");
  }
  // --all on the ttys `links` (the emulator's displays, in order), with `options`.
  pid_t startUpdatingAll(const std::vector<std::string>& links,
                         std::vector<std::string> options = {}) {
    std::vector<std::string> words = {QR_UPDATER_TOOL, "--all", "--no-usb"};
    words.insert(words.end(), options.begin(), options.end());
    for (const std::string& link : links) words = words + "--port" + link;
    return start(words + package(), "updater.txt");
  }
  // The emulator with displays of these `settings`, each on its own tty `link` (one: `tty`);
  // faults can be given to them through the file `control`.
  void startEmulators(const std::vector<std::string>& settings,
                      const std::vector<std::string>& links) {
    std::vector<std::string> words = {QR_EMULATOR_TOOL, "--control", control};
    for (size_t i = 0; i < settings.size(); ++i) {
      words = words + "--display" + (settings[i] + ",link=" + links[i]);
    }
    emulator = start(words, "emulator.txt");
    ASSERT_TRUE(within(5, [&] { return fs::is_symlink(links.back()) && fs::exists(control); }));
  }
  bool shows(const std::string& text) const {
    return read("updater.txt").find(text) != std::string::npos;
  }

  std::string read(const std::string& name) const {
    return dir.read(std::wstring(name.begin(), name.end()));
  }

  // The screen reader's daemon holds the display's tty, as it does where one runs.
  void holdTheTtyLikeAScreenReader() {
    ASSERT_TRUE(screenReader.take());
    daemon = std::make_unique<QrTest::BrlapiTestServer>(
        [this](bool run) { return screenReader.driverRuns(run); });
  }
  // Each opening of the tty borrowed it from the daemon and gave it back once closed.
  void expectTheTtyLentAndGivenBack() {
    const std::vector<std::string> requests = daemon->requests();
    EXPECT_GE(requests.size(), 6u);
    for (size_t i = 0; i < requests.size(); ++i) {
      EXPECT_EQ(requests[i],
                (std::vector<std::string>{"name", "suspend TestDriver", "resume"}[i % 3]))
          << i;
    }
    EXPECT_EQ(requests.size() % 3, 0u);
  }

  QrTest::TempDir dir;
  const fs::path root = QrTest::toFsPath(dir.path());
  const fs::path tty = root / "tty";
  const std::string control = root / "control";
  pid_t emulator = -1;
  QrTest::LockedTty screenReader{tty};
  std::unique_ptr<QrTest::BrlapiTestServer> daemon = std::make_unique<QrTest::BrlapiTestServer>();
};

// The stored trace of a whole update of a Corlet (protocol version 3, with Braille-table slots;
// scripts/make-traces.sh) replays into the same update, and the trace of that replay holds the
// same bytes both ways. The screen reader lends the tty for it.
TEST_F(UpdaterEndToEndTest, TheStoredTraceOfAnUpdateReplaysIntoTheSameUpdate) {
  const std::string stored = QR_TEST_DATA "/traces/corlet-com.trace";
  startEmulators({"replay=" + stored}, {tty});
  if (QR_WITH_BRLAPI) holdTheTtyLikeAScreenReader();
  EXPECT_EQ(exitStatusOf(startUpdater(tty, {"--trace", root / "again.trace"})), 0);
  EXPECT_THAT(read("updater.txt"),
              AllOf(HasSubstr("Do you want to update the firmware of Corlet with serial number "
                              "COR-22-00417?\n"),
                    HasSubstr("Sending firmware data complete.\nThe display answers again.\n"),
                    Not(HasSubstr("\r"))));  // plain lines when not on a terminal
  EXPECT_THAT(stopEmulator(SIGINT), HasSubstr("bytes the host wrote match the trace\n"));
  // Every byte of each trace, by direction, however its reads were cut.
  const auto bytesOf = [](const std::string& trace) {
    std::map<std::string, QrEmu::Bytes> bytes;
    for (const QrEmu::TracedEvent& event : QrEmu::readTraceFile(trace)) {
      bytes[event.event].insert(bytes[event.event].end(), event.bytes.begin(), event.bytes.end());
    }
    return std::make_pair(bytes["write"], bytes["read"]);
  };
  EXPECT_EQ(bytesOf(root / "again.trace"), bytesOf(stored));
  if (QR_WITH_BRLAPI) expectTheTtyLentAndGivenBack();
}

// Another program holding the tty (locked, as a screen reader's daemon does) is named, in the
// user's language, with its process id.
TEST_F(UpdaterEndToEndTest, TheProgramHoldingThePortIsNamed) {
  startEmulators({"model=114"}, {tty});
  const pid_t holder = start(
      {"/bin/sh", "-c", "exec 3<>" + tty.string() + "; flock 3; exec sleep 60"}, "holder.txt");
  ASSERT_TRUE(within(5, [&] { return QrCom::PosixSerialPort::isBusy(tty); }));
  EXPECT_EQ(exitStatusOf(startUpdater(tty, {"--lang", "de"})), 3);
  EXPECT_THAT(read("updater.txt"), HasSubstr(tty.string() + " wird von sleep (Prozess " +
                                             std::to_string(holder) + ") benutzt.\n"));
  kill(holder, SIGTERM);
  exitStatusOf(holder);
}

// --list --json: one array that parses, null for what the display cannot tell; --serial keeps
// the display of that serial number (in any case) or says that there is none.
TEST_F(UpdaterEndToEndTest, TheListAsJsonAndBySerialNumber) {
  startEmulators({"model=114,version=3"}, {tty});
  const std::vector<std::string> list = {QR_UPDATER_TOOL, "--list", "--no-usb", "--port",
                                         tty.string(),    "--json", "--serial"};
  EXPECT_EQ(exitStatusOf(start(list + "cor-22-00417", "list.json")), 0);
  EXPECT_EQ(nlohmann::json::parse(read("list.json")),
            nlohmann::json::parse(R"([{"modelId": 114, "model": "Corlet", "serial":
                "COR-22-00417", "firmware": null, "link": "serial", "path": ")" +
                                  tty.string() + "\", \"state\": \"running\"}]"));
  EXPECT_EQ(exitStatusOf(start(list + "COR-22-00418", "list.json")), 3);
  EXPECT_EQ(read("list.json"), "No display with the serial number COR-22-00418 was found.\n[]\n");
}

TEST_F(UpdaterEndToEndTest, WithoutADisplayItSaysSo) {
  EXPECT_EQ(exitStatusOf(startUpdater(root / "no-tty")), 3);
  EXPECT_EQ(read("updater.txt"), "No Quorlin device found, which can be updated.\n");
}

// --check needs no display: the package fits a Corlet; a damaged record is found by its line; a
// model the table does not know is a usage error.
TEST_F(UpdaterEndToEndTest, CheckingAPackageWithoutADisplay) {
  const std::vector<std::string> check = {QR_UPDATER_TOOL, "--check", package(), "--model"};
  EXPECT_EQ(exitStatusOf(start(check + "corlet", "check.txt")), 0);
  EXPECT_THAT(
      read("check.txt"),
      AllOf(HasSubstr("1. main firmware into flash bank 0: COR.H00"), HasSubstr("2. file: MSG.QSF"),
            HasSubstr("Braille table \"Example\""), HasSubstr("begins with COR.\n")));
  std::string firmware = dir.read(L"package/COR.H00");
  firmware[firmware.find(":10", firmware.find(":10") + 1) + 1] = 'G';
  dir.write(L"package/COR.H00", firmware);
  EXPECT_EQ(exitStatusOf(start(check + "114", "check.txt")), 1);
  EXPECT_THAT(read("check.txt"), HasSubstr("COR.H00 is damaged: line 2 holds"));
  EXPECT_EQ(exitStatusOf(start(check + "Corlett", "check.txt")), 2);
}

// The screen reader gets the tty back after the cancel too.
TEST_F(UpdaterEndToEndTest, CtrlCDuringTheUploadCancelsIt) {
  startEmulators({"model=114,version=3"}, {tty});
  if (QR_WITH_BRLAPI) holdTheTtyLikeAScreenReader();
  const pid_t updater = startUpdater(tty);
  ASSERT_TRUE(within(30, [&] { return read("updater.txt").find("Erasing") != std::string::npos; }));
  kill(updater, SIGINT);
  EXPECT_EQ(exitStatusOf(updater), 1);
  EXPECT_THAT(read("updater.txt"),
              AllOf(HasSubstr("Cancelling…\nError during sending firmware data. File transfer "
                              "aborted. \n"),
                    Not(HasSubstr("Sending firmware data complete."))));
  if (QR_WITH_BRLAPI) expectTheTtyLentAndGivenBack();
}

// --all: every display at once, nothing asked. A display the package does not fit is left
// alone; one whose power fails halfway fails while the other one is updated; the summary says
// so. The one that failed then waits in its boot loader, where --list finds it and the next
// update finishes it.
TEST_F(UpdaterEndToEndTest, AllDisplaysAtOnceEachWithItsResult) {
  const std::vector<std::string> links = {root / "a", root / "b", root / "c"};
  startEmulators({"model=114,version=3", "model=114,version=3,serial=COR-22-00999", "model=116"},
                 links);
  const pid_t updater = startUpdatingAll(links);
  ASSERT_TRUE(within(30, [&] { return shows("00999) at " + links[1] + ": Sending firmware"); }));
  std::ofstream(control) << "2 power-cut\n";
  EXPECT_EQ(exitStatusOf(updater), 1);
  EXPECT_THAT(read("updater.txt"),
              AllOf(HasSubstr("Corlet (COR-22-00417) at " + links[0] +
                              ": updated. The display answers again.\n"),
                    HasSubstr("Corlet (COR-22-00999) at " + links[1] + ": failed. "),
                    HasSubstr("Selvar 40 (SEL-22-00417) at " + links[2] +
                              ": left alone, the firmware does not fit. This firmware cannot")));
  // The display whose power failed waits in its boot loader; the update remembered its model.
  EXPECT_EQ(
      exitStatusOf(start({QR_UPDATER_TOOL, "--list", "--no-usb", "--port", links[1]}, "list.txt")),
      0);
  EXPECT_EQ(read("list.txt"), "The Corlet (COR-22-00999) at " + links[1] +
                                  " is waiting in its boot loader: its last update did not "
                                  "finish. Updating it loads its firmware again.\nCorlet\t"
                                  "COR-22-00999\t-\tat " +
                                  links[1] + "\twaiting in its boot loader\n");
  // The next update finishes it.
  EXPECT_EQ(exitStatusOf(startUpdater(links[1])), 0);
  EXPECT_THAT(read("updater.txt"),
              AllOf(HasSubstr("Corlet (COR-22-00999) at " + links[1] + " is waiting in its boot"),
                    HasSubstr("Sending firmware data complete.\nThe display answers again.\n")));
}

// Ctrl+C during --all cancels every update; with --json every line of the output is an object.
TEST_F(UpdaterEndToEndTest, CtrlCCancelsEveryUpdateOfAll) {
  const std::vector<std::string> links = {root / "a", root / "b"};
  startEmulators({"model=114,version=3", "model=114,version=3,serial=COR-22-00999"}, links);
  // Without --all, --json updates one display: two found are one too many.
  const std::vector<std::string> one = {QR_UPDATER_TOOL, "--json", "--no-usb", "--port",
                                        links[0],        "--port", links[1]};
  EXPECT_EQ(exitStatusOf(start(one + package(), "one.txt")), 2);
  EXPECT_THAT(read("one.txt"), HasSubstr("2 displays were found: name one with --serial"));
  const pid_t updater = startUpdatingAll(links, {"--json"});
  ASSERT_TRUE(within(30, [&] {
    return shows(links[0] + R"(","percent":0,"serial":"COR-22-00417","status":"Erasing)") &&
           shows(links[1] + R"(","percent":0,"serial":"COR-22-00999","status":"Erasing)");
  }));
  kill(updater, SIGINT);
  EXPECT_EQ(exitStatusOf(updater), 1);
  std::vector<nlohmann::json> results;
  std::istringstream lines(read("updater.txt"));
  for (std::string line; std::getline(lines, line);) {
    if (line[0] != '{') continue;  // the notes for people
    const nlohmann::json event = nlohmann::json::parse(line);
    if (event.contains("result") || event.contains("exitStatus")) results.push_back(event);
  }
  ASSERT_EQ(results.size(), 3u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(results[i]["path"], links[i]);
    EXPECT_EQ(results[i]["result"], "failed");
  }
  EXPECT_EQ(results[2], nlohmann::json::parse(R"({"exitStatus": 1})"));
}

}  // namespace
