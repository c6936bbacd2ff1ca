#include "qrcom/protocol/BrailleTablesNames.h"

namespace QrCom {

void BrailleTablesNames::setName(int slot, const std::wstring& name) {
  if (slot < kFirstSlot || slot > kLastSlot) return;
  names_[slot] = name.substr(0, kMaxName);
}

const std::wstring* BrailleTablesNames::name(int slot) const {
  const auto found = names_.find(slot);
  return found == names_.end() ? nullptr : &found->second;
}

int BrailleTablesNames::findSlot(const std::wstring& name) const {
  for (const auto& [slot, stored] : names_) {
    if (stored == name) return slot;
  }
  return 0;
}

int BrailleTablesNames::firstFreeSlot() const {
  for (int slot = kFirstSlot; slot <= kLastSlot; ++slot) {
    if (names_.count(slot) == 0) return slot;
  }
  return 0;
}

}  // namespace QrCom
