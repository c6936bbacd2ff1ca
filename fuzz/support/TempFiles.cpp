#include "fuzz/support/TempFiles.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace QrFuzz {

const std::string& scratchFolder() {
  static const std::string folder = [] {
    const auto path =
        std::filesystem::temp_directory_path() / ("qr-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(path);
    return path.string();
  }();
  return folder;
}

std::string writeScratchFile(const std::string& name, const uint8_t* data, size_t size) {
  const std::string path = scratchFolder() + "/" + name;
  if (FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  return path;
}

void clearScratchFolder() {
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(scratchFolder(), ignored)) {
    std::filesystem::remove_all(entry.path(), ignored);
  }
}

}  // namespace QrFuzz
