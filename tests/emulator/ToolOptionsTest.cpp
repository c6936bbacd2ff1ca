#include "emulator/tool/ToolOptions.h"

#include <gtest/gtest.h>

namespace QrEmu {
namespace {

TEST(ToolOptionsTest, SettingsFaultsAndIdentity) {
  EXPECT_TRUE(parseToolOptions({}).displays.at(0).identity.serviceRecord.has_value());
  const ToolOptions options = parseToolOptions(
      {"--log", "--line-rate", "--control", "/tmp/control", "--display",
       "model=0x22,version=0,link=/tmp/com5", "--display",
       "model=129,delay=250,garbage=3,wrong,silent,busy,serial=FNX-19-00001,firmware=3.4,"
       "bluetooth,norecord"});
  // The log, the control FIFO, model ids and links show in the tool's own test.
  EXPECT_TRUE(options.log && options.lineRate);
  ASSERT_EQ(options.displays.size(), 2u);
  EXPECT_EQ(options.displays[0].protocolVersion, 0);
  const DisplaySettings& second = options.displays[1];
  EXPECT_EQ(second.modelId, 129);
  EXPECT_EQ(second.faults.answerDelay, 250u);
  EXPECT_EQ(second.faults.garbage, 3u);
  EXPECT_TRUE(second.faults.wrongAnswers && second.faults.silent && second.faults.busy);
  EXPECT_EQ(second.identity.serialNumber, "FNX-19-00001");
  EXPECT_EQ(second.identity.firmwareMajor * 100 + second.identity.firmwareMinor, 304);
  EXPECT_TRUE(second.identity.bluetooth);
  EXPECT_FALSE(second.identity.serviceRecord.has_value());
}

TEST(ToolOptionsTest, MistakesAreRefused) {
  for (const char* settings :
       {"model=256", "model=-1", "model=", "version=0x10000", "delay=x", "wrong=1",
        "link=", "model", "colour=red", "serial=", "firmware=3", "firmware=3.x", "bluetooth=1"}) {
    EXPECT_THROW(parseToolOptions({"--display", settings}), std::invalid_argument) << settings;
  }
  for (const char* option : {"--display", "--port", "--control"}) {
    EXPECT_THROW(parseToolOptions({option}), std::invalid_argument) << option;
  }
  for (const char* line : {"", "0", "x silent", "1 model=5", "1 link=/tmp/x", "1 unplug=1"}) {
    EXPECT_THROW(parseControlLine(line), std::invalid_argument) << line;
  }
}

}  // namespace
}  // namespace QrEmu
