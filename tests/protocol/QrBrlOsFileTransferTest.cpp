#include <gtest/gtest.h>

#include <future>
#include <string>
#include <thread>

#include "qrcom/base/LocalFile.h"
#include "qrcom/base/QrException.h"
#include "qrcom/protocol/QrBrlOsVersion102FileTransferStrategy.h"
#include "tests/protocol/ProtocolSteps.h"
#include "tests/support/Conversation.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/TempDir.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

using QrTest::block;
using QrTest::blocks;
using QrTest::kEndOfFile;
using QrTest::named;
using QrTest::ScriptedPort;
using QrTest::Steps;
using QrTest::toHex;
using QrTest::operator+;

constexpr char kClass[] = "QrBrlOsFileTransferStrategy::";
// 4 GiB in all, 2 GiB + 1 free.
const Steps kDiskSpace = QrTest::diskSpace("00 00 00 01 00 00 00 00 00 00 00 00 80 00 00 01");

// The seven time-stamp bytes of the header for the local file `path`.
std::string stampOf(const std::wstring& path) {
  CalendarTime time;
  EXPECT_TRUE(getFileTime(path.c_str(), &time));
  return toHex({static_cast<uint8_t>(time.year >> 8), static_cast<uint8_t>(time.year & 0xFF),
                static_cast<uint8_t>(time.month), static_cast<uint8_t>(time.day),
                static_cast<uint8_t>(time.hour), static_cast<uint8_t>(time.minute),
                static_cast<uint8_t>(time.second)});
}

TEST(QrBrlOsFileTransferTest, Exchanges) {
  QrTest::TempDir dir;
  const std::wstring z1100 = dir.write(L"z", std::string(1100, 'z')), a = dir.path(L"a");
  const std::wstring empty = dir.write(L"e", "");
  QrBrlOsFileTransferStrategy strategy(0x54);
  QrTest::RecordingSink sink;
  const auto up = [&](const std::wstring& source, const std::wstring& target) {
    return [&, source, target](SerialPort& port) {
      sink = QrTest::RecordingSink();
      strategy.receiveFile(port, nullptr, source, target, 0, 1, &sink);
    };
  };
  const auto down = [&](const std::wstring& source, const std::wstring& target, uint64_t size) {
    return [&, source, target, size](SerialPort& port) {
      sink = QrTest::RecordingSink();
      static_cast<ScriptedPort&>(port).setCanChangeBaudRate(source == L"A");
      QrTest::ScopedVirtualClock clock;
      strategy.sendFile(port, nullptr, source, target, size, &sink);
    };
  };
  const std::string names = "QrBrlOsV30FileTransferStrategy::getTargetFileName -- ";
  const std::string downloads = std::string(kClass) + "DoSendFile -- ";
  Steps blocksOf514 = named("21", "A.TXT", "06 16 03");
  for (int i = 0; i < 60; ++i) {
    blocksOf514 = blocksOf514 +
                  Steps{{"06 03", QrTest::frameOf(QrTest::Bytes(514, 'd')) + " 03"}, {"06 16", ""}};
  }
  QrTest::replay({
      {"1100 bytes in blocks of 512, progress after each",
       [&](SerialPort& port) {
         up(z1100, L"A.TXT")(port);
         EXPECT_EQ(sink.done(), (std::vector<uint64_t>{0, 512, 1024, 1100}));
       },
       kDiskSpace + block("10 00 1C 41 2E 54 58 54 05 " + stampOf(z1100) + " 01 0F 16") +
           blocks(2, 512, 'z') + blocks(1, 76, 'z') + kEndOfFile},
      {"a name of 260", up(empty, L" " + std::wstring(260, L'N')),
       kDiskSpace +
           block("0F 01 1C " + toHex(QrTest::Bytes(260, 'N')) + " 05 " + stampOf(empty) +
                 " 01 0F 16") +
           kEndOfFile},
      {"a name of 261",
       up(z1100, std::wstring(261, L'N')),
       {},
       "IllegalTargetFileName: " + names + "TargetFilename too long."},
      {"no source",
       up(L"", L"A"),
       {},
       "IllegalSourceFileName: " + names + "SourceFileName is empty."},
      // (30840 - done) / 514 + 2 is a multiple of 50 at done 6168; 514 is the first block.
      {"download in blocks of 514",
       [&](SerialPort& port) {
         down(L"A.TXT", a, 30840)(port);
         EXPECT_EQ(dir.read(L"a"), std::string(30840, 'd'));
         EXPECT_EQ(sink.done(), (std::vector<uint64_t>{0, 514, 6168, 30840}));
       },
       blocksOf514 + Steps{{"06 03", "00 00 16"}, {"06 16", "04"}}},
      {"a block of 515", down(L"A.TXT", a, 3),
       named("21", "A.TXT", "06 16 03") + Steps{{"06 03", "03 02"}},
       "ErrorInProtocol: " + downloads + "Requested package size exceeds maximum size."},
      {"download of 260", down(std::wstring(260, L'N'), a, 0),
       named("21", std::string(260, 'N'), "06 16 04")},
      {"download of 261",
       down(std::wstring(261, L'N'), a, 0),
       {},
       "IllegalSourceFileName: " + downloads + "SourceFileName too long."},
      {"download without target",
       down(L"B", L"", 0),
       {},
       "IllegalTargetFileName: " + downloads + "targetFileName is empty."},
      {"download at 115200 where the port can", down(L"A", a, 0),
       Steps{{"79 54 02 0D 11 16", "79 54 02 07 7E 16"}, {"FF", "FE 54"}} +
           named("21", "A", "06 16 04") +
           Steps{{"79 54 02 0D 19 16", "79 54 02 07 7E 16"}, {"FF", "FE 54"}}},
      {"disk space in 64 bits",
       [&](SerialPort& port) {
         uint64_t total = 0;
         uint64_t free = 0;
         strategy.sendDiskSpace(port, total, free);
         EXPECT_EQ(total, 0x100000000ull);
         EXPECT_EQ(free, 0x80000001ull);
       },
       kDiskSpace},
      // A cancelled strategy sends nothing more, not even the rate switch; a clone starts afresh.
      {"after a cancel",
       [&](SerialPort& port) {
         strategy.cancel();
         up(z1100, L"A")(port);
         down(L"A", dir.path(L"b"), 3)(port);
         strategy.makeDirectory(port, L"D");
         strategy.changeDirectory(port, L"D");
         strategy.makePath(port, L"/D/E");
         EXPECT_FALSE(dir.exists(L"b"));
         strategy.clone()->makeDirectory(port, L"D");
       },
       named("26", "D", "06 16")},
  });
}

