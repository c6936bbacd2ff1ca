#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "qrcom/protocol/DirectoryEntry.h"
#include "tests/support/Conversation.h"
#include "tests/support/Failures.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/ScriptedPort.h"

// Golden exchanges of the protocol tests (one header, so that the unity build sees them once).
namespace QrTest {

// The steps of an exchange: the bytes the host writes and the display's answer, in hex.
using Steps = std::vector<std::pair<std::string, std::string>>;

inline Steps operator+(Steps left, const Steps& right) {
  left.insert(left.end(), right.begin(), right.end());
  return left;
}

// Steps written as "host>answer|host>answer"; either part may be left out.
inline Steps steps(const std::string& script) {
  Steps result;
  std::istringstream in(script);
  for (std::string step; std::getline(in, step, '|');) {
    const size_t arrow = std::min(step.find('>'), step.size());
    result.push_back({step.substr(0, arrow), step.substr(std::min(arrow + 1, step.size()))});
  }
  return result;
}

// A frame on the wire: the 16-bit little-endian length, the body and SYNC.
inline std::string frameOf(const Bytes& body) {
  return toHex({static_cast<uint8_t>(body.size()), static_cast<uint8_t>(body.size() >> 8)}) + " " +
         toHex(body) + " 16";
}

// `count` times RECEIVE_DATA_BLOCK and the acknowledged `frame` (an upload's header or data).
inline Steps block(const std::string& frame, int count = 1) {
  Steps result;
  for (int i = 0; i < count; ++i) result = result + steps("03>06 03|" + frame + ">06 16");
  return result;
}

inline const Steps kEndOfFile = steps("04>06 04");

// The disk-space request answered with `figures` (total and free).
inline Steps diskSpace(const std::string& figures) {
  return steps("25>06 25 " + figures + " 16|06 16");
}

// A name command (`command` in hex) for `name`, its frame answered with `answer`.
inline Steps named(const std::string& command, const std::string& name, const std::string& answer) {
  return {{command, "06 " + command},
          {frameOf(Bytes(name.begin(), name.end()) + hex(command)), answer}};
}

// A list request `command` answered with `data` in blocks of the given sizes.
inline Steps listOf(const std::string& command, const std::string& data,
                    const std::vector<size_t>& sizes) {
  Steps result = {{command, "06 " + command + " 03"}};
  const Bytes bytes = hex(data);
  for (size_t at = 0, i = 0; i < sizes.size(); at += sizes[i++]) {
    result.push_back({"06 03", frameOf(Bytes(bytes.begin() + at, bytes.begin() + at + sizes[i]))});
    result.push_back({"06 16", at + sizes[i] == bytes.size() ? "04" : "03"});
  }
  return result;
}

// The progress a transfer reported: the bytes done at each report, "of" the total.
inline std::string progressOf(const RecordingSink& sink) {
  std::string text;
  for (const auto& report : sink.reports) text += std::to_string(report.doneBytes) + " ";
  return text + "of " + (sink.reports.empty() ? "-" : std::to_string(sink.reports[0].totalBytes)) +
         (sink.consistent ? "" : " (inconsistent)");
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

// For each purge on `port`, the next bytes written ("end" after the last write).
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

// One golden exchange: the steps, and how the operation ends: failure()'s "Class: message", or
// else what the operation returns (what it observed).
struct Golden {
  std::string name;
  std::function<std::string(QrCom::SerialPort& port)> operation;
  Steps steps;
  std::string outcome = "";
};

// An operation whose exchange is all there is to check.
inline std::function<std::string(QrCom::SerialPort&)> doing(
    const std::function<void(QrCom::SerialPort&)>& operation) {
  return [operation](QrCom::SerialPort& port) {
    operation(port);
    return std::string();
  };
}

// Plays each exchange on a fresh COM-like ScriptedPort and checks that the host wrote exactly
// the steps and that the operation ended as given.
inline void play(const std::vector<Golden>& exchanges) {
  for (const Golden& exchange : exchanges) {
    SCOPED_TRACE(exchange.name);
    ScriptedPort port;
    Conversation display(port);
    for (const auto& [host, answer] : exchange.steps) display.step(host, answer);
    std::string returned;
    const std::string failed = failure([&] { returned = exchange.operation(port); });
    EXPECT_EQ(failed == "(no failure)" ? returned : failed, exchange.outcome);
    EXPECT_TRUE(display.finished());
  }
}

}  // namespace QrTest
