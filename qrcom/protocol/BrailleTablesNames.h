#pragma once

#include <cstddef>
#include <map>
#include <string>

namespace QrCom {

// The names of the Braille tables in a device's slots 1 to 9; a slot without a name is free.
class BrailleTablesNames {
 public:
  static constexpr int kFirstSlot = 1;
  static constexpr int kLastSlot = 9;
  static constexpr size_t kMaxName = 260;

  virtual ~BrailleTablesNames() = default;

  // Stores `name` (cut to kMaxName characters) for `slot`; slots outside 1 to 9 are ignored.
  void setName(int slot, const std::wstring& name);
  // The name in `slot`, nullptr when the slot is free.
  const std::wstring* name(int slot) const;
  // The slot holding a table called `name`, 0 when none does.
  int findSlot(const std::wstring& name) const;
  // The lowest free slot, 0 when all are taken.
  int firstFreeSlot() const;
  bool empty() const { return names_.empty(); }
  size_t size() const { return names_.size(); }
  void clear() { names_.clear(); }

 private:
  std::map<int, std::wstring> names_;
};

}  // namespace QrCom