TEST(QrBrlOsFileTransferTest, CancelFromTheUserInterfaceThread) {
  QrTest::TempDir dir;
  const std::wstring source = dir.write(L"f", std::string(1100, 'z'));
  ScriptedPort port;
  QrTest::Conversation device(port);
  for (const auto& [host, answer] : kDiskSpace +
                                        block("0C 00 1C 46 05 " + stampOf(source) + " 01 0F 16") +
                                        blocks(1, 512, 'z') + Steps{{"43", "06 43"}}) {
    device.step(host, answer);
  }
  QrBrlOsFileTransferStrategy strategy(0x54);
  // The worker stops after its first block until the other thread has cancelled.
  std::promise<void> firstBlock;
  std::promise<void> cancelled;
  QrTest::RecordingSink sink;
  sink.onReport = [&](uint64_t done) {
    if (done != 512) return;
    firstBlock.set_value();
    cancelled.get_future().wait();
  };
  std::string failure;
  std::thread worker([&] {
    failure =
        QrTest::failure([&] { strategy.receiveFile(port, nullptr, source, L"F", 0, 1, &sink); });
  });
  firstBlock.get_future().wait();
  strategy.cancel();
  cancelled.set_value();
  worker.join();
  EXPECT_EQ(failure, "TransmissionCanceledByUser: " + std::string(kClass) +
                         "doReceiveFile -- Transmission canceled by user (PC side).");
  EXPECT_TRUE(device.finished());
}

// A.TXT, a file of 0x0102030405 bytes; LANGUAGE, a folder.
constexpr char kRecords[] =
    "1C 05 41 2E 54 58 54 00 07 E8 05 01 0E 05 21 00 00 00 01 02 03 04 05 "
    "1C 08 4C 41 4E 47 55 41 47 45 02 07 E8 05 01 0E 05 21 00 00 00 00 00 00 10 00";
