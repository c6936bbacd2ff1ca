#include "qrcom/port/PosixPortTable.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace QrCom {

namespace {

constexpr const char* kPrefixes[] = {"ttyS", "ttyUSB", "ttyACM", "rfcomm"};

// The prefix index and number of a candidate tty name ("ttyUSB3" is {1, 3}); false for others.
bool candidate(const std::string& name, size_t& group, long& number) {
  for (size_t i = 0; i < std::size(kPrefixes); ++i) {
    const std::string prefix = kPrefixes[i];
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string digits = name.substr(prefix.size());
    if (digits.size() > 6 || !std::all_of(digits.begin(), digits.end(), ::isdigit)) return false;
    group = i;
    number = std::stol(digits);
    return true;
  }
  return false;
}

}  // namespace

PosixPortTable::PosixPortTable(std::string devices, std::string ttyClass)
    : devices_(std::move(devices)), ttyClass_(std::move(ttyClass)) {}

void PosixPortTable::setPaths(const std::vector<std::string>& paths) {
  std::lock_guard<std::mutex> guard(mutex_);
  paths_.clear();
  explicit_ = !paths.empty();
  int number = 0;
  for (const std::string& path : paths) paths_[++number] = path;
}

std::vector<std::string> PosixPortTable::scan() const {
  struct Found {
    size_t group;
    long number;
    std::string path;
  };
  std::vector<Found> found;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(devices_, error)) {
    const std::string name = entry.path().filename().string();
    Found tty{0, 0, entry.path().string()};
    if (!candidate(name, tty.group, tty.number)) continue;
    if (tty.group == 0) {
      // The serial driver lists every ttyS it could drive; "type" 0 means no UART answers.
      std::ifstream type(ttyClass_ + "/" + name + "/type");
      int uart = 1;
      if (type >> uart && uart == 0) continue;
    }
    found.push_back(tty);
  }
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    return a.group != b.group ? a.group < b.group : a.number < b.number;
  });
  std::vector<std::string> paths;
  for (const Found& tty : found) paths.push_back(tty.path);
  return paths;
}

int PosixPortTable::numberOf(const std::string& path) {
  for (const auto& [number, known] : paths_) {
    if (known == path) return number;
  }
  const int number = paths_.empty() ? 1 : paths_.rbegin()->first + 1;
  paths_[number] = path;
  return number;
}

std::vector<int> PosixPortTable::numbers() {
  std::lock_guard<std::mutex> guard(mutex_);
  std::vector<int> numbers;
  if (explicit_) {
    for (const auto& entry : paths_) numbers.push_back(entry.first);
    return numbers;
  }
  for (const std::string& path : scan()) numbers.push_back(numberOf(path));
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

std::string PosixPortTable::path(int number) const {
  std::lock_guard<std::mutex> guard(mutex_);
  const auto found = paths_.find(number);
  return found == paths_.end() ? std::string() : found->second;
}

PosixPortTable& portTable() {
  static PosixPortTable table;
  return table;
}

}  // namespace QrCom
