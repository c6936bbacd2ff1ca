#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "qrcom/protocol/DirectoryEntry.h"
#include "tests/support/Exchanges.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedPort.h"

// Building blocks of the golden exchanges of the file-system protocol, shared by the protocol
// tests (one header, so that the unity build sees them once).
namespace QrTest {

using Steps = std::vector<std::pair<std::string, std::string>>;

inline Steps operator+(Steps left, const Steps& right) {
  left.insert(left.end(), right.begin(), right.end());
  return left;
}

// A frame on the wire: the 16-bit little-endian length, the body and SYNC.
inline std::string frameOf(const Bytes& body) {
  return toHex({static_cast<uint8_t>(body.size() & 0xFF), static_cast<uint8_t>(body.size() >> 8)}) +
         " " + toHex(body) + " 16";
}

// The disk-space request answered with `figures` (hex, without ACK, echo and SYNC).
inline Steps diskSpace(const std::string& figures) {
  return {{"25", "06 25 " + figures + " 16"}, {"06 16", ""}};
}

// RECEIVE_DATA_BLOCK and the acknowledged `frame` (an upload's header or data).
inline Steps block(const std::string& frame) {
  return {{"03", "06 03"}, {frame, "06 16"}};
}

// `count` acknowledged data blocks of `size` bytes `fill`.
inline Steps blocks(int count, size_t size, uint8_t fill) {
  Steps steps;
  for (int i = 0; i < count; ++i) steps = steps + block(frameOf(Bytes(size, fill)));
  return steps;
}

inline const Steps kEndOfFile = {{"04", "06 04"}};

// A name command (`command` hex) for `name`, the frame answered with `answer`.
inline Steps named(const std::string& command, const std::string& name, const std::string& answer) {
  return {{command, "06 " + command},
          {frameOf(Bytes(name.begin(), name.end()) + hex(command)), answer}};
}

// A list request `command` answered with `data` (hex) in blocks of the given sizes.
inline Steps listOf(const std::string& command, const std::string& data,
                    const std::vector<size_t>& sizes) {
  Steps steps = {{command, "06 " + command + (sizes.empty() ? " 04" : " 03")}};
  const Bytes bytes = hex(data);
  size_t at = 0;
  for (size_t size : sizes) {
    steps.push_back({"06 03", frameOf(Bytes(bytes.begin() + at, bytes.begin() + at + size))});
    at += size;
    steps.push_back({"06 16", at == bytes.size() ? "04" : "03"});
  }
  return steps;
}

// The entries as "path flags year-month-day hour:minute:second size", comma-separated.
inline std::string entries(const std::vector<QrCom::DirectoryEntry>& list) {
  std::string text;
  for (const QrCom::DirectoryEntry& entry : list) {
    const QrCom::EntryTime& time = entry.time();
    char figures[96];
    std::snprintf(figures, sizeof figures, " %u %d-%u-%u %u:%u:%u %llu", entry.flags(), time.year,
                  time.month, time.day, time.hour, time.minute, time.second,
                  static_cast<unsigned long long>(entry.size()));
    text += (text.empty() ? "" : ", ") + describe(entry.path()) + figures;
  }
  return text;
}

// For each purge on `port`, the next bytes written ("end" after the last write): where the host
// starts afresh.
inline std::string purges(const QrCom::SerialPort& port) {
  const auto& calls = static_cast<const ScriptedPort&>(port).calls();
  std::string text;
  for (size_t i = 0; i < calls.size(); ++i) {
    if (calls[i].type != ScriptedPort::Call::Purge) continue;
    size_t next = i + 1;
    while (next < calls.size() && calls[next].type == ScriptedPort::Call::Read) ++next;
    text += (text.empty() ? "" : "|") + (next == calls.size() ? "end" : toHex(calls[next].bytes));
  }
  return text;
}

}  // namespace QrTest
