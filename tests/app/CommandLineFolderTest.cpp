#include <gtest/gtest.h>

#include "app/CommandLineFolder.h"

namespace QrApp {
namespace {

TEST(CommandLineFolderTest, TheWholeLineIsTheFolderWithoutItsQuotesCutTo260Characters) {
  EXPECT_EQ(folderFromCommandLine(L"C:\\Firmware Update\\Corlet"), L"C:\\Firmware Update\\Corlet");
  // As Windows passes a path with blanks, with the blank a shortcut may leave behind.
  EXPECT_EQ(folderFromCommandLine(L"\"C:\\Firmware Update\" "), L"C:\\Firmware Update");
  // Quotes that do not enclose the whole line are the user's and stay.
  EXPECT_EQ(folderFromCommandLine(L"\"a\" \"b\""), L"\"a\" \"b\"");
  EXPECT_EQ(folderFromCommandLine(L"\"" + std::wstring(300, L'x') + L"\"").size(), 260u);
}

}  // namespace
}  // namespace QrApp
