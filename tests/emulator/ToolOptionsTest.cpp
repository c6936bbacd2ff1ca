#include "emulator/tool/ToolOptions.h"

#include <gtest/gtest.h>

namespace QrEmu {
namespace {

TEST(ToolOptionsTest, SettingsFaultsAndIdentityMistakesRefused) {
  const ToolOptions options = parseToolOptions(
      {"--log", "--line-rate", "--display", "version=0", "--display",
       "model=129,delay=250,garbage=3,wrong,silent,busy,serial=FNX-19-00001,firmware=3.4,"
       "bluetooth,norecord"});
  EXPECT_TRUE(options.log && options.lineRate);
  ASSERT_EQ(options.displays.size(), 2u);
  EXPECT_EQ(options.displays[0].protocolVersion, 0);
  const DisplaySettings& second = options.displays[1];
  EXPECT_EQ(second.modelId, 129);
  EXPECT_EQ(second.faults.answerDelay * 10 + second.faults.garbage, 2503u);
  EXPECT_TRUE(second.faults.wrongAnswers && second.faults.silent && second.faults.busy);
  EXPECT_EQ(second.identity.serialNumber, "FNX-19-00001");
  EXPECT_EQ(second.identity.firmwareMajor * 100 + second.identity.firmwareMinor, 304);
  EXPECT_TRUE(second.identity.bluetooth && !second.identity.serviceRecord.has_value());
  for (const char* settings :
       {"model=256", "model=", "delay=x", "wrong=1", "model", "firmware=3"}) {
    EXPECT_THROW(parseToolOptions({"--display", settings}), std::invalid_argument) << settings;
  }
}

}  // namespace
}  // namespace QrEmu
