#include <gtest/gtest.h>

#include "app/CommandLineFolder.h"

namespace QrApp {
namespace {

TEST(CommandLineFolderTest, TheWholeLineIsTheFolderWithoutItsQuotes) {
  EXPECT_EQ(folderFromCommandLine(L""), L"");
  EXPECT_EQ(folderFromCommandLine(L"C:\\Firmware\\Corlet"), L"C:\\Firmware\\Corlet");
  // Not split at blanks.
  EXPECT_EQ(folderFromCommandLine(L"C:\\Firmware Update\\Corlet"), L"C:\\Firmware Update\\Corlet");
  // A path with blanks as Windows passes it, with the blank a shortcut may leave behind.
  EXPECT_EQ(folderFromCommandLine(L"\"C:\\Firmware Update\\Corlet\" "),
            L"C:\\Firmware Update\\Corlet");
  // Quotes that do not enclose the whole line are the user's and stay.
  EXPECT_EQ(folderFromCommandLine(L"\"a\" \"b\""), L"\"a\" \"b\"");
  EXPECT_EQ(folderFromCommandLine(L"\""), L"\"");
}

TEST(CommandLineFolderTest, AFolderIsCutTo260Characters) {
  EXPECT_EQ(folderFromCommandLine(std::wstring(300, L'x')).size(), 260u);
  EXPECT_EQ(folderFromCommandLine(L"\"" + std::wstring(300, L'x') + L"\"").size(), 260u);
}

}  // namespace
}  // namespace QrApp
