#include "tests/support/WineEmulator.h"

#include <cstdlib>

namespace QrTest {

namespace {

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// A Linux path as Wine's Z: drive shows it.
std::wstring onDriveZ(const std::string& path) {
  std::wstring windows = L"Z:";
  for (char character : path) windows += character == '/' ? L'\\' : static_cast<wchar_t>(character);
  return windows;
}

}  // namespace

void WineEmulatorTest::SetUp() {
  if (environment("QR_WINE_COM").empty()) GTEST_SKIP() << "no emulated display (QR_WINE_COM)";
  number = std::stoi(environment("QR_WINE_COM"));
  name = L"\\\\.\\COM" + std::to_wstring(number);
}

void WineEmulatorTest::TearDown() {
  if (number == 0) return;
  command("");
  EXPECT_TRUE(becomes(ERROR_SUCCESS)) << "the display came back";
}

void WineEmulatorTest::command(const std::string& faults) const {
  HANDLE fifo = CreateFileW(onDriveZ(environment("QR_WINE_CONTROL")).c_str(), GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(fifo, INVALID_HANDLE_VALUE) << "the emulator's control FIFO";
  const std::string line = "1 " + faults + "\n";
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(fifo, line.data(), static_cast<DWORD>(line.size()), &written, nullptr));
  CloseHandle(fifo);
}

DWORD WineEmulatorTest::openVerdict() const {
  HANDLE handle = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  const DWORD verdict = handle == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  return verdict;
}

bool WineEmulatorTest::becomes(DWORD verdict) const {
  for (int i = 0; i < 300; ++i) {
    if (openVerdict() == verdict) return true;
    Sleep(10);
  }
  return false;
}

}  // namespace QrTest
