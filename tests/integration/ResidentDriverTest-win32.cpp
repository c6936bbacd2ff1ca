#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "qrcom/base/QrException.h"
#include "qrcom/port/WinSerialPort.h"
#include "tests/support/WineEmulator.h"

// The hand-shake with a resident display driver that holds the display's port: the driver is
// a hidden window of this process, the held port the emulator's display with the busy fault.
namespace QrCom {
namespace {

struct Message {
  UINT id;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Message& other) const {
    return id == other.id && wParam == other.wParam && lParam == other.lParam;
  }
};

// A resident driver: it answers which port it serves, records every message it gets and runs
// `onRelease` when asked to let go of its port.
class TestDriver {
 public:
  enum Kind { DisplayServer, WebBraille };

  TestDriver(Kind kind, int servedPort, std::function<void()> onRelease = {})
      : kind_(kind), served_(servedPort), onRelease_(std::move(onRelease)) {
    const wchar_t* className = kind == DisplayServer ? L"Quorlin_Server" : L"WEBRAILLE32";
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &TestDriver::procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassW(&windowClass);  // fails harmlessly when already registered
    window_ = CreateWindowExW(0, className, kind == DisplayServer ? L"Quorlin Server" : className,
                              WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, windowClass.hInstance,
                              nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~TestDriver() { DestroyWindow(window_); }
  TestDriver(const TestDriver&) = delete;
  TestDriver& operator=(const TestDriver&) = delete;

  bool exists() const { return window_ != nullptr; }
  std::vector<Message> messages;

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT id, WPARAM wParam, LPARAM lParam) {
    auto* driver = reinterpret_cast<TestDriver*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (driver != nullptr) {
      LRESULT result = 0;
      if (driver->handle(id, wParam, lParam, result)) return result;
    }
    return DefWindowProcW(window, id, wParam, lParam);
  }

  bool handle(UINT id, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const bool ours = kind_ == DisplayServer ? id == RegisterWindowMessageW(L"Quorlin_Server")
                                             : id == 0x471 || id == 0x472;
    if (!ours) return false;
    messages.push_back({id, wParam, lParam});
    const bool release = kind_ == DisplayServer ? wParam == 100 && lParam == 1 : id == 0x471;
    if (release && onRelease_) onRelease_();
    if (kind_ == DisplayServer && wParam == 1 && lParam == 2) result = served_;
    if (kind_ == WebBraille && id == 0x472) result = static_cast<LRESULT>(served_) << 8;
    return true;
  }

  Kind kind_;
  int served_;
  std::function<void()> onRelease_;
  HWND window_ = nullptr;
};

class ResidentDriverTest : public QrTest::WineEmulatorTest {
 protected:
  void SetUp() override {
    WineEmulatorTest::SetUp();
    if (IsSkipped()) return;
    server = RegisterWindowMessageW(L"Quorlin_Server");
    command("busy");
    ASSERT_TRUE(becomes(ERROR_ACCESS_DENIED));
  }

  std::wstring refusal() const {
    try {
      WinSerialPort port(number);
    } catch (const UnableToOpenPortException& error) {
      return error.getMessage();
    }
    return L"(opened)";
  }
  std::wstring refused() const {
    return L"WinSerialPort::openPort --  Port \"" + name + L"\" can't be opened.";
  }
  static std::vector<Message> rounds(const std::vector<Message>& round) {
    std::vector<Message> all;
    for (int i = 0; i < 10; ++i) all.insert(all.end(), round.begin(), round.end());
    return all;
  }
  static std::vector<uint32_t> pauses(const std::vector<uint32_t>& round) {
    std::vector<uint32_t> all;
    for (int i = 0; i < 10; ++i) all.insert(all.end(), round.begin(), round.end());
    return all;
  }

  UINT server = 0;
};

TEST_F(ResidentDriverTest, TheDisplayServerOnThisPortIsAskedToLetGoInEachOfTenRounds) {
  TestDriver driver(TestDriver::DisplayServer, number);
  ASSERT_TRUE(driver.exists()) << "windows need an X server (DISPLAY)";
  EXPECT_EQ(refusal(), refused());
  EXPECT_EQ(driver.messages, rounds({{server, 1, 2}, {server, 100, 1}, {server, 100, 0}}));
  EXPECT_EQ(clock->pauses(), pauses({750, 750}));
}

TEST_F(ResidentDriverTest, TheDisplayServerOnNoPortIsAskedToo) {
  TestDriver driver(TestDriver::DisplayServer, 0);
  ASSERT_TRUE(driver.exists());
  EXPECT_EQ(refusal(), refused());
  EXPECT_EQ(driver.messages, rounds({{server, 1, 2}, {server, 100, 1}, {server, 100, 0}}));
}

TEST_F(ResidentDriverTest, TheDisplayServerOnAnotherPortIsLeftAlone) {
  TestDriver driver(TestDriver::DisplayServer, number + 1);
  ASSERT_TRUE(driver.exists());
  EXPECT_EQ(refusal(), refused());
  EXPECT_EQ(driver.messages, rounds({{server, 1, 2}, {server, 100, 0}}));
  EXPECT_EQ(clock->pauses(), pauses({750}));
}

TEST_F(ResidentDriverTest, TheWebBrailleDriverHasMessagesOfItsOwn) {
  TestDriver driver(TestDriver::WebBraille, number);
  ASSERT_TRUE(driver.exists());
  EXPECT_EQ(refusal(), refused());
  EXPECT_EQ(driver.messages, rounds({{0x472, 0, 0}, {0x471, 0, 0}, {0x472, 0, 0}}));
  EXPECT_EQ(clock->pauses(), pauses({750, 750}));
}

TEST_F(ResidentDriverTest, AReleasedPortOpensAndIsGivenBackWhenClosed) {
  TestDriver driver(TestDriver::DisplayServer, number, [this] {
    command("");
    EXPECT_TRUE(becomes(ERROR_SUCCESS));
  });
  ASSERT_TRUE(driver.exists());
  {
    auto port = opened<WinSerialPort>();
    EXPECT_EQ(driver.messages, (std::vector<Message>{{server, 1, 2}, {server, 100, 1}}));
    EXPECT_EQ(clock->pauses(), (std::vector<uint32_t>{750, 50, 500}));
  }
  EXPECT_EQ(driver.messages.back(), (Message{server, 100, 0}));
  EXPECT_EQ(clock->pauses(), (std::vector<uint32_t>{750, 50, 500, 500, 750}));
}

}  // namespace
}  // namespace QrCom
