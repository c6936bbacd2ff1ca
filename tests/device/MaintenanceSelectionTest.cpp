#include "qrcom/device/MaintenanceSelection.h"

#include <gtest/gtest.h>

#include <typeinfo>

#include "qrcom/protocol/BrailleSystemVersion428MaintenanceStrategy.h"
#include "qrcom/protocol/FnxMaintenanceStrategy.h"
#include "qrcom/protocol/PagelingMaintenanceStrategy.h"
#include "qrcom/protocol/PagelingMonitorModeStrategy.h"
#include "qrcom/protocol/PlanoMonitorModeStrategy.h"
#include "qrcom/protocol/QrBrlOsMonitorModeStrategy.h"
#include "qrcom/protocol/QrBrlOsVersion103MaintenanceStrategy.h"

namespace QrCom {
namespace {

// Exactly this class, not one derived from it.
template <typename Expected, typename Strategy>
::testing::AssertionResult isExactly(const std::unique_ptr<Strategy>& strategy) {
  if (typeid(*strategy) == typeid(Expected)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got " << typeid(*strategy).name();
}

template <typename Expected>
::testing::AssertionResult selectsMaintenance(uint8_t modelId, uint16_t version) {
  return isExactly<Expected>(selectMaintenance(modelId, version))
         << " for model " << int{modelId} << " version 0x" << std::hex << version;
}

TEST(MaintenanceSelectionTest, LegacyLineByVersion) {
  for (uint8_t model : {5, 114, 116, 120}) {
    EXPECT_TRUE(selectsMaintenance<BrailleSystemVersion2005MaintenanceStrategy>(model, 1));
    EXPECT_TRUE(selectsMaintenance<BrailleSystemVersion20010MaintenanceStrategy>(model, 2));
    EXPECT_TRUE(selectsMaintenance<BrailleSystemVersion428MaintenanceStrategy>(model, 3));
    EXPECT_TRUE(selectsMaintenance<BrailleSystemVersion2000MaintenanceStrategy>(model, 0));
    EXPECT_TRUE(selectsMaintenance<BrailleSystemVersion2000MaintenanceStrategy>(model, 4));
    EXPECT_TRUE(selectsMaintenance<BrailleSystemVersion2000MaintenanceStrategy>(model, 0x0103));
  }
}

TEST(MaintenanceSelectionTest, CurrentLineWithTheLegacyFlagForVersionZero) {
  for (uint8_t model : {84, 85, 97, 100}) {
    EXPECT_TRUE(selectsMaintenance<QrBrlOsVersion103MaintenanceStrategy>(model, 0x0103));
    for (uint16_t version : {0, 1, 0x0100, 0x0102, 0x0104}) {
      const auto strategy = selectMaintenance(model, version);
      ASSERT_TRUE(isExactly<QrBrlOsMaintenanceStrategy>(strategy));
      const auto& current = static_cast<const QrBrlOsMaintenanceStrategy&>(*strategy);
      EXPECT_EQ(current.modelId(), model);
      EXPECT_EQ(current.legacyFlag(), version == 0);
    }
  }
  const auto newest = selectMaintenance(84, 0x0103);
  EXPECT_FALSE(static_cast<const QrBrlOsMaintenanceStrategy&>(*newest).legacyFlag());
  EXPECT_EQ(static_cast<const QrBrlOsMaintenanceStrategy&>(*newest).modelId(), 84);
}

TEST(MaintenanceSelectionTest, FundoLineAndModel51) {
  for (uint8_t model : {51, 129, 130, 131, 132, 134, 135, 138, 139, 140, 147, 148}) {
    for (uint16_t version : {0, 0x0103}) {
      const auto strategy = selectMaintenance(model, version);
      ASSERT_TRUE(isExactly<FnxMaintenanceStrategy>(strategy));
      EXPECT_EQ(static_cast<const FnxMaintenanceStrategy&>(*strategy).modelId(), model);
      EXPECT_EQ(static_cast<const FnxMaintenanceStrategy&>(*strategy).legacyFlag(), version == 0);
    }
  }
}

TEST(MaintenanceSelectionTest, PocketReaderAndEveryOtherDisplay) {
  EXPECT_TRUE(selectsMaintenance<PagelingMaintenanceStrategy>(144, 0));
  EXPECT_TRUE(selectsMaintenance<PagelingMaintenanceStrategy>(144, 3));
  for (uint8_t model : {1, 4, 50, 53, 54, 56, 58, 68, 133}) {
    EXPECT_TRUE(selectsMaintenance<NoDeviceMaintenanceStrategy>(model, 3));
    EXPECT_TRUE(selectsMaintenance<NoDeviceMaintenanceStrategy>(model, 0x0103));
  }
}

TEST(MonitorModeSelectionTest, OneStrategyPerFamily) {
  EXPECT_TRUE(isExactly<PagelingMonitorModeStrategy>(selectMonitorMode(144)));
  for (uint8_t model : {5, 114, 116, 120}) {
    EXPECT_TRUE(isExactly<PlanoMonitorModeStrategy>(selectMonitorMode(model)));
  }
  for (uint8_t model : {84, 85, 97, 100}) {
    EXPECT_TRUE(isExactly<QrBrlOsMonitorModeStrategy>(selectMonitorMode(model)));
  }
  for (uint8_t model : {51, 54, 68, 129, 133, 148}) {
    EXPECT_TRUE(isExactly<NoMonitorModeStrategy>(selectMonitorMode(model)));
  }
}

}  // namespace
}  // namespace QrCom
