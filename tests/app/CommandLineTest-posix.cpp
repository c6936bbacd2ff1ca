#include <gtest/gtest.h>

#include "app/LocalizedStrings.h"
#include "app/posix/CommandLine.h"
#include "app/posix/Locale.h"

namespace QrApp {
namespace {

ParsedCommandLine parse(std::vector<std::string> arguments) {
  return parseCommandLine(arguments);
}

TEST(CommandLineTest, NothingGivenMeansAskForEverything) {
  const ParsedCommandLine parsed = parse({});
  EXPECT_EQ(parsed.error, "");
  EXPECT_TRUE(parsed.options.ports.empty());
  EXPECT_FALSE(parsed.options.folder);
  EXPECT_FALSE(parsed.options.language);
  EXPECT_FALSE(parsed.options.noUsb || parsed.options.list || parsed.options.yes ||
               parsed.options.verbose || parsed.options.help || parsed.options.version);
}

TEST(CommandLineTest, EveryOptionInBothForms) {
  const ParsedCommandLine parsed =
      parse({"--port", "/dev/ttyUSB0", "/media/fw", "--port=/dev/ttyS1", "--no-usb", "--lang", "de",
             "--list", "--yes", "--verbose", "--help", "--version"});
  ASSERT_EQ(parsed.error, "");
  const Options& options = parsed.options;
  EXPECT_EQ(options.ports, (std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyS1"}));
  EXPECT_EQ(options.folder, L"/media/fw");
  EXPECT_EQ(options.language, kLanguageGerman);
  EXPECT_TRUE(options.noUsb && options.list && options.yes && options.verbose && options.help &&
              options.version);
  EXPECT_EQ(parse({"--lang=en"}).options.language, kLanguageEnglish);
  // After "--" everything is the folder, even when it looks like an option.
  EXPECT_EQ(parse({"--", "--yes"}).options.folder, L"--yes");
  EXPECT_EQ(parse({"Firmware \xC3\x9C"
                   "bung"})
                .options.folder,
            L"Firmware \u00dcbung");
}

TEST(CommandLineTest, UsageErrors) {
  for (const std::vector<std::string>& wrong :
       std::vector<std::vector<std::string>>{{"--bogus"},
                                             {"-h"},
                                             {"--lang", "fr"},
                                             {"--lang"},
                                             {"--port"},
                                             {"--port="},
                                             {"--yes=1"},
                                             {"/a", "/b"},
                                             {""}}) {
    EXPECT_NE(parse(wrong).error, "") << wrong.front();
  }
  EXPECT_EQ(parse({"--lang", "fr"}).error, "option --lang takes de or en, not 'fr'");
}

TEST(CommandLineTest, HelpNamesEveryOptionAndExitStatus) {
  const std::string help = usageText();
  for (const char* text :
       {"Usage: quorlin-updater [OPTIONS] [FOLDER]", "--port PATH", "--no-usb", "--lang de|en",
        "--list", "--yes", "--verbose", "--help", "--version", "  0  ", "  1  ", "  2  usage error",
        "  3  no display found", "  4  ", "  5  ", "$XDG_CONFIG_HOME/quorlin/updater.conf"}) {
    EXPECT_NE(help.find(text), std::string::npos) << text;
  }
}

TEST(LocaleTest, TheFirstVariableSetDecides) {
  EXPECT_EQ(languageForLocale("de_DE.UTF-8", "en_US", "en_US"), kLanguageGerman);
  EXPECT_EQ(languageForLocale(nullptr, "de_AT", "en_US"), kLanguageGerman);
  EXPECT_EQ(languageForLocale(nullptr, nullptr, "de"), kLanguageGerman);
  EXPECT_EQ(languageForLocale("", "", "de_CH.UTF-8"), kLanguageGerman);  // empty is unset
  EXPECT_EQ(languageForLocale("C", "de_DE", "de_DE"), kLanguageEnglish);
  EXPECT_EQ(languageForLocale(nullptr, "en_GB", "de_DE"), kLanguageEnglish);
  EXPECT_EQ(languageForLocale(nullptr, nullptr, nullptr), kLanguageEnglish);
  EXPECT_EQ(languageForLocale("d", nullptr, nullptr), kLanguageEnglish);
}

}  // namespace
}  // namespace QrApp
