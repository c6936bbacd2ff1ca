#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/FileSearch.h"

namespace QrApp {

// The files of one firmware package and their byte counters.
enum FileSlot : std::size_t {
  kMainFirmware = 0,
  kMessageFile = 1,
  kKeyboardLayout = 2,
  kPrinterDefinitions = 3,
  kHelpFile = 4,
  kBrailleTableFile = 5,
  kBrailleProcessorFirmware = 6,
  kUsbProcessorFirmware = 7,
  kBluetoothFirmware = 8,
  kHangmanWordList = 9,
  kConfigurationFile = 10,
  kSlotCount = 11,
};

// A list of files sent into the device's folders, with the sum of their sizes.
struct FileList {
  std::vector<std::wstring> names;  // in the order of the directory search
  uint64_t bytes = 0;
};

struct PackageFiles {
  // Full paths, except the configuration file: its name only. Empty when absent.
  std::array<std::wstring, kSlotCount> slots;
  // One counter per slot. The hangman counter (kHangmanWordList) also counts the hangman list:
  // a model fills one of the two.
  std::array<uint64_t, kSlotCount> bytes{};
  FileList systemFiles;
  FileList hangmanFiles;  // its sizes go to bytes[kHangmanWordList]
  FileList musicFiles;
  FileList tutorialFiles;
  FileList demoFiles;
};

// Models whose package carries system files: the legacy models with their fixed set of single
// files, and the package models whose files go into the folders of a device file system.
bool isLegacyPackageModel(uint8_t modelId);
bool isFolderPackageModel(uint8_t modelId);
inline bool receivesSystemFiles(uint8_t modelId) {
  return isLegacyPackageModel(modelId) || isFolderPackageModel(modelId);
}

// Fills the package of a `modelId` display from `folder`: the system files of its model group
// and, for every model, the secondary firmware the display can take (`braille`, `usb`,
// `bluetooth`: services 29, 30, 38). Slot 0 is left as it is.
void collectPackageFiles(const std::wstring& folder, uint8_t modelId, bool braille, bool usb,
                         bool bluetooth, PackageFiles& package);

// The main firmware of `folder` by the general rule: the first *.h00, else the first *.hex other
// than the Braille processor's 8051.hex. None when there is no such file or folder.
std::optional<FoundFile> findMainFirmware(const std::wstring& folder);

// The size of `name` in `folder` (its low 32 bits); 0 when there is no such file.
uint64_t localFileSize(const std::wstring& folder, const std::wstring& name);

}  // namespace QrApp
