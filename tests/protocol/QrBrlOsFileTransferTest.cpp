#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <tuple>

#include "qrcom/base/LocalFile.h"
#include "qrcom/base/NativeSync.h"
#include "qrcom/base/QrException.h"
#include "qrcom/protocol/DirectoryEntry.h"
#include "qrcom/protocol/QrBrlOsVersion102FileTransferStrategy.h"
#include "tests/protocol/ProtocolSteps.h"
#include "tests/support/TempDir.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

using namespace QrTest;

const std::string kCurrentFs = "QrBrlOsFileTransferStrategy::";
// 4 GiB in all, 2 GiB + 1 free.
const Steps kDiskSpace = diskSpace("00 00 00 01 00 00 00 00 00 00 00 00 80 00 00 01");

// The header frame for `name` (hex) and the local file `path`, stamped with its file time.
std::string headerOf(const std::string& name, const std::wstring& path) {
  CalendarTime t;
  EXPECT_TRUE(getFileTime(path.c_str(), &t));
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%02X %02X %02X %02X %02X %02X %02X", t.year >> 8,
                t.year & 0xFF, t.month, t.day, t.hour, t.minute, t.second);
  return frameOf(hex("1C " + name + " 05 " + stamp + " 01 0F"));
}

// A.TXT, a file of 0x0102030405 bytes; LANGUAGE, a folder.
constexpr char kRecords[] =
    "1C 05 41 2E 54 58 54 00 07 E8 05 01 0E 05 21 00 00 00 01 02 03 04 05 "
    "1C 08 4C 41 4E 47 55 41 47 45 02 07 E8 05 01 0E 05 21 00 00 00 00 00 00 10 00";
// N, a file.
constexpr char kN[] = "1C 01 4E 00 07 E8 05 01 0E 05 21 00 00 00 00 00 00 00 00";

