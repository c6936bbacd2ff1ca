#include "emulator/modules/EpromFlash.h"

#include <sstream>

namespace QrEmu {

namespace {

int hexDigit(char digit) {
  if (digit >= '0' && digit <= '9') return digit - '0';
  if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
  if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
  return -1;
}

bool isSound(const std::string& record) {
  if (record.size() < 11 || record[0] != ':' || record.size() % 2 == 0) return false;
  unsigned sum = 0;
  unsigned length = 0;
  for (size_t i = 1; i < record.size(); i += 2) {
    const int high = hexDigit(record[i]);
    const int low = hexDigit(record[i + 1]);
    if (high < 0 || low < 0) return false;
    const unsigned value = static_cast<unsigned>(high * 16 + low);
    if (i == 1) length = value;
    sum += value;
  }
  return record.size() == 11 + 2 * length && sum % 256 == 0;
}

}  // namespace

EpromFlash::EpromFlash(int banks) : banks_(static_cast<size_t>(banks)) {}

void EpromFlash::erase() {
  for (auto& bank : banks_) bank.clear();
}

void EpromFlash::beginUpload(int bank) {
  banks_.at(static_cast<size_t>(bank)).clear();
}

bool EpromFlash::program(int bank, const std::string& record) {
  if (!isSound(record)) return false;
  banks_.at(static_cast<size_t>(bank)).push_back(record);
  return true;
}

const std::vector<std::string>& EpromFlash::records(int bank) const {
  return banks_.at(static_cast<size_t>(bank));
}

std::string EpromFlash::differenceFrom(int bank, const std::string& hexText) const {
  std::vector<std::string> expected;
  std::istringstream lines(hexText);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) expected.push_back(line);
  }
  const std::vector<std::string>& held = records(bank);
  for (size_t i = 0; i < expected.size() || i < held.size(); ++i) {
    const std::string want = i < expected.size() ? expected[i] : "(nothing)";
    const std::string got = i < held.size() ? held[i] : "(nothing)";
    if (want != got) {
      return "bank " + std::to_string(bank) + " record " + std::to_string(i) + ": holds " + got +
             ", the file has " + want;
    }
  }
  return "";
}

}  // namespace QrEmu
