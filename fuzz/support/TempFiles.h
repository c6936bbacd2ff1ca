#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace QrFuzz {

// A folder of this process under /tmp for the files a target reads or the host writes.
const std::string& scratchFolder();
// Writes `data` to `name` in the scratch folder and returns the full path.
std::string writeScratchFile(const std::string& name, const uint8_t* data, size_t size);
// Empties the scratch folder (each run starts without the files of the last).
void clearScratchFolder();

}  // namespace QrFuzz
