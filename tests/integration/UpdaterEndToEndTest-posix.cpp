// quorlin-updater as a user runs it, against quorlin-emulator on a pty, in real time: its
// output (not a terminal, so plain lines), its exit status and what the display received. And
// quorlin-emulator on its own, as the Windows tests drive it: its log and its control FIFO.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/RawTty.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

const fs::path kExample = QR_EXAMPLES "/corlet";

// Starts `program` with `arguments`; stdin from /dev/null, stdout and stderr into `output`.
pid_t start(const std::string& program, const std::vector<std::string>& arguments,
            const fs::path& output, const fs::path& configHome) {
  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  // English texts, and no settings file of the user's touched.
  std::vector<std::string> variables{"LANG=C", "XDG_CONFIG_HOME=" + configHome.string()};
  std::vector<char*> environment;
  for (std::string& variable : variables) environment.push_back(variable.data());
  environment.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = -1;
  const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environment.data());
  posix_spawn_file_actions_destroy(&actions);
  return error == 0 ? pid : -1;
}

int exitStatusOf(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// Waits up to `seconds` for `check`, looking every 50 ms.
template <typename Check>
bool within(int seconds, Check check) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!check()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

class ToolProcessTest : public ::testing::Test {
 protected:
  ~ToolProcessTest() override {
    if (emulator > 0) {
      kill(emulator, SIGTERM);
      exitStatusOf(emulator);
    }
  }

  fs::path path(const std::string& name) const { return root / name; }
  std::string read(const std::string& name) const {
    return dir.read(std::wstring(name.begin(), name.end()));
  }

  // A Corlet with protocol version 3 (Braille-table slots) on a pty behind `tty`.
  void startCorlet() {
    emulator = start(QR_EMULATOR_TOOL,
                     {"--contents", "--display", "model=114,version=3,link=" + tty.string()},
                     path("emulator.txt"), root);
    ASSERT_GT(emulator, 0);
    ASSERT_TRUE(within(5, [&] { return fs::is_symlink(tty); }));
  }

  // Ends the emulator; what it printed, the display's contents included.
  std::string stopEmulator() {
    kill(emulator, SIGINT);
    EXPECT_EQ(exitStatusOf(emulator), 0);
    emulator = -1;
    return read("emulator.txt");
  }

  pid_t startUpdater(const std::vector<std::string>& arguments) {
    return start(QR_UPDATER_TOOL, arguments, path("updater.txt"), root);
  }

  // The first firmware bank of the example, its message file and its table: the waits of the
  // update, not the bytes, take the time.
  std::string smallPackage() const {
    const fs::path package = path("package");
    fs::create_directory(package);
    for (const char* name : {"COR.H00", "MSG.QSF", "Example.jbt"}) {
      fs::copy_file(kExample / name, package / name);
    }
    return package.string();
  }

  QrTest::TempDir dir;
  const fs::path root = QrTest::toFsPath(dir.path());
  const fs::path tty = path("tty");
  pid_t emulator = -1;
};

using UpdaterEndToEndTest = ToolProcessTest;
using EmulatorToolTest = ToolProcessTest;

TEST_F(UpdaterEndToEndTest, AnOlderDisplayIsUpdatedFromThePackage) {
  startCorlet();
  const pid_t updater = startUpdater({"--port", tty.string(), "--no-usb", "--yes", smallPackage()});
  ASSERT_GT(updater, 0);
  EXPECT_EQ(exitStatusOf(updater), 0);
  const std::string output = read("updater.txt");
  EXPECT_NE(output.find("Do you want to update the firmware of Corlet with serial number "
                        "COR-22-00417?\n"),
            std::string::npos)
      << output;
  for (const char* line :
       {"Target device: Corlet (COR-22-00417) at ", "Erasing flash memory...",
        "Sending message file...", "Sending Braille table…", "Sending firmware data complete.\n"}) {
    EXPECT_NE(output.find(line), std::string::npos) << line << "\n" << output;
  }
  EXPECT_EQ(output.find('\r'), std::string::npos) << "plain lines when not on a terminal";
  const std::string contents = stopEmulator();
  for (const char* line :
       {"  firmware: flash bank 0, 65 Intel HEX records\n", "  file: MSG.QSF, 125 bytes\n",
        "  Braille table: slot 1, \"Example\" (current)\n"}) {
    EXPECT_NE(contents.find(line), std::string::npos) << line << "\n" << contents;
  }
}

TEST_F(UpdaterEndToEndTest, WithoutADisplayItSaysSo) {
  const pid_t updater =
      startUpdater({"--port", path("no-tty").string(), "--no-usb", "--yes", smallPackage()});
  ASSERT_GT(updater, 0);
  EXPECT_EQ(exitStatusOf(updater), 3);
  EXPECT_EQ(read("updater.txt"), "No Quorlin device found, which can be updated.\n");
}

TEST_F(UpdaterEndToEndTest, CtrlCDuringTheUploadCancelsIt) {
  startCorlet();
  const pid_t updater = startUpdater({"--port", tty.string(), "--no-usb", "--yes", smallPackage()});
  ASSERT_GT(updater, 0);
  ASSERT_TRUE(within(20, [&] {
    return read("updater.txt").find("Erasing flash memory...") != std::string::npos;
  }));
  kill(updater, SIGINT);
  EXPECT_EQ(exitStatusOf(updater), 1);
  const std::string output = read("updater.txt");
  EXPECT_NE(output.find("Cancelling…\nError during sending firmware data. File transfer "
                        "aborted. \n"),
            std::string::npos)
      << output;
  EXPECT_EQ(output.find("Sending firmware data complete."), std::string::npos);
}

TEST_F(EmulatorToolTest, LogsAndTakesFaultsThroughTheControlFifo) {
  const fs::path control = path("control");
  emulator = start(QR_EMULATOR_TOOL,
                   {"--log", "--control", control.string(), "--display",
                    "model=0x22,link=" + tty.string()},
                   path("emulator.txt"), root);
  ASSERT_GT(emulator, 0);
  ASSERT_TRUE(within(5, [&] { return fs::is_symlink(tty); }));
  auto command = [&control](const std::string& line) { std::ofstream(control) << line << "\n"; };
  command("1 unplug");
  EXPECT_TRUE(within(5, [&] { return !fs::is_symlink(tty); }));
  command("no such command");
  command("1 delay=300");  // and plugged in again: exactly the faults named
  ASSERT_TRUE(within(5, [&] { return fs::is_symlink(tty); }));
  {
    QrTest::RawTty host(tty.string());
    const auto begin = std::chrono::steady_clock::now();
    host.write(QrTest::hex("FF"));
    EXPECT_EQ(host.read(2, 2000), QrTest::hex("FE 22"));
    EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(290));
  }
  kill(emulator, SIGTERM);
  EXPECT_EQ(exitStatusOf(emulator), 0);
  emulator = -1;
  EXPECT_FALSE(fs::exists(control) || fs::is_symlink(tty)) << "FIFO and link go with the tool";
  const std::string log = read("emulator.txt");
  EXPECT_NE(log.find("display 1 host> FF"), std::string::npos) << log;
  EXPECT_NE(log.find("display 1 <dev  FE 22"), std::string::npos) << log;

  const pid_t refused = start(QR_EMULATOR_TOOL, {"--display", "colour=red"}, path("x"), root);
  EXPECT_EQ(exitStatusOf(refused), 2);
}

}  // namespace
