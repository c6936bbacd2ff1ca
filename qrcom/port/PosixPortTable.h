#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace QrCom {

// Linux has no COM numbers: this table gives each candidate tty one. Without an explicit list
// the candidates are the /dev/ttyS*, ttyUSB*, ttyACM* and rfcomm* ttys that exist (a ttyS
// whose UART sysfs reports as absent is left out), numbered in that order and by their own
// number the first time they are seen; a number stays with its tty for the life of the
// program, so a device keeps its port across searches.
class PosixPortTable {
 public:
  explicit PosixPortTable(std::string devices = "/dev", std::string ttyClass = "/sys/class/tty");

  // The application's own list (--port PATH): exactly these paths, numbered 1, 2, ... in this
  // order. An empty list brings the automatic scan back.
  void setPaths(const std::vector<std::string>& paths);
  // The numbers of the candidates present now, ascending.
  std::vector<int> numbers();
  // The tty of `number`; empty when there is none.
  std::string path(int number) const;

 private:
  std::vector<std::string> scan() const;
  int numberOf(const std::string& path);

  const std::string devices_;
  const std::string ttyClass_;
  mutable std::mutex mutex_;
  bool explicit_ = false;             // guarded by mutex_
  std::map<int, std::string> paths_;  // guarded by mutex_
};

// The process-wide table behind enumerateComPorts and openComPort.
PosixPortTable& portTable();

}  // namespace QrCom
