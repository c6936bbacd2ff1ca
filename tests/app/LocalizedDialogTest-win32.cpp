#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <cwctype>
#include <ostream>
#include <string>
#include <vector>

#include "app/UiLanguage.h"
#include "app/win/LocalizedDialog.h"
#include "qrcom/base/Utf8.h"
#include "resources/ResourceIds.h"

namespace QrApp {
namespace {

struct Control {
  int32_t id;
  std::wstring className;  // lower case; the system classes stored as numbers get their names
  std::wstring text;
  int16_t x, y, width, height;
  DWORD style;
  bool operator==(const Control& other) const {
    return id == other.id && className == other.className && text == other.text && x == other.x &&
           y == other.y && width == other.width && height == other.height && style == other.style;
  }
};

void PrintTo(const Control& control, std::ostream* out) {
  *out << control.id << " " << QrCom::toUtf8(control.className) << " \""
       << QrCom::toUtf8(control.text) << "\" " << control.x << "," << control.y << " "
       << control.width << "x" << control.height << " style 0x" << std::hex << control.style
       << std::dec;
}

struct Dialog {
  DWORD style = 0;
  int16_t width = 0, height = 0;
  std::wstring caption;
  WORD pointSize = 0;
  std::wstring font;
  std::vector<Control> controls;
};

// Reads an extended dialog template (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX items).
class TemplateReader {
 public:
  explicit TemplateReader(const void* data) : base_(static_cast<const BYTE*>(data)) {}

  Dialog read() {
    Dialog dialog;
    EXPECT_EQ(word(), 1);       // version
    EXPECT_EQ(word(), 0xFFFF);  // extended template
    dword();                    // help id
    EXPECT_EQ(dword(), 0u);     // extended style
    dialog.style = dword();
    const WORD count = word();
    coordinate();
    coordinate();
    dialog.width = coordinate();
    dialog.height = coordinate();
    EXPECT_EQ(nameOrNumber(), L"");  // no menu
    EXPECT_EQ(nameOrNumber(), L"");  // the system's dialog class
    dialog.caption = nameOrNumber();
    dialog.pointSize = word();
    EXPECT_EQ(word(), FW_NORMAL);
    EXPECT_EQ(word(), 0x0100);  // not italic, character set DEFAULT_CHARSET
    dialog.font = nameOrNumber();
    for (WORD index = 0; index < count; ++index) {
      at_ = (at_ + 3) & ~std::size_t{3};
      Control control{};
      dword();                 // help id
      EXPECT_EQ(dword(), 0u);  // extended style
      control.style = dword();
      control.x = coordinate();
      control.y = coordinate();
      control.width = coordinate();
      control.height = coordinate();
      control.id = static_cast<int32_t>(dword());
      control.className = className(nameOrNumber());
      control.text = nameOrNumber();
      EXPECT_EQ(word(), 0);  // no creation data
      dialog.controls.push_back(control);
    }
    return dialog;
  }

 private:
  template <typename T>
  T next() {
    T value;
    std::memcpy(&value, base_ + at_, sizeof value);
    at_ += sizeof value;
    return value;
  }
  WORD word() { return next<WORD>(); }
  DWORD dword() { return next<DWORD>(); }
  int16_t coordinate() { return static_cast<int16_t>(word()); }
  // A string, or "#n" for a number.
  std::wstring nameOrNumber() {
    WORD first = word();
    if (first == 0xFFFF) return L"#" + std::to_wstring(word());
    std::wstring text;
    for (; first != 0; first = word()) text += static_cast<wchar_t>(first);
    return text;
  }
  static std::wstring className(std::wstring name) {
    static const wchar_t* const kSystemClasses[] = {L"button",  L"edit",      L"static",
                                                    L"listbox", L"scrollbar", L"combobox"};
    for (int number = 0x80; number <= 0x85; ++number) {
      if (name == L"#" + std::to_wstring(number)) return kSystemClasses[number - 0x80];
    }
    for (wchar_t& character : name) character = static_cast<wchar_t>(std::towlower(character));
    return name;
  }

