#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qrcom/firmware/HexFile.h"
#include "qrcom/firmware/ProgressSinks.h"

namespace QrCom {

// The firmware of an older display: the chosen file (normally NAME.H00) followed by NAME.H01 up
// to NAME.H08, file n going into flash bank n. The first missing name ends the set.
struct FirmwareFileSet {
  static constexpr uint32_t kMaxFiles = 9;

  uint32_t count = 0;
  uint64_t totalBytes = 0;
  // The chosen path without its extension.
  std::wstring baseName;
  // File 0 is the chosen path, file n the base name formatted with "%s.H0%d", each as the file
  // search found it.
  std::vector<std::wstring> paths;
};

// Counts the set that begins with `path` and sums its sizes; reports stage 0 to `sink` (may be
// null). Throws NoHexFileFoundException when `path` does not exist, HexFilesAreEmptyException
// when every file is empty, ErrorWhileLoadingHexFileException for a file larger than
// kMaxHexFileBytes, and the file's own exception when one cannot be opened or sized.
FirmwareFileSet countFirmwareFiles(const std::wstring& path, QuorlinDevice* device,
                                   FirmwareUploadProgressSink* sink);

// Reads every file of the set and cuts it into records, so that a damaged set is refused before
// the display is touched and later changes to the files cannot reach the display half-way.
std::vector<HexFile> readFirmwareFiles(const FirmwareFileSet& set);

}  // namespace QrCom
