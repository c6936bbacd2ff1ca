#include <gtest/gtest.h>

#include <string>

#include "qrcom/base/QrException.h"
#include "qrcom/protocol/BrailleSystemVersion20010FileTransferStrategy.h"
#include "qrcom/protocol/BrailleSystemVersion2005FileTransferStrategy.h"
#include "tests/protocol/ProtocolSteps.h"
#include "tests/support/TempDir.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

using namespace QrTest;

TEST(LegacyUploadTest, Exchanges) {
  TempDir dir;
  const std::wstring abc = dir.write(L"abc", "abc"), empty = dir.write(L"empty", "");
  const std::wstring f4000 = dir.write(L"f", std::string(4000, 'y'));
  BrailleSystemVersion2000FileTransferStrategy strategy;
  // Uploads `source` as `target`, cancelled once `cancelAt` bytes are done: the progress.
  const auto up = [&](const std::wstring& source, const std::wstring& target, int cancelAt = -1,
                      uint8_t attribute = 1) {
    return [&, source, target, cancelAt, attribute](SerialPort& port) {
      RecordingSink sink;
      sink.onReport = [&](uint64_t at) {
        if (cancelAt >= 0 && at >= static_cast<uint64_t>(cancelAt)) strategy.cancel();
      };
      strategy.receiveFile(port, nullptr, source, target, 0, attribute, &sink);
      return progressOf(sink);
    };
  };
  const std::string prefix = "BrailleSystemVersion2000FileTransferStrategy::receiveFile -- ";
  const std::string canceled =
      "TransmissionCanceledByUser: " + prefix + "Transmission canceled by user (PC side).";
  // 64 KiB in all, 0, 3 or 4000 bytes free.
  const auto blank = block("04 00 1C 05 01 0F 16");  // the header of an empty name
  const auto free0 = diskSpace("00 01 00 00 00 00 00 00");
  const auto free3 = diskSpace("00 01 00 00 00 00 00 03");
  const auto free4000 = diskSpace("00 01 00 00 00 00 0F A0");
  const auto y78 = frameOf(Bytes(78, 'y'));
  play({
      {"abc as A.TXT", up(abc, L"A.TXT"),
       free3 + block("09 00 1C 41 2E 54 58 54 05 01 0F 16") + block("03 00 61 62 63 16") +
           kEndOfFile,
       "0 of 3"},
      // Target names lose leading blanks and tabs, keep up to 64 characters and go out in the
      // ANSI code page.
      {"blanks", up(empty, L" \t \t"), free0 + blank + kEndOfFile, "0 of 0"},
      {"64 characters", up(empty, L"\t  " + std::wstring(64, L'N')),
       free0 + block("44 00 1C " + toHex(Bytes(64, 'N')) + " 05 01 0F 16") + kEndOfFile, "0 of 0"},
      {"ANSI", up(empty, L"\u00C4\u20AC"), free0 + block("06 00 1C C4 80 05 01 0F 16") + kEndOfFile,
       "0 of 0"},
      {"65535 bytes: no disk-space request", up(dir.write(L"big", std::string(65535, 'x')), L"B"),
       block("05 00 1C 42 05 01 0F 16") + block(frameOf(Bytes(78, 'x')), 840) +
           block(frameOf(Bytes(15, 'x'))) + kEndOfFile,
       "0 1638 5616 5694 9672 13650 17628 21684 25662 29640 33618 37674 41652 45630 49686 53664 "
       "57642 61620 of 65535"},
      // (4000 - done) / 80 + 2 is a multiple of 50 only after the second block (done 156).
      {"progress about every fifty blocks", up(f4000, L"F.Y", -1, 7),
       free4000 + block("07 00 1C 46 2E 59 05 07 0F 16") + block(y78, 51) +
           block(frameOf(Bytes(22, 'y'))) + kEndOfFile,
       "0 156 of 4000"},
      {"too little disk space", up(dir.write(L"f4", "four"), L"F"), free3,
       "NotEnoughMemory: " + prefix + "Not enough disk space for file " +
           describe(dir.path(L"f4")) + "."},
      {"a name of 65", up(abc, std::wstring(65, L'N')), steps(""),
       "IllegalTargetFileName: BrailleSystemVersion2000FileTransferStrategy::getTargetFileName -- "
       "TargetFilename too long."},
      {"cancel before the header", up(abc, L"A", 0), free3, "0 of 3"},
      {"cancel between blocks", up(f4000, L" ", 1),
       free4000 + blank + block(y78, 2) + steps("43>06 43"), canceled},
      {"the device's user cancels", up(abc, L" "), free3 + blank + steps("03>15 17"), canceled},
      {"wrong echo", up(abc, L" "), free3 + steps("03>06 04"),
       "WrongCommandConfirmed: " + prefix + " Wrong command byte received."},
  });
}

