#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "qrcom/protocol/DirectoryEntry.h"

namespace QrCom {
namespace {

// Sets an environment variable for the lifetime of the object.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old;
    setenv(name, value, 1);
  }
  ~ScopedEnvironment() {
    if (previous_) {
      setenv(name_, previous_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> previous_;
};

TEST(DirectoryEntryPosixTest, DateAndTimeInTheEnvironmentsLocaleWithZeroSeconds) {
  ScopedEnvironment locale("LC_ALL", "C");
  EXPECT_EQ(DirectoryEntry(L"A", 0, {2024, 5, 1, 14, 5, 33}, 0).dateTimeText(),
            L"05/01/24 14:05:00");
}

TEST(DirectoryEntryPosixTest, UnknownLocaleFallsBackToTheCLocale) {
  ScopedEnvironment locale("LC_ALL", "xx_NOWHERE.UTF-8");
  EXPECT_EQ(DirectoryEntry(L"A", 0, {2024, 5, 1, 14, 5, 33}, 0).dateTimeText(),
            L"05/01/24 14:05:00");
}

TEST(DirectoryEntryPosixTest, LinkEntryKeepsItsPath) {
  const DirectoryEntry link(L"/QRSYS/Demo.LnK", 0, {2024, 5, 1, 14, 5, 33}, 0);
  EXPECT_EQ(link.path(), L"/QRSYS/Demo.LnK");
  EXPECT_EQ(link.name(), L"Demo.LnK");
}

}  // namespace
}  // namespace QrCom
