#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "qrcom/base/DebugOutput.h"
#include "qrcom/device/QuorlinDevice.h"
#include "qrcom/firmware/QrBrlOsFirmwareUploadStrategy.h"
#include "tests/support/Conversation.h"
#include "tests/support/ScriptedHidDisplay.h"
#include "tests/support/TempDir.h"

// On Linux the secondary processor's debug lines go to standard error, and only when the program
// runs verbose.
namespace QrCom {
namespace {

const std::wstring kHidPath = L"\\\\?\\hid#vid_4c7a&pid_0054#1#{guid}";

// Everything `operation` writes to file descriptor 2.
std::string standardErrorOf(const std::function<void()>& operation) {
  QrTest::TempDir temp;
  const std::string path = QrTest::toFsPath(temp.path(L"stderr.txt")).string();
  std::fflush(stderr);
  const int saved = dup(2);
  std::FILE* capture = std::fopen(path.c_str(), "w+");
  dup2(fileno(capture), 2);
  operation();
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  std::string text;
  std::rewind(capture);
  for (int c = std::fgetc(capture); c != EOF; c = std::fgetc(capture)) text += static_cast<char>(c);
  std::fclose(capture);
  return text;
}

// The frames arrive once the host has purged after the acknowledgement.
class FramesAfterPurge : public QrTest::ScriptedPort {
 public:
  explicit FramesAfterPurge(QrTest::VirtualClock* clock) : ScriptedPort(clock, Kind::Hid) {}
  void purge() override {
    ScriptedPort::purge();
    if (++purges_ == 2) deliver(QrTest::hex("79 54 03 5B 00 0A 16  79 54 03 5C 00 00 16"));
  }

 private:
  int purges_ = 0;
};

class SecondaryDebugLinesTest : public ::testing::Test {
 protected:
  SecondaryDebugLinesTest() : display_(*clock_, 84, 0x0103) {
    bus_.attach(kHidPath, display_.device());
    device_ = std::make_unique<QuorlinDevice>(kHidPath);
  }
  ~SecondaryDebugLinesTest() override { setVerboseDebugOutput(false); }

  // One update that reports 10 % and then finishes.
  void update() {
    FramesAfterPurge port(&*clock_);
    QrTest::Conversation talk(port);
    talk.step("79 54 0A 5A 01 38 30 35 31 2E 68 65 78 16", "79 54 02 07 7E 16");
    QrBrlOsFirmwareUploadStrategy(device_.get())
        .updateSecondaryProcessor(port, 0, L"8051.hex", nullptr);
  }

  QrTest::ScopedVirtualClock clock_;
  QrTest::ScriptedHidBus bus_;
  QrTest::ScriptedHidDisplay display_;
  std::unique_ptr<QuorlinDevice> device_;
};

TEST_F(SecondaryDebugLinesTest, VerboseRunsShowTheProgressAndFinishLinesOnStandardError) {
  EXPECT_EQ(standardErrorOf([&] { update(); }), "");
  setVerboseDebugOutput(true);
  EXPECT_EQ(standardErrorOf([&] { update(); }),
            "updating progress: 10 \nfinish updating progress with code: 0 \n");
}

}  // namespace
}  // namespace QrCom
