#include <gtest/gtest.h>

#include <string>

#include "qrcom/base/QrException.h"
#include "qrcom/protocol/BrailleSystemVersion2005FileTransferStrategy.h"
#include "tests/protocol/ProtocolSteps.h"
#include "tests/support/TempDir.h"

namespace QrCom {
namespace {

using namespace QrTest;

const std::string k2000 = "BrailleSystemVersion2000FileTransferStrategy::";

TEST(LegacyDownloadTest, Exchanges) {
  TempDir dir;
  BrailleSystemVersion2000FileTransferStrategy strategy;
  // Downloads A.TXT, cancelled after the first block: the progress and the file; a failure
  // leaves no file.
  const auto down = [&](bool cancel = false, const std::wstring& source = L"A.TXT") {
    return [&, cancel, source](SerialPort& port) {
      RecordingSink sink;
      sink.onReport = [&](uint64_t done) {
        if (cancel && done > 0) strategy.cancel();
      };
      const std::string failed =
          failure([&] { strategy.sendFile(port, nullptr, source, dir.path(L"a"), 83, &sink); });
      return progressOf(sink) + " " + (dir.exists(L"a") ? dir.read(L"a") : failed);
    };
  };
  const auto request = named("21", "A.TXT", "06 16 03");
  const std::string canceled = "0 3 of 83 TransmissionCanceledByUser: " + k2000 +
                               "sendFile -- Transmission canceled by user";
  play({
      {"blocks of 80, 0 and 3 bytes", down(),
       request + steps("06 03>" + frameOf(Bytes(80, 'p')) +
                       " 03|06 16|06 03>00 00 16 03|06 16|06 03>03 00 61 62 63 16|06 16>04"),
       "0 80 83 of 83 " + std::string(80, 'p') + "abc"},
      {"a block of 81", down(), request + steps("06 03>51 00"),
       "0 of 83 ErrorInProtocol: " + k2000 +
           "sendFile -- Requested package size exceeds maximum size."},
      {"a name of 64", down(false, std::wstring(64, L'N')),
       named("21", std::string(64, 'N'), "06 16 04"), "0 83 of 83 "},
      {"cancel on the PC", down(true), request + steps("06 03>03 00 61 62 63 16 03|06 16|15 17"),
       canceled + " (PC side)."},
      {"cancel on the device", down(), request + steps("06 03>03 00 61 62 63 16 43|06 16|06 43"),
       canceled + " (device side)."},
  });
}

// A.TXT, 2024-05-01 14:05:33, 256 bytes; the byte after the name means nothing.
constexpr char kATxt[] = "1C 05 41 2E 54 58 54 99 07 E8 05 01 0E 05 21 00 00 01 00 ";

TEST(LegacyFileSystemTest, Exchanges) {
  BrailleSystemVersion2005FileTransferStrategy strategy;
  // The file list after an entry OLD, with the count returned.
  const auto list = [&](SerialPort& port) {
    std::vector<DirectoryEntry> list{DirectoryEntry(L"OLD", 0, EntryTime{}, 1)};
    const uint32_t count = strategy.sendFileList(port, list);
    return std::to_string(count) + ": " + entries(list);
  };
  const std::string at = kATxt;
  const std::string a = ", A.TXT 0 2024-5-1 14:5:33 256";
  const std::string parsing =
      "ErrorInProtocol: " + k2000 + "sendFileList -- Error while parsing fileListBuffer. ";
  const std::string v2005 = "BrailleSystemVersion2005FileTransferStrategy::";
  play({
      // \xC4 (an ANSI name), 1999-12-31 23:59:58, 0x01020304 bytes.
      {"records across blocks", list,
       listOf("20", at + "1C 01 C4 00 07 CF 0C 1F 17 3B 3A 01 02 03 04", {10, 24}),
       "3: OLD 0 0-0-0 0:0:0 1" + a + ", \u00c4 0 1999-12-31 23:59:58 16909060"},
      {"one block of any length", list,
       listOf("20", at + kATxt + kATxt + kATxt + kATxt + kATxt, {114}),
       "7: OLD 0 0-0-0 0:0:0 1" + a + a + a + a + a + a},
      {"no BEGIN_OF_FILE", list, listOf("20", at + "1D", {20}), parsing + "Missing BEGIN_OF_FILE."},
      {"a record of one byte", list, listOf("20", at + "1C", {20}),
       parsing + "Record runs past the end."},
      {"a record cut short", list, listOf("20", at + "1C 01 42 00 07", {24}),
       parsing + "Record runs past the end."},
      {"a name of 65", list, listOf("20", "1C 41 " + toHex(Bytes(77, 'N')), {79}),
       parsing + "Name too long."},
      {"delete and rename", doing([&](SerialPort& port) {
         strategy.deleteFile(port, L"A.TXT");
         strategy.renameFile(port, L"A.TXT", L"B");
       }),
       named("23", "A.TXT", "06 16") + named("22", "A.TXT", "06 16") + named("22", "B", "06 16")},
      {"a new name too long for a frame", doing([&](SerialPort& port) {
         strategy.renameFile(port, L"A", std::wstring(0x10000, L'N'));
       }),
       steps(""), "InvalidArgument: " + v2005 + "renameFile -- Frame exceeds 65535 bytes."},
  });
}

}  // namespace
}  // namespace QrCom
