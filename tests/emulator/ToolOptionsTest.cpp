#include "emulator/tool/ToolOptions.h"

#include <gtest/gtest.h>

namespace QrEmu {
namespace {

TEST(ToolOptionsTest, OneDefaultDisplayWithoutSettings) {
  const ToolOptions options = parseToolOptions({});
  ASSERT_EQ(options.displays.size(), 1u);
  EXPECT_EQ(options.displays[0].modelId, 84);
  EXPECT_EQ(options.displays[0].protocolVersion, 0x0103);
  EXPECT_FALSE(options.log);
}

TEST(ToolOptionsTest, DisplaySettingsAndFaults) {
  const ToolOptions options =
      parseToolOptions({"--log", "--line-rate", "--control", "/tmp/control", "--display",
                        "model=0x22,version=0,link=/tmp/com5", "--display",
                        "model=50,delay=250,garbage=3,wrong,silent,busy"});
  EXPECT_TRUE(options.log);
  EXPECT_TRUE(options.lineRate);
  EXPECT_EQ(options.control, "/tmp/control");
  ASSERT_EQ(options.displays.size(), 2u);
  EXPECT_EQ(options.displays[0].modelId, 0x22);
  EXPECT_EQ(options.displays[0].protocolVersion, 0);
  EXPECT_EQ(options.displays[0].link, "/tmp/com5");
  const Faults& faults = options.displays[1].faults;
  EXPECT_EQ(options.displays[1].modelId, 50);
  EXPECT_EQ(faults.answerDelay, 250u);
  EXPECT_EQ(faults.garbage, 3u);
  EXPECT_TRUE(faults.wrongAnswers && faults.silent && faults.busy);
}

TEST(ToolOptionsTest, WhatTheDisplayTellsAboutItself) {
  const ToolOptions options = parseToolOptions(
      {"--display", "model=129,serial=FNX-19-00001,firmware=3.4,bluetooth,norecord"});
  const DisplayIdentity& identity = options.displays[0].identity;
  EXPECT_EQ(identity.serialNumber, "FNX-19-00001");
  EXPECT_EQ(identity.firmwareMajor, 3);
  EXPECT_EQ(identity.firmwareMinor, 4);
  EXPECT_TRUE(identity.bluetooth);
  EXPECT_FALSE(identity.serviceRecord.has_value());
  EXPECT_TRUE(parseToolOptions({}).displays[0].identity.serviceRecord.has_value());
}

TEST(ToolOptionsTest, ControlLinesSetExactlyTheFaultsNamed) {
  const ControlCommand unplug = parseControlLine("2 unplug,delay=40");
  EXPECT_EQ(unplug.display, 2u);
  EXPECT_TRUE(unplug.faults.unplugged);
  EXPECT_EQ(unplug.faults.answerDelay, 40u);
  const ControlCommand clear = parseControlLine("1");
  EXPECT_EQ(clear.display, 1u);
  EXPECT_FALSE(clear.faults.unplugged || clear.faults.busy || clear.faults.silent);
  for (const char* line : {"", "0", "x silent", "1 model=5", "1 link=/tmp/x", "1 unplug=1"}) {
    EXPECT_THROW(parseControlLine(line), std::invalid_argument) << line;
  }
}

TEST(ToolOptionsTest, MistakesAreRefused) {
  for (const char* settings :
       {"model=256", "model=-1", "model=", "version=0x10000", "delay=x", "wrong=1",
        "link=", "model", "colour=red", "serial=", "firmware=3", "firmware=3.x", "bluetooth=1"}) {
    EXPECT_THROW(parseToolOptions({"--display", settings}), std::invalid_argument) << settings;
  }
  EXPECT_THROW(parseToolOptions({"--display"}), std::invalid_argument);
  EXPECT_THROW(parseToolOptions({"--port"}), std::invalid_argument);
  EXPECT_THROW(parseToolOptions({"--control"}), std::invalid_argument);
}

}  // namespace
}  // namespace QrEmu
