#include <cxxabi.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>
#include <typeinfo>

#include "qrcom/device/FileTransferSelection.h"
#include "qrcom/device/MaintenanceSelection.h"
#include "qrcom/device/ModelTable.h"
#include "qrcom/protocol/FnxMaintenanceStrategy.h"
#include "qrcom/protocol/QrBrlOsMaintenanceStrategy.h"

namespace QrCom {
namespace {

// The exact class of `strategy` without namespace and family: "Pageling" for a
// QrCom::PagelingMaintenanceStrategy.
template <typename Strategy>
std::string kindOf(const std::unique_ptr<Strategy>& strategy, const std::string& family) {
  char* name = abi::__cxa_demangle(typeid(*strategy).name(), nullptr, nullptr, nullptr);
  std::string text = name;
  std::free(name);
  text = text.substr(text.rfind(':') + 1);
  return text.substr(0, text.size() - family.size());
}

// One row for each branch of the selections and each model id they name: file transfer,
// maintenance and monitor mode.
TEST(StrategySelectionTest, ByModelAndProtocolVersion) {
  const std::tuple<int, uint16_t, std::string> rows[] = {
      {144, 0x0102, "Pageling Pageling Pageling"},
      {5, 1, "BrailleSystemVersion2005 BrailleSystemVersion2005 Plano"},
      {114, 2, "BrailleSystemVersion20010 BrailleSystemVersion20010 Plano"},
      {116, 3, "BrailleSystemVersion2000 BrailleSystemVersion428 Plano"},
      {120, 0x0103, "BrailleSystemVersion2000 BrailleSystemVersion2000 Plano"},
      {84, 0x0102, "QrBrlOsVersion102 QrBrlOs QrBrlOs"},
      {85, 0x0101, "QrBrlOs QrBrlOs QrBrlOs"},
      {85, 0x0103, "QrBrlOs QrBrlOsVersion103 QrBrlOs"},
      {84, 0x0100, "BrailleSystemVersion20010 QrBrlOs QrBrlOs"},
      {84, 0, "No QrBrlOs QrBrlOs"},
      {97, 1, "QrBrlOsVersion102 QrBrlOs QrBrlOs"},
      {100, 0x0103, "QrBrlOsVersion102 QrBrlOsVersion103 QrBrlOs"},
      {100, 0, "No QrBrlOs QrBrlOs"},
      {51, 0x0103, "No Fnx No"},
      {68, 2, "No NoDevice No"},
      {133, 0x0103, "No NoDevice No"},
  };
  for (const auto& [model, version, expected] : rows) {
    const auto id = static_cast<uint8_t>(model);
    EXPECT_EQ(kindOf(selectFileTransfer(id, version), "FileTransferStrategy") + " " +
                  kindOf(selectMaintenance(id, version), "MaintenanceStrategy") + " " +
                  kindOf(selectMonitorMode(id), "MonitorModeStrategy"),
              expected)
        << model << " 0x" << std::hex << version;
  }
  // Only firmwares that tell no protocol version have the legacy flag.
  EXPECT_TRUE(dynamic_cast<QrBrlOsMaintenanceStrategy&>(*selectMaintenance(84, 0)).legacyFlag());
  EXPECT_FALSE(dynamic_cast<FnxMaintenanceStrategy&>(*selectMaintenance(51, 0x0103)).legacyFlag());
}

// Rows a sample of planted faults needs, and a gap.
TEST(ModelTableTest, NamesAndCells) {
  const std::tuple<int, const wchar_t*, int> models[] = {
      {50, L"Pathwick Navigator", 16}, {134, L"Fundo 64", 64}, {52, L"", 0}};
  for (const auto& [model, name, cells] : models) {
    EXPECT_STREQ(ModelTable::modelName(static_cast<uint8_t>(model)), name) << model;
    EXPECT_EQ(ModelTable::cellCount(static_cast<uint8_t>(model)), cells) << model;
  }
}

}  // namespace
}  // namespace QrCom
