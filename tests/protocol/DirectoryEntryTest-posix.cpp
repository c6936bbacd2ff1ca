#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "qrcom/protocol/DirectoryEntry.h"
#include "qrcom/protocol/QrBrlOsFileTransferStrategy.h"
#include "tests/protocol/ProtocolSteps.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

using namespace QrTest;

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

// A device node has no file time to stamp the header with: the clock's local time serves.
TEST(QrBrlOsFileTransferPosixTest, HeaderWithoutFileTimeTakesTheCurrentTime) {
  ScopedVirtualClock clock;  // 2024-05-06 07:08:09
  play({{"/dev/null as N", doing([](SerialPort& port) {
           QrBrlOsFileTransferStrategy(0x54).receiveFile(port, nullptr, L"/dev/null", L"N", 0, 1,
                                                         nullptr);
         }),
         diskSpace("00 00 00 00 00 01 00 00 00 00 00 00 00 00 10 00") +
             block("0C 00 1C 4E 05 07 E8 05 06 07 08 09 01 0F 16") + kEndOfFile}});
}

}  // namespace
}  // namespace QrCom
