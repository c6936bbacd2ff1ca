#include "qrcom/port/HidReportDescriptor.h"

#include <map>
#include <vector>

namespace QrCom {

namespace {

enum ItemType { kMain = 0, kGlobal = 1 };
enum MainTag { kInput = 0x8, kOutput = 0x9 };
enum GlobalTag { kReportSize = 0x7, kReportId = 0x8, kReportCount = 0x9, kPush = 0xA, kPop = 0xB };
constexpr uint8_t kLongItem = 0xFE;

struct Globals {
  uint32_t reportSize = 0;
  uint32_t reportCount = 0;
  uint32_t reportId = 0;
};

uint32_t itemValue(const uint8_t* data, size_t size) {
  uint32_t value = 0;
  for (size_t i = 0; i < size; ++i) value |= static_cast<uint32_t>(data[i]) << (8 * i);
  return value;
}

uint32_t longestReport(const std::map<uint32_t, uint64_t>& bits) {
  uint64_t longest = 0;
  for (const auto& report : bits) longest = std::max(longest, report.second);
  if (longest == 0) return 0;
  return static_cast<uint32_t>((longest + 7) / 8) + 1;
}

}  // namespace

std::optional<HidCapabilities> reportLengths(const uint8_t* descriptor, size_t length) {
  Globals globals;
  std::vector<Globals> stack;
  std::map<uint32_t, uint64_t> inputBits;
  std::map<uint32_t, uint64_t> outputBits;
  size_t position = 0;
  while (position < length) {
    const uint8_t prefix = descriptor[position];
    if (prefix == kLongItem) {
      if (position + 1 >= length) return std::nullopt;
      position += 3 + descriptor[position + 1];
      continue;
    }
    const size_t size = (prefix & 0x3) == 3 ? 4 : (prefix & 0x3);
    if (position + 1 + size > length) return std::nullopt;
    const uint32_t value = itemValue(descriptor + position + 1, size);
    const int type = (prefix >> 2) & 0x3;
    const int tag = prefix >> 4;
    if (type == kGlobal) {
      switch (tag) {
        case kReportSize:
          globals.reportSize = value;
          break;
        case kReportCount:
          globals.reportCount = value;
          break;
        case kReportId:
          globals.reportId = value;
          break;
        case kPush:
          stack.push_back(globals);
          break;
        case kPop:
          if (!stack.empty()) {
            globals = stack.back();
            stack.pop_back();
          }
          break;
        default:
          break;
      }
    } else if (type == kMain && (tag == kInput || tag == kOutput)) {
      auto& bits = tag == kInput ? inputBits : outputBits;
      bits[globals.reportId] += static_cast<uint64_t>(globals.reportSize) * globals.reportCount;
    }
    position += 1 + size;
  }
  HidCapabilities capabilities;
  capabilities.inputReportLength = longestReport(inputBits);
  capabilities.outputReportLength = longestReport(outputBits);
  if (capabilities.inputReportLength == 0 && capabilities.outputReportLength == 0) {
    return std::nullopt;
  }
  return capabilities;
}

}  // namespace QrCom