TEST(QrBrlOsFileTransferTest, Exchanges) {
  TempDir dir;
  const std::wstring z1100 = dir.write(L"z", std::string(1100, 'z'));
  QrBrlOsFileTransferStrategy strategy(0x54);
  RecordingSink sink;
  const auto up = [&](const std::wstring& source, const std::wstring& target) {
    return [&, source, target](SerialPort& port) {
      sink = RecordingSink();
      strategy.receiveFile(port, nullptr, source, target, 0, 1, &sink);
      return progressOf(sink);
    };
  };
  // Downloads `source` into a: the progress and the size of a.
  const auto down = [&](const std::wstring& source, uint64_t size) {
    return [&, source, size](SerialPort& port) {
      RecordingSink sink;
      strategy.sendFile(port, nullptr, source, dir.path(L"a"), size, &sink);
      return progressOf(sink) + " " + std::to_string(dir.read(L"a").size());
    };
  };
  Steps blocksOf514 = named("21", "A.TXT", "06 16 03");
  for (int i = 0; i < 60; ++i) {
    blocksOf514 = blocksOf514 + steps("06 03>" + frameOf(Bytes(514, 'd')) + " 03|06 16");
  }
  const std::string z512 = frameOf(Bytes(512, 'z'));
  const std::string a = " 0 2024-5-1 14:5:33 4328719365, ";
  const std::string language = " 2 2024-5-1 14:5:33 4096";
  play({
      {"1100 bytes in blocks of 512, progress after each", up(z1100, L"A.TXT"),
       kDiskSpace + block(headerOf("41 2E 54 58 54", z1100)) + block(z512, 2) +
           block(frameOf(Bytes(76, 'z'))) + kEndOfFile,
       "0 512 1024 1100 of 1100"},
      {"a name of 261", up(z1100, std::wstring(261, L'N')), steps(""),
       "IllegalTargetFileName: QrBrlOsV30FileTransferStrategy::getTargetFileName -- "
       "TargetFilename too long."},
      // (30840 - done) / 514 + 2 is a multiple of 50 at done 6168; 514 is the first block.
      {"download in blocks of 514", down(L"A.TXT", 30840),
       blocksOf514 + steps("06 03>00 00 16|06 16>04"), "0 514 6168 30840 of 30840 30840"},
      {"a block of 515", down(L"A.TXT", 3), named("21", "A.TXT", "06 16 03") + steps("06 03>03 02"),
       "ErrorInProtocol: " + kCurrentFs +
           "DoSendFile -- Requested package size exceeds maximum size."},
      {"disk space in 64 bits",
       [&](SerialPort& port) {
         uint64_t total = 0, free = 0;
         strategy.sendDiskSpace(port, total, free);
         return std::to_string(total) + " " + std::to_string(free);
       },
       kDiskSpace, "4294967296 2147483649"},
      {"file lists follow the current directory",
       [&](SerialPort& port) {
         std::vector<DirectoryEntry> list;
         strategy.changeDirectory(port, L"/QRSYS/");
         const uint32_t count = strategy.sendFileList(port, list);
         return std::to_string(count) + ": " + entries(list);
       },
       named("27", "/QRSYS/", "06 16") + listOf("20", kRecords, {49}),
       "2: /QRSYS/A.TXT" + a + "/QRSYS/LANGUAGE" + language},
      // The user interface cancels while the transfer waits after its first block.
      {"cancel from another thread",
       [&](SerialPort& port) {
         NativeEvent firstBlock;
         NativeEvent cancelled;
         sink.onReport = [&](uint64_t done) {
           if (done == 512) firstBlock.set(), cancelled.wait();
         };
         std::string failure;
         std::thread worker([&] {
           failure = QrTest::failure(
               [&] { strategy.receiveFile(port, nullptr, z1100, L"F", 0, 1, &sink); });
         });
         firstBlock.wait();
         strategy.cancel();
         cancelled.set();
         worker.join();
         return failure;
       },
       kDiskSpace + block(headerOf("46", z1100)) + block(z512) + steps("43>06 43"),
       "TransmissionCanceledByUser: " + kCurrentFs +
           "doReceiveFile -- Transmission canceled by user (PC side)."},
      // A cancelled strategy sends nothing more, not even the rate switch; a clone starts afresh.
      {"after a cancel",
       [&](SerialPort& port) {
         static_cast<ScriptedPort&>(port).setCanChangeBaudRate(true);
         strategy.receiveFile(port, nullptr, z1100, L"A", 0, 1, nullptr);
         strategy.sendFile(port, nullptr, L"A", dir.path(L"b"), 3, nullptr);
         strategy.makeDirectory(port, L"D");
         strategy.changeDirectory(port, L"D");
         strategy.makePath(port, L"/D/E");
         strategy.clone()->makeDirectory(port, L"D");
         return dir.exists(L"b") ? "b downloaded" : "";
       },
       named("26", "D", "06 16")},
  });
}

TEST(QrBrlOsListTest, ListDataIsBounded) {
  QrBrlOsFileTransferStrategy strategy(0x54);
  // A device that never ends its list: full blocks of zeros, one after another.
  ScriptedPort port;
  size_t blocks = 0;
  port.setResponder([&](const Bytes& written, ScriptedPort& self) {
    const std::string command = toHex(written);
    if (command == "06 03") ++blocks;
    self.deliver(hex(command == "20"      ? "06 20 03"
                     : command == "06 16" ? "03"
                                          : frameOf(Bytes(514, 0))));
  });
  std::vector<DirectoryEntry> list;
  EXPECT_EQ(failure([&] { strategy.sendFileList(port, list); }),
            "ErrorInProtocol: " + kCurrentFs + "sendFileList -- List exceeds 1048576 bytes.");
  EXPECT_EQ(blocks, 1048576u / 514 + 1);  // the last one announced, refused unread
}

Steps change(const std::string& path, const char* answer = "15 1D") {  // NAK 29: no folder
  return named("27", path, answer);
}
Steps make(const std::string& path, const char* answer = "06 16") {
  return named("26", path, answer);
}

