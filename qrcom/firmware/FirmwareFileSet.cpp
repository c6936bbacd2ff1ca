#include "qrcom/firmware/FirmwareFileSet.h"

#include "qrcom/base/FileSearch.h"
#include "qrcom/base/NativeFile.h"
#include "qrcom/base/QrException.h"

namespace QrCom {

namespace {

constexpr wchar_t kCountPrefix[] = L"EpromVersion11FirmwareUploadStrategy::countFirmwareFiles--";
constexpr wchar_t kReadPrefix[] = L"EpromVersion11FirmwareUploadStrategy::readFirmwareFiles--";

// The path without its extension. Only a full stop in the file name counts, so that a dotted
// folder name ("fw.v2/FIRMWARE") stays whole.
std::wstring withoutExtension(const std::wstring& path) {
  const size_t stop = path.find_last_of(L'.');
  const size_t separator = path.find_last_of(L"\\/");
  if (stop == std::wstring::npos || (separator != std::wstring::npos && stop < separator)) {
    return path;
  }
  return path.substr(0, stop);
}

uint64_t sizeOf(const std::wstring& path) {
  NativeFile file(path, kFileRead);
  const int32_t size = file.getSize();
  if (size < 0 || static_cast<uint32_t>(size) > kMaxHexFileBytes) {
    throw ErrorWhileLoadingHexFileException(
        compose(kCountPrefix, L"Firmware file ", path, L" is too large."));
  }
  return static_cast<uint64_t>(size);
}

}  // namespace

FirmwareFileSet countFirmwareFiles(const std::wstring& path, QuorlinDevice* device,
                                   FirmwareUploadProgressSink* sink) {
  if (sink != nullptr) sink->onStage(device, kStageCountingFiles);
  FirmwareFileSet set;
  set.baseName = withoutExtension(path);
  // A gap ends the set: file n + 1 is only looked for when file n exists.
  std::optional<std::wstring> found = findFile(path);
  while (found) {
    set.totalBytes += sizeOf(*found);
    set.paths.push_back(*found);
    if (set.paths.size() == FirmwareFileSet::kMaxFiles) break;
    found = findFile(set.baseName + L".H0" + std::to_wstring(set.paths.size()));
  }
  set.count = static_cast<uint32_t>(set.paths.size());
  if (set.count == 0) throw NoHexFileFoundException(compose(kCountPrefix, L"No hex-file found."));
  if (set.totalBytes == 0) {
    throw HexFilesAreEmptyException(compose(kCountPrefix, L"Firmware files are empty."));
  }
  return set;
}

std::vector<HexFile> readFirmwareFiles(const FirmwareFileSet& set) {
  std::vector<HexFile> files;
  for (const std::wstring& path : set.paths) files.push_back(readHexFile(path, kReadPrefix));
  return files;
}

}  // namespace QrCom
