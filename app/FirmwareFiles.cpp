// Where the main firmware of a package is found, and which Fundo firmware can be updated.
#include <optional>
#include <vector>

#include "app/FileSearch.h"
#include "app/FirmwareUploadControler.h"

namespace QrApp {

namespace {

void takeMainFirmware(const std::wstring& folder, const std::wstring& name, std::wstring& slot,
                      std::wstring& modelCode) {
  slot = joinPath(folder, name);
  modelCode = name.substr(0, 3);
}

// The leading digits of `part` as a number; none count as 0. Large values saturate.
unsigned leadingNumber(const std::wstring& part) {
  unsigned value = 0;
  for (wchar_t character : part) {
    if (character < L'0' || character > L'9') break;
    value = value > 100000 ? value : value * 10 + static_cast<unsigned>(character - L'0');
  }
  return value;
}

std::vector<std::wstring> partsOf(const std::wstring& version) {
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  while (start <= version.size()) {
    std::size_t dot = version.find(L'.', start);
    if (dot == std::wstring::npos) dot = version.size();
    if (dot > start) parts.push_back(version.substr(start, dot - start));
    start = dot + 1;
  }
  return parts;
}

}  // namespace

bool FirmwareUploadControler::findFirmwareFile(const std::wstring& folder) {
  const std::optional<FoundFile> found = findMainFirmware(folder);
  if (!found) return false;
  takeMainFirmware(folder, found->name, package_.slots[kMainFirmware], firmwareModelCode_);
  return true;
}

bool FirmwareUploadControler::findFundoFirmwareFile(const std::wstring& folder, bool bluetooth) {
  if (!folderExists(folder)) return false;
  const std::optional<FoundFile> found =
      findFirstFile(folder, bluetooth ? L"FNX_BT.hex" : L"FNX.hex");
  if (!found) {
    firmwareModelCode_.clear();
    return false;
  }
  takeMainFirmware(folder, found->name, package_.slots[kMainFirmware], firmwareModelCode_);
  package_.bytes[kMainFirmware] = found->size;
  return true;
}

void FirmwareUploadControler::clearMainFirmware() {
  package_.slots[kMainFirmware].clear();
  package_.bytes[kMainFirmware] = 0;
}

bool FirmwareUploadControler::firmwareVersionSupportsUpdate(const std::wstring& version) {
  const std::vector<std::wstring> parts = partsOf(version);
  if (parts.empty()) return false;
  const unsigned major = leadingNumber(parts[0]);
  if (major != 3) return major > 3;
  if (parts.size() < 2) return false;
  // "3.30" and "3.3" are the same version; "3.4" is later than "3.30".
  const unsigned minor = leadingNumber(parts[1]);
  return parts[1].size() == 2 ? minor >= 30 : minor >= 3;
}

}  // namespace QrApp
