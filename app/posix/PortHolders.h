#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace QrApp {

// A process that has a port open: what the user needs to know when the port stays busy.
struct PortHolder {
  std::string path;  // as asked for
  int pid = 0;
  std::string name;  // the process's command name
};

// The processes other than this one that have one of `paths` open, under that name or another
// one for the same file, as `proc` (the proc file system) shows them; processes whose
// descriptors this user may not read stay unknown. In the order of `paths`, then of the order
// `proc` lists the processes in.
std::vector<PortHolder> findPortHolders(const std::vector<std::string>& paths,
                                        const std::string& proc = "/proc");

// "/dev/ttyUSB0 is in use by brltty (process 812)." in `language`.
std::wstring portHolderText(const PortHolder& holder, uint16_t language);

}  // namespace QrApp
