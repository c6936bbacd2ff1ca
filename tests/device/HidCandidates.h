#pragma once

#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "qrcom/base/QrException.h"
#include "qrcom/port/ComPorts.h"
#include "tests/support/Conversation.h"
#include "tests/support/ScopedHidLink.h"
#include "tests/support/ScriptedPort.h"

namespace QrTest {

// The device side of one display: (host bytes, answer) steps as Conversation plays them.
using Script = std::vector<std::pair<std::string, std::string>>;

// A display that identifies itself as `modelId` with protocol `versionAnswer`.
inline Script identifyingDisplay(const std::string& modelId, const std::string& versionAnswer) {
  return {{"FF", "FE " + modelId}, {"0C", versionAnswer}, {"06 16", ""}};
}

// A HID port with a freshly scripted display behind it.
class ScriptedDisplayPort : public ScriptedPort {
 public:
  explicit ScriptedDisplayPort(const Script& script)
      : ScriptedPort(nullptr, Kind::Hid), display_(*this) {
    for (const auto& [host, device] : script) display_.step(host, device);
  }

 private:
  Conversation display_;
};

// USB-HID interfaces for the HID link: each open of a path finds its display answering afresh.
// Safe for probes on several threads.
class HidCandidates {
 public:
  void add(const std::wstring& path, Script script) {
    interfaces_[path].script = std::move(script);
    paths_.push_back(path);
  }
  // An interface another program holds open.
  void addBusy(const std::wstring& path) {
    interfaces_[path].busy = true;
    paths_.push_back(path);
  }
  // Listed by the system but not one of the displays' interfaces.
  void addForeign(const std::wstring& path) { paths_.push_back(path); }

  ScopedHidLink::Lister lister() {
    return [this] {
      std::lock_guard<std::mutex> guard(mutex_);
      ++enumerations_;
      return paths_;
    };
  }
  QrCom::HidPortOpener opener() {
    return [this](const std::wstring& path) -> std::unique_ptr<QrCom::SerialPort> {
      std::lock_guard<std::mutex> guard(mutex_);
      opens_.push_back(path);
      const Interface& found = interfaces_.at(path);
      if (found.busy) throw QrCom::UnableToOpenPortException(L"Can not open port");
      return std::make_unique<ScriptedDisplayPort>(found.script);
    };
  }

  std::vector<std::wstring> opens() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return opens_;
  }
  int enumerations() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return enumerations_;
  }

 private:
  struct Interface {
    Script script;
    bool busy = false;
  };

  mutable std::mutex mutex_;
  std::map<std::wstring, Interface> interfaces_;
  std::vector<std::wstring> paths_;
  std::vector<std::wstring> opens_;
  int enumerations_ = 0;
};

}  // namespace QrTest
