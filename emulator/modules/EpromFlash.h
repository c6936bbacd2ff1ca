#pragma once

#include <string>
#include <vector>

namespace QrEmu {

// The flash of an older display as its boot loader programs it: up to eight banks, each holding
// the Intel HEX records received since its upload began.
class EpromFlash {
 public:
  explicit EpromFlash(int banks);

  int banks() const { return static_cast<int>(banks_.size()); }
  void erase();
  // A new upload into `bank` replaces what it held.
  void beginUpload(int bank);
  // Programs a record into `bank`; false (and nothing stored) unless it is a sound record:
  // colon, hex digit pairs, the announced length, a checksum that holds.
  bool program(int bank, const std::string& record);

  const std::vector<std::string>& records(int bank) const;
  // "" when `bank` holds exactly the records of the Intel HEX text `hexText` (CR LF or LF);
  // otherwise the first difference, for a test's message.
  std::string differenceFrom(int bank, const std::string& hexText) const;

 private:
  std::vector<std::vector<std::string>> banks_;
};

}  // namespace QrEmu
