#pragma once

#include <optional>
#include <string>

namespace QrApp {

// The one persisted setting: the folder of the last update that was started (a file under the
// user's configuration folder on Linux, the registry on Windows).
class FolderSettings {
 public:
  virtual ~FolderSettings() = default;
  virtual std::optional<std::wstring> readLastFolder() = 0;
  // A failure to store is ignored: the update goes on without it.
  virtual void writeLastFolder(const std::wstring& folder) = 0;
};

}  // namespace QrApp
