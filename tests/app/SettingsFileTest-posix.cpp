#include <gtest/gtest.h>

#include <filesystem>

#include "app/posix/SettingsFile.h"
#include "qrcom/base/Utf8.h"
#include "tests/support/TempDir.h"

namespace QrApp {
namespace {

class SettingsFileTest : public ::testing::Test {
 protected:
  std::string file() const { return QrCom::toUtf8(dir.path(L"config/quorlin/updater.conf")); }
  QrTest::TempDir dir;
};

TEST_F(SettingsFileTest, StoresTheLastFolderInItsOwnFolder) {
  SettingsFile settings(file());
  EXPECT_EQ(settings.readLastFolder(), std::nullopt);
  settings.writeLastFolder(L"/home/anna/Firmware \u00dcbung");
  EXPECT_EQ(SettingsFile(file()).readLastFolder(), L"/home/anna/Firmware \u00dcbung");
  EXPECT_EQ(dir.read(L"config/quorlin/updater.conf"),
            "lastUpdaterPath=/home/anna/Firmware \xC3\x9C"
            "bung\n");
  EXPECT_FALSE(dir.exists(L"config/quorlin/updater.conf.tmp"));
}

TEST_F(SettingsFileTest, ReplacesTheFolderAndKeepsOtherLines) {
  std::filesystem::create_directories(QrTest::toFsPath(dir.path(L"config/quorlin")));
  dir.write(L"config/quorlin/updater.conf",
            "# mine\nlastUpdaterPath=/old\nother=1\nlastUpdaterPath=/older\n");
  SettingsFile settings(file());
  EXPECT_EQ(settings.readLastFolder(), L"/old");
  settings.writeLastFolder(L"/new");
  EXPECT_EQ(dir.read(L"config/quorlin/updater.conf"), "# mine\nlastUpdaterPath=/new\nother=1\n");
}

TEST_F(SettingsFileTest, FailuresStoreNothingAndThrowNothing) {
  SettingsFile settings(file());
  settings.writeLastFolder(L"/a\nb");  // would break the file
  settings.writeLastFolder(L"");
  EXPECT_FALSE(dir.exists(L"config"));

  dir.write(L"blocker", "a file where a folder should be");
  SettingsFile blocked(QrCom::toUtf8(dir.path(L"blocker/quorlin/updater.conf")));
  blocked.writeLastFolder(L"/fw");
  EXPECT_EQ(blocked.readLastFolder(), std::nullopt);

  SettingsFile nowhere("");
  nowhere.writeLastFolder(L"/fw");
  EXPECT_EQ(nowhere.readLastFolder(), std::nullopt);
}

TEST(SettingsPathTest, XdgConfigHomeWhenAbsoluteElseTheHomeFolder) {
  EXPECT_EQ(settingsPath("/cfg", "/home/anna"), "/cfg/quorlin/updater.conf");
  EXPECT_EQ(settingsPath(nullptr, "/home/anna"), "/home/anna/.config/quorlin/updater.conf");
  EXPECT_EQ(settingsPath("", "/home/anna"), "/home/anna/.config/quorlin/updater.conf");
  EXPECT_EQ(settingsPath("relative", "/home/anna"), "/home/anna/.config/quorlin/updater.conf");
  EXPECT_EQ(settingsPath(nullptr, nullptr), "");
  EXPECT_EQ(settingsPath("", ""), "");
}

}  // namespace
}  // namespace QrApp
