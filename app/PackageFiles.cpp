#include "app/PackageFiles.h"

#include <optional>

#include "app/FileSearch.h"
#include "app/NamePattern.h"
#include "qrcom/device/ModelTable.h"

namespace QrApp {

namespace {

// The slot gets the full path of `name` (in the case it is written) and its counter the size.
void fillSlot(const std::wstring& folder, const std::wstring& name, FileSlot slot,
              PackageFiles& package) {
  const std::optional<FoundFile> found = findFirstFile(folder, name);
  if (!found) return;
  package.slots[slot] = joinPath(folder, found->name);
  package.bytes[slot] = found->size;
}

void fillList(const std::wstring& folder, const std::wstring& pattern, FileList& list,
              uint64_t& bytes) {
  list.names.clear();
  for (const FoundFile& file : findFiles(folder, pattern)) {
    list.names.push_back(file.name);
    bytes += file.size;
  }
}

void collectFolderPackage(const std::wstring& folder, PackageFiles& package) {
  package.systemFiles.names.clear();
  for (const FoundFile& file : findFiles(folder, L"*.QSF")) {
    if (sameName(file.name, L"CONFIG.QSF")) {
      package.slots[kConfigurationFile] = file.name;
      package.bytes[kConfigurationFile] = file.size;
    } else {
      package.systemFiles.names.push_back(file.name);
      package.systemFiles.bytes += file.size;
    }
  }
  fillList(folder, L"*_hangman.lst", package.hangmanFiles, package.bytes[kHangmanWordList]);
  fillList(folder, L"*.QMF", package.musicFiles, package.musicFiles.bytes);
  fillList(folder, L"*.QTF", package.tutorialFiles, package.tutorialFiles.bytes);
  fillList(folder, L"demo.*", package.demoFiles, package.demoFiles.bytes);
}

void collectLegacyPackage(const std::wstring& folder, PackageFiles& package) {
  fillSlot(folder, L"MSG.QSF", kMessageFile, package);
  fillSlot(folder, L"KBDLYOUT.QSF", kKeyboardLayout, package);
  fillSlot(folder, L"PRINTERS.QSF", kPrinterDefinitions, package);
  fillSlot(folder, L"HELP.QSF", kHelpFile, package);
  std::optional<FoundFile> table = findFirstFile(folder, L"*.asc");
  if (!table) table = findFirstFile(folder, L"*.jbt");
  if (table) {
    package.slots[kBrailleTableFile] = joinPath(folder, table->name);
    package.bytes[kBrailleTableFile] = 256;  // the table's dots, whatever the file's size
  }
  fillSlot(folder, L"HANGMAN.LST", kHangmanWordList, package);
}

}  // namespace

std::optional<FoundFile> findMainFirmware(const std::wstring& folder) {
  if (!folderExists(folder)) return std::nullopt;
  if (std::optional<FoundFile> found = findFirstFile(folder, L"*.h00")) return found;
  for (FoundFile& file : findFiles(folder, L"*.hex")) {
    if (!sameName(file.name, L"8051.hex")) return std::move(file);
  }
  return std::nullopt;
}

bool isLegacyPackageModel(uint8_t modelId) {
  return QrCom::ModelTable::isLegacyLine(modelId);
}

bool isFolderPackageModel(uint8_t modelId) {
  return QrCom::ModelTable::isQrBrlOsLine(modelId);
}

void collectPackageFiles(const std::wstring& folder, uint8_t modelId, bool braille, bool usb,
                         bool bluetooth, PackageFiles& package) {
  if (isFolderPackageModel(modelId)) collectFolderPackage(folder, package);
  if (isLegacyPackageModel(modelId)) collectLegacyPackage(folder, package);
  if (braille) fillSlot(folder, L"8051.hex", kBrailleProcessorFirmware, package);
  if (usb) fillSlot(folder, L"vnc2.rom", kUsbProcessorFirmware, package);
  if (bluetooth) fillSlot(folder, L"bluetooth.rom", kBluetoothFirmware, package);
}

uint64_t localFileSize(const std::wstring& folder, const std::wstring& name) {
  // By name, not as a pattern: a name from a Linux folder may hold '*' or '?'.
  for (const FoundFile& file : listFiles(folder)) {
    if (sameName(file.name, name)) return file.size;
  }
  return 0;
}

}  // namespace QrApp
