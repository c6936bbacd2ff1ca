#include "app/posix/PackageCheck.h"

#include <algorithm>
#include <array>
#include <cwctype>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <vector>

#include "app/BrailleTable.h"
#include "app/FirmwareUploadControler.h"
#include "app/LocalizedStrings.h"
#include "app/PackageFiles.h"
#include "app/TextFormat.h"
#include "app/posix/CommandLine.h"
#include "app/posix/TerminalTexts.h"
#include "qrcom/base/QrException.h"
#include "qrcom/device/ModelTable.h"
#include "qrcom/firmware/FirmwareFileSet.h"
#include "qrcom/firmware/HexFile.h"
#include "qrcom/firmware/HexRecords.h"
#include "qrcom/firmware/QrBrlOsFirmwareUploadStrategy.h"

namespace QrApp {

namespace {

using QrCom::ModelTable::hasEpromBootLoader;
using QrCom::ModelTable::hasIapLoader;

std::wstring fileName(const std::wstring& path) {
  return path.substr(path.find_last_of(L'/') + 1);
}

std::wstring upperCase(std::wstring text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](wchar_t c) { return std::towupper(c); });
  return text;
}

// The line, counted from 1, that holds position `at` of `text`.
std::wstring lineOf(std::string_view text, size_t at) {
  return std::to_wstring(1 + std::count(text.begin(), text.begin() + at, '\n'));
}

// The report: numbered steps in the order of the update, what is wrong with a file below its
// step, then the verdict.
class CheckReport {
 public:
  explicit CheckReport(uint16_t language) : language_(language) {}

  std::wstring text(TerminalText id, std::initializer_list<std::wstring_view> arguments) const {
    return formatText(terminalText(id, language_), arguments);
  }
  void line(const std::wstring& line) { report_ += line + L"\n"; }
  void step(TerminalText id, std::initializer_list<std::wstring_view> arguments) {
    report_ += L"  " + std::to_wstring(++steps_) + L". " + text(id, arguments) + L"\n";
  }
  void damage(const std::wstring& what) {
    report_ += L"     " + what + L"\n";
    damaged_ = true;
  }

  // A step for the firmware text at `path` with the number of its records, verified (hex digits,
  // lengths, checksums; with `iap` also the length the IAP loader takes). `bank` goes before the
  // file name when not empty.
  void firmware(TerminalText id, const std::wstring& path, bool iap,
                const std::wstring& bank = {}) {
    std::wstring records = L"?";
    const std::optional<std::wstring> damage = verify(path, iap, records);
    if (bank.empty()) {
      step(id, {fileName(path), records});
    } else {
      step(id, {bank, fileName(path), records});
    }
    if (damage) this->damage(*damage);
  }

  bool damaged() const { return damaged_; }
  const std::wstring& report() const { return report_; }

 private:
  // What is wrong with the firmware text at `path`, if anything; else `records` is their count.
  std::optional<std::wstring> verify(const std::wstring& path, bool iap, std::wstring& records) {
    std::string data;
    try {
      data = QrCom::readFirmwareText(path, L"");
    } catch (const QrCom::QrException& failure) {
      return text(TerminalText::kTxtCheckUnreadable, {fileName(path), failure.getMessage()});
    }
    std::vector<QrCom::HexRecord> cut;
    const size_t bad = QrCom::cutHexRecords(data, cut);
    if (bad != std::string_view::npos) {
      return text(TerminalText::kTxtCheckBadRecord, {fileName(path), lineOf(data, bad)});
    }
    // The IAP loader gets each record as the walk of the upload cuts it.
    constexpr size_t kLongest = QrCom::QrBrlOsFirmwareUploadStrategy::kMaxRecordLength;
    std::optional<std::wstring> tooLong;
    if (iap) {
      QrCom::forEachHexRecord(data, [&](std::string_view record, size_t) {
        if (record.size() <= kLongest) return true;
        const size_t at = static_cast<size_t>(record.data() - data.data());
        tooLong = text(TerminalText::kTxtCheckLongRecord,
                       {fileName(path), lineOf(data, at), std::to_wstring(kLongest)});
        return false;
      });
    }
    if (!tooLong) records = std::to_wstring(cut.size());
    return tooLong;
  }

  uint16_t language_;
  std::wstring report_;
  int steps_ = 0;
  bool damaged_ = false;
};

// The main firmware: through the IAP loader as one file, else as the boot loader takes it, the
// chosen file and its siblings .H01 to .H08, one per flash bank.
void mainFirmwareSteps(CheckReport& report, const std::wstring& path, uint8_t modelId) {
  if (hasIapLoader(modelId)) {
    report.firmware(TerminalText::kTxtCheckIapLoader, path, true);
    return;
  }
  std::vector<std::wstring> files{path};
  try {
    files = QrCom::countFirmwareFiles(path, nullptr, nullptr).paths;
  } catch (const QrCom::QrException&) {
    // Empty or too large: the verification of the chosen file tells it.
  }
  for (size_t bank = 0; bank < files.size(); ++bank) {
    if (hasEpromBootLoader(modelId)) {
      report.firmware(TerminalText::kTxtCheckFlashBank, files[bank], false, std::to_wstring(bank));
    } else {
      report.firmware(TerminalText::kTxtCheckMainFirmware, files[bank], false);
    }
  }
}

