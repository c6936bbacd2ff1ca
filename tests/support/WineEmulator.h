#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"
#include "tests/support/VirtualClock.h"

namespace QrTest {

// A fixture for Windows tests against quorlin-emulator on a pty that Wine maps to a COM port.
// scripts/test.sh starts the emulator (one display, model 0x22, protocol version 0x0102) and
// tells the tests where it is: QR_WINE_COM (the COM number) and QR_WINE_CONTROL (its control
// FIFO). Without them, as on a real Windows machine, the tests skip.
// Protocol pauses run on a virtual clock; the port's own time-outs take real time.
class WineEmulatorTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Gives the display exactly the faults of `faults` ("busy", "unplug", "" for none).
  void command(const std::string& faults) const;
  // CreateFileW's verdict on the port now: ERROR_SUCCESS when it opens.
  DWORD openVerdict() const;
  // Waits up to three seconds for that verdict.
  bool becomes(DWORD verdict) const;
  // The port, where opening it must work: a failure says why.
  template <typename Port>
  std::unique_ptr<Port> opened() const {
    try {
      return std::make_unique<Port>(number);
    } catch (const QrCom::QrException& error) {
      ADD_FAILURE() << "opening failed: " << QrCom::toUtf8(error.getMessage());
      throw;
    }
  }

  ScopedVirtualClock clock;
  int number = 0;
  std::wstring name;  // \\.\COMn
};

}  // namespace QrTest