TEST(QrBrlOsDirectoryTest, Exchanges) {
  // With a fresh strategy, makes the path `first`, then changes to `second` (if any): the path
  // the next file list gives a record named N, and any failure.
  const auto walk = [](const std::wstring& first, const std::wstring& second = L"") {
    return [first, second](SerialPort& port) {
      QrBrlOsFileTransferStrategy strategy(0x54);
      const std::string failed = failure([&] {
        strategy.makePath(port, first);
        if (!second.empty()) strategy.changeDirectory(port, second);
      });
      ScriptedPort listing;
      Conversation device(listing);
      for (const auto& [host, answer] : listOf("20", kN, {19})) device.step(host, answer);
      std::vector<DirectoryEntry> entries;
      strategy.sendFileList(listing, entries);
      return describe(entries.at(0).path()) + ", " + failed;
    };
  };
  const std::string invalid =
      "CannotChangeToDirectory: " + kCurrentFs + "ChangeDirectory -- invalid folder specified.";
  play({
      {"an existing path is one change", walk(L"/QRSYS/LANGUAGE"),
       change("/QRSYS/LANGUAGE", "06 16"), "/QRSYS/LANGUAGE/N, (no failure)"},
      {"existing segments skipped", walk(L"/QRSYS/TUTORIALS/"),
       change("/QRSYS/TUTORIALS/") + change("/QRSYS", "06 16") + change("TUTORIALS") +
           make("TUTORIALS") + change("TUTORIALS", "06 16"),
       "TUTORIALS/N, (no failure)"},
      {"a refused make", walk(L"/A"), change("/A") + change("/A") + make("/A", "15 0E"),
       "/N, ErrorOnDevice: " + kCurrentFs + "makeDirectory -- Cannot write to file."},
      {"a refused change after the make", walk(L"/A"),
       change("/A") + change("/A") + make("/A") + change("/A"), "/N, " + invalid},
      // Every refused change is a CannotChangeToDirectory; the directory is forgotten.
      {"a refused change", walk(L"/QRSYS", L"/NONE"),
       change("/QRSYS", "06 16") + change("/NONE", "15 18"), "/N, CannotChangeToDirectory: "},
      {"a path of only blanks goes out empty", walk(L"/QRSYS", L" \t"),
       change("/QRSYS", "06 16") + change(""), "/N, " + invalid},
  });
  // A cancel stops the walk.
  ScriptedPort port;
  Conversation device(port);
  QrBrlOsFileTransferStrategy strategy(0x54);
  for (const auto& [host, answer] : change("/QRSYS/LANGUAGE") + change("/QRSYS")) {
    device.step(host, answer);
  }
  device.then([&] { strategy.cancel(); });
  strategy.makePath(port, L"/QRSYS/LANGUAGE");
  EXPECT_TRUE(device.finished());
}

constexpr EntryTime kTime = {2024, 5, 1, 14, 5, 33};

// Split at the last slash, or else at the last backslash. A link no platform resolves keeps its
// path.
TEST(DirectoryEntryTest, PathsAndNames) {
  for (const auto& [path, directory, name] : {std::tuple{L"A\\B/C\\D.TXT", L"A\\B/", L"C\\D.TXT"},
                                              {L"A.TXT", L"", L"A.TXT"},
                                              {L"/QRSYS/Demo.LnK", L"/QRSYS/", L"Demo.LnK"}}) {
    const DirectoryEntry entry(path, 0, kTime, 10);
    EXPECT_EQ(entry.directory() + L"|" + entry.name() + L"|" + entry.path(),
              std::wstring(directory) + L"|" + name + L"|" + path);
  }
}

TEST(DirectoryEntryTest, Dates) {
  // No date text (-) for impossible dates; the seconds are not checked.
  std::string dates;
  for (EntryTime time :
       {kTime, EntryTime{2024, 2, 29, 23, 59, 59}, EntryTime{2024, 7, 31, 1, 2, 99},
        EntryTime{1601, 1, 1, 0, 0, 0}, EntryTime{2023, 2, 29, 0, 0, 0},
        EntryTime{2024, 13, 1, 0, 0, 0}, EntryTime{2024, 0, 1, 0, 0, 0},
        EntryTime{2024, 4, 31, 0, 0, 0}, EntryTime{2024, 5, 0, 0, 0, 0},
        EntryTime{2024, 5, 1, 24, 0, 0}, EntryTime{2024, 5, 1, 0, 60, 0}, EntryTime{}}) {
    dates += DirectoryEntry(L"A", 0, time, 0).dateTimeText().empty() ? "-" : "+";
  }
  EXPECT_EQ(dates, "++++--------");
}

}  // namespace
}  // namespace QrCom
