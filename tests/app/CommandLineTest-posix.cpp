// What the Linux program takes from its command line, its environment and its settings file.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/LocalizedStrings.h"
#include "app/posix/CommandLine.h"
#include "app/posix/Locale.h"
#include "app/posix/SettingsFile.h"
#include "qrcom/base/Utf8.h"
#include "tests/support/TempDir.h"

namespace QrApp {
namespace {

TEST(CommandLineTest, EveryOptionInBothFormsAndTheUsageErrors) {
  const ParsedCommandLine parsed =
      parseCommandLine({"--port", "/dev/ttyUSB0", "/media/fw", "--port=/dev/ttyS1", "--no-usb",
                        "--lang", "de", "--list", "--yes", "--verbose", "--help", "--version"});
  ASSERT_EQ(parsed.error, "");
  const Options& options = parsed.options;
  EXPECT_EQ(options.ports, (std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyS1"}));
  EXPECT_EQ(options.folder, L"/media/fw");
  EXPECT_EQ(options.language, kLanguageGerman);
  EXPECT_TRUE(options.noUsb && options.list && options.yes && options.verbose && options.help &&
              options.version);
  // After "--" everything is the folder, even when it looks like an option.
  EXPECT_EQ(parseCommandLine({"--", "--yes"}).options.folder, L"--yes");
  EXPECT_EQ(parseCommandLine({"--check", "/a", "--model", "Selvar 40"}).options.model, "Selvar 40");
  // The first error ends the parse.
  using Args = std::vector<std::string>;
  for (const Args& wrong :
       {Args{"--bogus", "--list"}, Args{"-h", "--list"}, Args{"--port=", "--list"},
        Args{"--yes=1", "--list"}, Args{"/a", "/b", "--list"}, Args{"", "--list"},
        Args{"--lang", "fr", "--list"}, Args{"--lang"}, Args{"--port"}, Args{"--all"},
        Args{"--json", "--yes"}, Args{"--check"}, Args{"--check", "--all", "/a"},
        Args{"--model", "Corlet", "/a"}, Args{"--check", "--model=", "/a"}}) {
    EXPECT_NE(parseCommandLine(wrong).error, "") << wrong.front();
    EXPECT_FALSE(parseCommandLine(wrong).options.list) << wrong.front();
  }
}

// Where the Linux program keeps the last folder: its own line in its own folder.
TEST(SettingsFileTest, StoresTheLastFolderInItsOwnLineAndFolder) {
  QrTest::TempDir dir;
  const std::string file = QrCom::toUtf8(dir.path(L"config/quorlin/updater.conf"));
  SettingsFile settings(file);
  EXPECT_EQ(settings.readLastFolder(), std::nullopt);
  settings.writeLastFolder(L"/a\nb");  // would break the file
  settings.writeLastFolder(L"");
  EXPECT_FALSE(dir.exists(L"config"));
  settings.writeLastFolder(L"/home/anna/\u00dcbung");
  EXPECT_EQ(SettingsFile(file).readLastFolder(), L"/home/anna/\u00dcbung");
}

}  // namespace
}  // namespace QrApp