  const BYTE* base_;
  std::size_t at_ = 0;
};

Dialog dialog(uint16_t id, uint16_t language) {
  const DLGTEMPLATE* found = loadLocalizedDialog(id, language);
  if (found == nullptr) {
    ADD_FAILURE() << "no template " << id << " for language " << language;
    return {};
  }
  return TemplateReader(found).read();
}

constexpr DWORD kDialogStyle =
    DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kDefaultButton = kChild | WS_TABSTOP | BS_DEFPUSHBUTTON;
constexpr DWORD kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kLabel = kChild | WS_GROUP;
constexpr DWORD kField = kChild | WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL;
constexpr DWORD kList = kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
constexpr DWORD kBar = kChild | WS_BORDER;

struct DialogCase {
  struct {
    const char* name;
    uint16_t id;
    uint16_t language;
    int16_t width, height;
    const wchar_t* caption;
  } frame;
  std::vector<Control> controls;
};

// Each label right before its field; the tab order starts at the default button.
const DialogCase kDialogs[] = {
    {{"EnglishProgressDialog", QR_IDD_UPLOAD_PROCESS, kLanguageEnglish, 249, 80,
      L"Update Firmware"},
     {{IDCANCEL, L"button", L"&Cancel", 192, 59, 50, 14, kDefaultButton},
      {-1, L"static", L"Target device:", 7, 9, 50, 8, kLabel},
      {QR_IDC_TARGET_DEVICE, L"edit", L"", 57, 9, 185, 12, kField},
      {-1, L"static", L"Status:", 7, 22, 24, 9, kLabel},
      {QR_IDC_STATUS, L"edit", L"", 57, 22, 185, 16, kField},
      {QR_IDC_PROGRESS_BAR, L"msctls_progress32", L"", 7, 38, 235, 14, kBar}}},
    {{"GermanProgressDialog", QR_IDD_UPLOAD_PROCESS, kLanguageGerman, 249, 80,
      L"Firmware \u00fcbertragen"},
     {{IDCANCEL, L"button", L"A&bbbrechen", 192, 59, 50, 14, kDefaultButton},
      {-1, L"static", L"Zielger\u00e4t:", 7, 9, 32, 8, kLabel},
      {QR_IDC_TARGET_DEVICE, L"edit", L"", 45, 9, 197, 12, kField},
      {-1, L"static", L"Status:", 7, 22, 24, 9, kLabel},
      {QR_IDC_STATUS, L"edit", L"", 45, 22, 197, 16, kField},
      {QR_IDC_PROGRESS_BAR, L"msctls_progress32", L"", 7, 38, 235, 14, kBar}}},
    {{"EnglishDeviceSelection", QR_IDD_DEVICE_SELECTION, kLanguageEnglish, 257, 71,
      L"Select Quorlin device"},
     {{IDCANCEL, L"button", L"&Finish", 202, 50, 48, 14, kDefaultButton},
      {-1, L"static",
       L"More than one Quorlin device found. Please select the device, you want to update. ", 7, 7,
       243, 17, kLabel},
      {QR_IDC_DEVICE_LIST, L"combobox", L"", 7, 31, 243, 106, kList},
      {IDOK, L"button", L"&Continue", 148, 50, 50, 14, kButton}}},
    {{"GermanDeviceSelection", QR_IDD_DEVICE_SELECTION, kLanguageGerman, 257, 71,
      L"Quorlin Ger\u00e4t ausw\u00e4hlen"},
     {{IDCANCEL, L"button", L"B&eenden", 202, 50, 48, 14, kDefaultButton},
      {-1, L"static",
       L"Es wurden mehrere Quorlin Ger\u00e4te an Ihrem PC gefunden. Bitte w\u00e4hlen Sie das "
       L"Ger\u00e4t aus, f\u00fcr das Sie die Firmware aktualiesieren m\u00f6chten:",
       7, 7, 243, 17, kLabel},
      {QR_IDC_DEVICE_LIST, L"combobox", L"", 7, 31, 243, 106, kList},
      {IDOK, L"button", L"&Weiter", 148, 50, 50, 14, kButton}}},
};

class LocalizedDialogLayoutTest : public ::testing::TestWithParam<DialogCase> {};

TEST_P(LocalizedDialogLayoutTest, TemplateIsExact) {
  const auto& expected = GetParam().frame;
  const Dialog found = dialog(expected.id, expected.language);
  EXPECT_EQ(found.style, kDialogStyle);
  EXPECT_EQ(found.width, expected.width);
  EXPECT_EQ(found.height, expected.height);
  EXPECT_EQ(found.pointSize, 8);
  EXPECT_EQ(found.font, L"MS Shell Dlg");
  EXPECT_EQ(found.caption, expected.caption);
  EXPECT_EQ(found.controls, GetParam().controls);
}

INSTANTIATE_TEST_SUITE_P(Dialogs, LocalizedDialogLayoutTest, ::testing::ValuesIn(kDialogs),
                         [](const auto& info) { return std::string(info.param.frame.name); });

TEST(LocalizedDialogTest, OtherLanguagesFallBackToTheirPrimaryLanguageThenEnglish) {
  const std::wstring german = L"Firmware \u00fcbertragen";
  const std::wstring english = L"Update Firmware";
  // Sub-languages of German take the German template.
  for (uint16_t language : {0x0807, 0x0C07, 0x1007, 0x1407, 0x0007}) {
    EXPECT_EQ(dialog(QR_IDD_UPLOAD_PROCESS, language).caption, german) << language;
  }
  for (uint16_t language : {0x0809, 0x0C09, 0x040C, 0x0410, 0x0411, 0x0419}) {
    EXPECT_EQ(dialog(QR_IDD_UPLOAD_PROCESS, language).caption, english) << language;
  }
  EXPECT_EQ(dialog(QR_IDD_DEVICE_SELECTION, 0x0807).caption, L"Quorlin Ger\u00e4t ausw\u00e4hlen");
  EXPECT_EQ(dialog(QR_IDD_DEVICE_SELECTION, 0x040C).caption, L"Select Quorlin device");
}

TEST(LocalizedDialogTest, ATemplateThatDoesNotExistIsNull) {
  EXPECT_EQ(loadLocalizedDialog(132, kLanguageEnglish), nullptr);
  EXPECT_EQ(loadLocalizedDialog(QR_IDI_PROGRAM, kLanguageGerman), nullptr);
}

}  // namespace
}  // namespace QrApp