// The other files of the package, in the order the update sends them to a `modelId` display.
void otherFileSteps(CheckReport& report, const std::wstring& folder, uint8_t modelId) {
  PackageFiles package;
  const bool iap = hasIapLoader(modelId);
  collectPackageFiles(folder, modelId, iap, iap, iap, package);
  const std::array<std::wstring, kSlotCount>& slots = package.slots;
  if (isFolderPackageModel(modelId)) {
    if (!slots[kConfigurationFile].empty()) {
      report.step(TerminalText::kTxtCheckFileInto, {L"/QRSYS", slots[kConfigurationFile]});
    }
    const std::pair<const FileList*, const wchar_t*> lists[] = {
        {&package.systemFiles, L"/QRSYS/LANGUAGE"},
        {&package.hangmanFiles, L"/QRSYS/LANGUAGE"},
        {&package.musicFiles, L"/QRSYS"},
        {&package.tutorialFiles, L"/QRSYS/TUTORIALS"},
        {&package.demoFiles, L"/QRSYS"}};
    for (const auto& [list, into] : lists) {
      for (const std::wstring& name : list->names) {
        report.step(TerminalText::kTxtCheckFileInto, {into, name});
      }
    }
  }
  for (const FileSlot slot : {kMessageFile, kKeyboardLayout, kPrinterDefinitions, kBrailleTableFile,
                              kHelpFile, kHangmanWordList}) {
    const std::wstring& path = slots[slot];
    if (path.empty() || isFolderPackageModel(modelId)) continue;
    if (slot != kBrailleTableFile) {
      report.step(TerminalText::kTxtCheckFile, {fileName(path)});
      continue;
    }
    try {
      report.step(TerminalText::kTxtCheckBrailleTable, {BrailleTable(path).name(), fileName(path)});
    } catch (const QrCom::QrException& failure) {
      report.step(TerminalText::kTxtCheckBrailleTable, {L"?", fileName(path)});
      report.damage(
          report.text(TerminalText::kTxtCheckUnreadable, {fileName(path), failure.getMessage()}));
    }
  }
  if (!slots[kBrailleProcessorFirmware].empty()) {
    report.firmware(TerminalText::kTxtCheckBrailleProcessor, slots[kBrailleProcessorFirmware],
                    false);
  }
  if (!slots[kUsbProcessorFirmware].empty()) {
    report.step(TerminalText::kTxtCheckUsbProcessor, {fileName(slots[kUsbProcessorFirmware])});
  }
  if (!slots[kBluetoothFirmware].empty()) {
    report.firmware(TerminalText::kTxtCheckBluetooth, slots[kBluetoothFirmware], true);
  }
}

// Whether the update's checks would let `mainFirmware` onto a `modelId` display (0: any) whose
// serial number begins as the firmware's name, and the line that says so.
bool fits(const CheckReport& report, uint8_t modelId, const std::wstring& modelName,
          const std::wstring& mainFirmware, uint16_t language, std::wstring& verdict) {
  const std::wstring code = upperCase(mainFirmware.substr(0, 3));
  const bool fundoFirmware = code == L"FNX";
  if (code.empty()) {
    verdict = report.text(TerminalText::kTxtCheckNoMainFirmware, {});
    return false;
  }
  if (modelId != 0 && !hasEpromBootLoader(modelId) && !hasIapLoader(modelId)) {
    verdict = report.text(TerminalText::kTxtCheckNoUpload, {modelName});
    return false;
  }
  // Every model with an IAP loader tells its serial number; of the boot-loader models only those
  // with INFO mode.
  const bool tellsSerial =
      modelId == 0 || hasIapLoader(modelId) || QrCom::ModelTable::tellsSerialInInfoMode(modelId);
  const std::optional<std::wstring> serial = tellsSerial ? std::optional(code) : std::nullopt;
  switch (modelId == 0 ? ModelCheck::Fits : checkModel(modelId, serial, code)) {
    case ModelCheck::Fits:
      break;
    case ModelCheck::OtherModel:
      verdict = tellsSerial
                    ? report.text(TerminalText::kTxtCheckOtherModel, {modelName, mainFirmware})
                    : report.text(TerminalText::kTxtCheckNoSerial, {modelName});
      return false;
    case ModelCheck::Emulation:
      verdict = loadLocalizedString(kStrDeactivateEmulation, language);
      return false;
  }
  const bool fundo = modelId == 0 ? fundoFirmware : QrCom::ModelTable::isFundoLine(modelId);
  verdict = fundo ? report.text(TerminalText::kTxtCheckFitsFundo, {})
                  : report.text(TerminalText::kTxtCheckFitsSerial, {code});
  return true;
}

}  // namespace

PackageCheck checkPackage(const std::wstring& folder, uint8_t modelId, uint16_t language) {
  CheckReport report(language);
  if (!folderExists(folder)) {
    return {report.text(TerminalText::kTxtFolderNotFound, {folder}) + L"\n", kExitUsage};
  }
  // The pocket reader has no fixed name: the family's stands for it.
  std::wstring modelName = QrCom::ModelTable::modelName(modelId);
  if (modelName.empty()) modelName = L"Quorlin";
  report.line(modelId == 0 ? report.text(TerminalText::kTxtCheckHeadingAnyModel, {folder})
                           : report.text(TerminalText::kTxtCheckHeading,
                                         {folder, modelName, std::to_wstring(modelId)}));
  const std::optional<FoundFile> main = findMainFirmware(folder);
  if (main) mainFirmwareSteps(report, joinPath(folder, main->name), modelId);
  if (modelId != 0) otherFileSteps(report, folder, modelId);
  std::wstring verdict;
  const bool goes = fits(report, modelId, modelName, main ? main->name : L"", language, verdict);
  report.line(verdict);
  if (report.damaged()) report.line(report.text(TerminalText::kTxtCheckDamaged, {}));
  if (modelId == 0) report.line(report.text(TerminalText::kTxtCheckModelHint, {}));
  const int status = report.damaged() ? kExitFailed : goes ? kExitSuccess : kExitDoesNotFit;
  return {report.report(), status};
}

}  // namespace QrApp