// The latest legacy line switches a port that can to 115200 Bd for a transfer and back, each
// switch checked with the identification byte.
TEST(RateSwitchTest, Exchanges) {
  TempDir dir;
  const std::wstring abc = dir.write(L"abc", "abc");
  BrailleSystemVersion20010FileTransferStrategy strategy(0x74);
  // Uploads abc as A: the rate during the transfer, the pauses, the rate after it and the
  // writes after each purge.
  const auto up = [&](bool canSwitch) {
    return [&, canSwitch](SerialPort& port) {
      ScopedVirtualClock clock;
      static_cast<ScriptedPort&>(port).setCanChangeBaudRate(canSwitch);
      RecordingSink sink;
      std::string rates;
      sink.onReport = [&](uint64_t) { rates = std::to_string(port.getBaudRate()); };
      strategy.receiveFile(port, nullptr, abc, L"A", 0, 1, &sink);
      for (uint32_t pause : clock->pauses()) rates += " " + std::to_string(pause);
      return rates + " " + std::to_string(port.getBaudRate()) + " " + purges(port);
    };
  };
  const auto abcAsA = diskSpace("00 01 00 00 00 00 10 00") + block("05 00 1C 41 05 01 0F 16") +
                      block("03 00 61 62 63 16") + kEndOfFile;
  const std::string ask = "79 74 02 0D 11 16>79 74 02 07 ";
  const auto back = steps("79 74 02 0D 19 16>79 74 02 07 7E 16|FF>FE 74");
  play({
      {"a port that cannot switch", up(false), abcAsA, "19200 19200 25|03"},
      {"115200 and back", up(true), steps(ask + "7E 16|FF>FE 74") + abcAsA + back,
       "115200 100 100 19200 FF|25|03|FF"},
      {"unanswered probe: 19200 after two seconds", up(true),
       steps(ask + "7E 16|FF") + abcAsA + back, "19200 100 2000 100 19200 FF|25|03|FF"},
      {"refused, then cut short: no probe", up(true),
       steps(ask + "00 16") + abcAsA + steps("79 74 02 0D 19 16>79 74 02 07"), "19200 19200 25|03"},
      {"a failed upload returns to 19200", up(true),
       steps(ask + "7E 16|FF>FE 74") + diskSpace("00 01 00 00 00 00 00 00") + back,
       "NotEnoughMemory: BrailleSystemVersion2000FileTransferStrategy::receiveFile -- Not enough "
       "disk space for file " +
           describe(abc) + "."},
  });
}

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
  play({
      // \xC4 (an ANSI name), 1999-12-31 23:59:58, 0x01020304 bytes.
      {"records across blocks", list,
       listOf("20", at + "1C 01 C4 00 07 CF 0C 1F 17 3B 3A 01 02 03 04", {10, 24}),
       "3: OLD 0 0-0-0 0:0:0 1" + a + ", \u00c4 0 1999-12-31 23:59:58 16909060"},
      {"a record cut short", list, listOf("20", at + "1C 01 42 00 07", {24}),
       parsing + "Record runs past the end."},
      {"delete and rename", doing([&](SerialPort& port) {
         strategy.deleteFile(port, L"A.TXT");
         strategy.renameFile(port, L"A.TXT", L"B");
       }),
       named("23", "A.TXT", "06 16") + named("22", "A.TXT", "06 16") + named("22", "B", "06 16")},
      // A frame holds 65535 bytes: the new name and the command byte.
      {"a new name too long for a frame", doing([&](SerialPort& port) {
         strategy.renameFile(port, L"A", std::wstring(65534, L'N'));
         strategy.renameFile(port, L"A", std::wstring(65535, L'N'));
       }),
       named("22", "A", "06 16") + named("22", std::string(65534, 'N'), "06 16"),
       "InvalidArgument: BrailleSystemVersion2005FileTransferStrategy::renameFile -- Frame exceeds "
       "65535 bytes."},
  });
}

}  // namespace
}  // namespace QrCom
