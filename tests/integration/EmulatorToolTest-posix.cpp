#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/support/RawTty.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/TempDir.h"

namespace {

using QrTest::hex;

// Starts quorlin-emulator with `arguments`, its output going to `output`.
pid_t startTool(const std::vector<std::string>& arguments, const std::string& output) {
  std::vector<std::string> words{QR_EMULATOR_TOOL};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return error == 0 ? pid : -1;
}

bool appears(const std::filesystem::path& path) {
  for (int i = 0; i < 200 && !std::filesystem::is_symlink(path); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return std::filesystem::is_symlink(path);
}

TEST(EmulatorToolTest, ServesDisplaysLogsAndEndsCleanlyOnSignals) {
  QrTest::TempDir folder;
  const auto first = QrTest::toFsPath(folder.path(L"com3"));
  const auto second = QrTest::toFsPath(folder.path(L"com4"));
  const auto output = QrTest::toFsPath(folder.path(L"output.txt"));
  for (int signal : {SIGTERM, SIGINT}) {
    const pid_t tool = startTool({"--log", "--display", "model=0x22,link=" + first.string(),
                                  "--display", "model=5,version=0,link=" + second.string()},
                                 output.string());
    ASSERT_GT(tool, 0);
    ASSERT_TRUE(appears(first) && appears(second));
    {
      QrTest::RawTty one(first.string());
      one.write(hex("FF"));
      EXPECT_EQ(one.read(2, 2000), hex("FE 22"));
      QrTest::RawTty two(second.string());
      two.write(hex("0C FF"));
      EXPECT_EQ(two.read(2, 2000), hex("FE 05"));
    }
    kill(tool, signal);
    int status = 0;
    ASSERT_EQ(waitpid(tool, &status, 0), tool);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "signal " << signal;
    EXPECT_FALSE(std::filesystem::is_symlink(first) || std::filesystem::is_symlink(second));
  }
  const std::string log = folder.read(L"output.txt");
  EXPECT_NE(log.find("display 1: /dev/pts/"), std::string::npos) << log;
  EXPECT_NE(log.find("display 2 host> 0C FF"), std::string::npos) << log;
  EXPECT_NE(log.find("display 2 <dev  FE 05"), std::string::npos) << log;
}

TEST(EmulatorToolTest, FaultsChangeThroughTheControlFifo) {
  QrTest::TempDir folder;
  const auto link = QrTest::toFsPath(folder.path(L"com3"));
  const auto control = QrTest::toFsPath(folder.path(L"control"));
  const pid_t tool =
      startTool({"--control", control.string(), "--display", "model=0x22,link=" + link.string()},
                QrTest::toFsPath(folder.path(L"output.txt")).string());
  ASSERT_GT(tool, 0);
  ASSERT_TRUE(appears(link));
  auto command = [&control](const std::string& line) { std::ofstream(control) << line << "\n"; };
  command("1 unplug");
  for (int i = 0; i < 200 && std::filesystem::is_symlink(link); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_FALSE(std::filesystem::is_symlink(link));
  command("no such command");
  command("1 delay=300");
  ASSERT_TRUE(appears(link));
  {
    QrTest::RawTty host(link.string());
    const auto start = std::chrono::steady_clock::now();
    host.write(hex("FF"));
    EXPECT_EQ(host.read(2, 2000), hex("FE 22"));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(290));
  }
  kill(tool, SIGTERM);
  int status = 0;
  ASSERT_EQ(waitpid(tool, &status, 0), tool);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_FALSE(std::filesystem::exists(control)) << "the FIFO goes with the tool";
}

TEST(EmulatorToolTest, RefusesUnknownOptions) {
  QrTest::TempDir folder;
  const pid_t tool =
      startTool({"--display", "colour=red"}, QrTest::toFsPath(folder.path(L"out")).string());
  ASSERT_GT(tool, 0);
  int status = 0;
  ASSERT_EQ(waitpid(tool, &status, 0), tool);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
}

}  // namespace