// N, a file.
constexpr char kN[] = "1C 01 4E 00 07 E8 05 01 0E 05 21 00 00 00 00 00 00 00 00";

TEST(QrBrlOsListTest, Exchanges) {
  QrBrlOsVersion102FileTransferStrategy strategy(0x54);
  const std::string listed = " 0 2024-5-1 14:5:33 4328719365, ";
  QrTest::replay({
      {"file lists follow the current directory",
       [&](SerialPort& port) {
         std::vector<DirectoryEntry> list;
         strategy.sendFileList(port, list);
         strategy.changeDirectory(port, L"/QRSYS");
         strategy.sendFileList(port, list);
         strategy.changeDirectory(port, L"/QRSYS/");
         EXPECT_EQ(strategy.sendFileList(port, list), 6u);
         EXPECT_EQ(QrTest::entries(list),
                   "/A.TXT" + listed + "/LANGUAGE 2 2024-5-1 14:5:33 4096, /QRSYS/A.TXT" + listed +
                       "/QRSYS/LANGUAGE 2 2024-5-1 14:5:33 4096, /QRSYS/A.TXT" + listed +
                       "/QRSYS/LANGUAGE 2 2024-5-1 14:5:33 4096");
       },
       QrTest::listOf("20", kRecords, {49}) + named("27", "/QRSYS", "06 16") +
           QrTest::listOf("20", kRecords, {49}) + named("27", "/QRSYS/", "06 16") +
           QrTest::listOf("20", kRecords, {49})},
      {"folder list",
       [&](SerialPort& port) {
         std::vector<DirectoryEntry> list;
         EXPECT_EQ(strategy.sendFolderList(port, list), 1u);
         EXPECT_EQ(QrTest::entries(list), "/QRSYS/N 0 2024-5-1 14:5:33 0");
       },
       QrTest::listOf("28", kN, {19})},
  });
}

TEST(QrBrlOsListTest, ListDataIsBounded) {
  // A device that never ends its list: full blocks of zeros, one after another.
  ScriptedPort port;
  size_t blocks = 0;
  port.setResponder([&](const QrTest::Bytes& written, ScriptedPort& self) {
    if (written == QrTest::hex("20")) self.deliver(QrTest::hex("06 20 03"));
    if (written == QrTest::hex("06 03")) {
      self.deliver(QrTest::hex(QrTest::frameOf(QrTest::Bytes(514, 0))));
      ++blocks;
    }
    if (written == QrTest::hex("06 16")) self.deliver(QrTest::hex("03"));
  });
  std::vector<DirectoryEntry> list;
  EXPECT_EQ(
      QrTest::failure([&] { QrBrlOsFileTransferStrategy(0x54).sendFileList(port, list); }),
      "ErrorInProtocol: QrBrlOsFileTransferStrategy::sendFileList -- List exceeds 1048576 bytes.");
  EXPECT_EQ(blocks, 1048576u / 514 + 1);  // the last one announced, refused unread
}

constexpr char kOk[] = "06 16";
constexpr char kNoFolder[] = "15 1D";  // NAK 29, invalid folder

// The path the next file list gives a record named N.
std::wstring listedPath(QrBrlOsFileTransferStrategy& strategy) {
  ScriptedPort port;
  QrTest::Conversation device(port);
  for (const auto& [host, answer] : QrTest::listOf("20", kN, {19})) device.step(host, answer);
  std::vector<DirectoryEntry> list;
  strategy.sendFileList(port, list);
  return list.empty() ? L"(none)" : list[0].path();
}

Steps change(const std::string& path, const char* answer) {
  return named("27", path, answer);
}
Steps make(const std::string& path, const char* answer) {
  return named("26", path, answer);
}

