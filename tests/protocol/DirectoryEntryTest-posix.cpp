#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "qrcom/protocol/DirectoryEntry.h"

namespace QrCom {
namespace {

// The date and time in the locale the environment names; an unknown one falls back to C.
TEST(DirectoryEntryPosixTest, DateAndTimeInTheEnvironmentsLocaleWithZeroSeconds) {
  const char* previous = std::getenv("LC_ALL");
  const std::string saved = previous != nullptr ? previous : "";
  for (const char* locale : {"C", "xx_NOWHERE.UTF-8"}) {
    setenv("LC_ALL", locale, 1);
    EXPECT_EQ(DirectoryEntry(L"A", 0, {2024, 5, 1, 14, 5, 33}, 0).dateTimeText(),
              L"05/01/24 14:05:00")
        << locale;
  }
  previous != nullptr ? setenv("LC_ALL", saved.c_str(), 1) : unsetenv("LC_ALL");
}

}  // namespace
}  // namespace QrCom
