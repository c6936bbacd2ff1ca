// Braille table files of a firmware package, .asc (by position) and .jbt (by character), read
// through the file path as the update reads them.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "app/BrailleTable.h"
#include "app/BrailleTableFormat.h"
#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"

namespace {

std::string tableFile(const char* extension) {
  return "/tmp/qr-fuzz-table-" + std::to_string(getpid()) + extension;
}

void readThroughFile(const uint8_t* data, size_t size, const char* extension) {
  const std::string path = tableFile(extension);
  if (FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  try {
    QrApp::BrailleTable table(QrCom::fromUtf8(path));
    (void)table.name();
  } catch (const QrCom::QrException&) {
  }
  std::remove(path.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  uint8_t dots[256] = {};
  QrApp::parseAscTable(content, dots);
  QrApp::parseJbtTable(content, dots);
  readThroughFile(data, size, ".asc");
  readThroughFile(data, size, ".JBT");
  return 0;
}