TEST(QrBrlOsDirectoryTest, Exchanges) {
  // Makes `path` with a fresh strategy; then the file list's paths start with `listed`.
  const auto walk = [](const std::wstring& path, const std::wstring& listed) {
    return [path, listed](SerialPort& port) {
      QrBrlOsFileTransferStrategy strategy(0x54);
      strategy.makePath(port, path);
      EXPECT_EQ(listedPath(strategy), listed + L"N");
    };
  };
  // Changes to /QRSYS, then to `path`, which fails; the directory is forgotten.
  const auto refused = [](const std::wstring& path) {
    return [path](SerialPort& port) {
      QrBrlOsFileTransferStrategy strategy(0x54);
      strategy.changeDirectory(port, L"/QRSYS");
      EXPECT_EQ(listedPath(strategy), L"/QRSYS/N");
      try {
        strategy.changeDirectory(port, path);
      } catch (const CannotChangeToDirectoryException&) {
        EXPECT_EQ(listedPath(strategy), L"/N");
        throw;
      }
    };
  };
  const std::wstring tooLong = L"/" + std::wstring(260, L'D');
  const std::string invalid = "CannotChangeToDirectory: " + std::string(kClass) +
                              "ChangeDirectory -- invalid folder specified.";
  QrTest::replay({
      {"an existing path is one change", walk(L"/QRSYS/LANGUAGE", L"/QRSYS/LANGUAGE/"),
       change("/QRSYS/LANGUAGE", kOk)},
      {"each missing segment made", walk(L"/QRSYS/LANGUAGE", L"LANGUAGE/"),
       change("/QRSYS/LANGUAGE", kNoFolder) + change("/QRSYS", kNoFolder) + make("/QRSYS", kOk) +
           change("/QRSYS", kOk) + change("LANGUAGE", kNoFolder) + make("LANGUAGE", kOk) +
           change("LANGUAGE", kOk)},
      {"existing segments skipped", walk(L"/QRSYS/TUTORIALS/", L"TUTORIALS/"),
       change("/QRSYS/TUTORIALS/", kNoFolder) + change("/QRSYS", kOk) +
           change("TUTORIALS", kNoFolder) + make("TUTORIALS", kOk) + change("TUTORIALS", kOk)},
      {"a refused make", walk(L"/A", L""),
       change("/A", kNoFolder) + change("/A", kNoFolder) + make("/A", "15 0E"),
       "ErrorOnDevice: " + std::string(kClass) + "makeDirectory -- Cannot write to file."},
      {"a refused change after the make", walk(L"/A", L""),
       change("/A", kNoFolder) + change("/A", kNoFolder) + make("/A", kOk) +
           change("/A", kNoFolder),
       invalid},
      {"a path too long",
       walk(tooLong, L""),
       {},
       "PathTooLong: " + std::string(kClass) + "makePath -- " + QrTest::describe(tooLong) +
           " this path is too long."},
      {"an empty path", walk(L"", L"/"), {}},
      {"every refused change", refused(L"/NONE"), change("/QRSYS", kOk) + change("/NONE", "15 18"),
       "CannotChangeToDirectory: "},
      {"an empty change", refused(L""), change("/QRSYS", kOk), "CannotChangeToDirectory: "},
      {"a change too long", refused(std::wstring(261, L'D')), change("/QRSYS", kOk),
       "CannotChangeToDirectory: "},
      {"a path of only blanks goes out empty", refused(L" \t"),
       change("/QRSYS", kOk) + change("", kNoFolder), invalid},
      {"a refused make directory",
       [](SerialPort& port) { QrBrlOsFileTransferStrategy(0x54).makeDirectory(port, L"D"); },
       make("D", "15 13"),
       "FileAlreadyExistsOnDevice: " + std::string(kClass) +
           "makeDirectory -- File already exists on device"},
      {"a make directory without a name",
       [](SerialPort& port) { QrBrlOsFileTransferStrategy(0x54).makeDirectory(port, L""); },
       {},
       "IllegalSourceFileName: QrBrlOsV30FileTransferStrategy::getTargetFileName -- "
       "SourceFileName is empty."},
  });
}

TEST(QrBrlOsDirectoryTest, CancelDuringMakePathStopsTheWalk) {
  ScriptedPort port;
  QrTest::Conversation device(port);
  QrBrlOsFileTransferStrategy strategy(0x54);
  for (const auto& [host, answer] :
       change("/QRSYS/LANGUAGE", kNoFolder) + change("/QRSYS", kNoFolder)) {
    device.step(host, answer);
  }
  device.then([&] { strategy.cancel(); });
  strategy.makePath(port, L"/QRSYS/LANGUAGE");
  EXPECT_TRUE(device.finished());
}

}  // namespace
}  // namespace QrCom
