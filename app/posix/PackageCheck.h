#pragma once

#include <cstdint>
#include <string>

namespace QrApp {

// What --check found: the report for people and the exit status (0: the package would go,
// 1: a file is damaged, 5: it does not fit, 2: there is no such folder).
struct PackageCheck {
  std::wstring report;
  int exitStatus = 0;
};

// Reads the package in `folder` as the update of a `modelId` display would, verifies every
// firmware record and tells what would be sent in which order, or why the package does not fit.
// With model 0 only the main firmware is checked, since the other files depend on the model.
// Nothing but the folder is opened.
PackageCheck checkPackage(const std::wstring& folder, uint8_t modelId, uint16_t language);

}  // namespace QrApp
