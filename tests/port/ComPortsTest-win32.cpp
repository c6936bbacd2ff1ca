#include "qrcom/port/ComPorts.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

// Empties the serial-port map for a test and puts the old values back afterwards.
class SerialCommMap {
 public:
  SerialCommMap() {
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, nullptr, 0,
                    KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    saved_ = takeAll();
  }
  ~SerialCommMap() {
    takeAll();
    for (const auto& [name, value] : saved_) {
      RegSetValueExW(key_, name.c_str(), 0, value.first, value.second.data(),
                     static_cast<DWORD>(value.second.size()));
    }
    RegCloseKey(key_);
  }
  void add(const std::wstring& name, const std::wstring& data) {
    RegSetValueExW(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  }

 private:
  using Values = std::vector<std::pair<std::wstring, std::pair<DWORD, std::vector<BYTE>>>>;

  // Removes every value of the map and returns them.
  Values takeAll() {
    Values values;
    wchar_t name[512];
    BYTE data[1024];
    DWORD nameLength = 512, size = sizeof data, type = 0;
    while (RegEnumValueW(key_, 0, name, &nameLength, nullptr, &type, data, &size) == 0) {
      values.push_back({name, {type, std::vector<BYTE>(data, data + size)}});
      RegDeleteValueW(key_, name);
      nameLength = 512;
      size = sizeof data;
    }
    return values;
  }

  HKEY key_ = nullptr;
  Values saved_;
};

TEST(ComPortsTest, EnumerationReadsTheSerialPortMapInItsOrder) {
  QrTest::ScopedVirtualClock clock;
  SerialCommMap map;
  EXPECT_TRUE(enumerateComPorts().empty());
  map.add(L"\\Device\\Serial7", L"COM7");
  map.add(L"\\Device\\Odd", L"COMx");
  map.add(L"\\Device\\Zero", L"COM0");
  map.add(L"\\Device\\Short", L"CO");
  map.add(L"\\Device\\Serial3", L"COM3");
  map.add(L"\\Device\\Again", L"COM7");
  map.add(L"\\Device\\Twelve", L"COM12");
  EXPECT_EQ(enumerateComPorts(), (std::vector<int>{7, 3, 7, 12}));
  EXPECT_EQ(clock->pauses(), (std::vector<uint32_t>{1000, 1000}));
  EXPECT_EQ(comPortName(3), L"COM3");
}

}  // namespace
}  // namespace QrCom
