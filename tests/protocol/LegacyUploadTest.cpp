#include <gtest/gtest.h>

#include <string>

#include "qrcom/base/QrException.h"
#include "qrcom/protocol/BrailleSystemVersion2000FileTransferStrategy.h"
#include "qrcom/protocol/BrailleSystemVersion2005FileTransferStrategy.h"
#include "tests/support/Conversation.h"
#include "tests/support/Failures.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/TempDir.h"

namespace QrCom {
namespace {

using QrTest::Conversation;
using QrTest::failsWith;
using QrTest::ScriptedPort;
using QrTest::toHex;

constexpr wchar_t kLegacyUpload[] =
    L"BrailleSystemVersion2000FileTransferStrategy::receiveFile -- ";
constexpr wchar_t kName[] = L"BrailleSystemVersion2000FileTransferStrategy::getTargetFileName -- ";

// The device's answer to GET_DISK_SPACE: 64 KiB in all, `free` bytes free.
std::string diskSpace(uint32_t free) {
  char text[64];
  std::snprintf(text, sizeof text, "06 25 00 01 00 00 %02X %02X %02X %02X 16", free >> 24,
                (free >> 16) & 0xFF, (free >> 8) & 0xFF, free & 0xFF);
  return text;
}

// Adds the steps of `blocks` acknowledged data blocks of `size` bytes each, filled with `fill`.
void scriptBlocks(Conversation& device, int blocks, size_t size, char fill) {
  const std::string frame = toHex({static_cast<uint8_t>(size), 0}) + " " +
                            toHex(QrTest::Bytes(size, static_cast<uint8_t>(fill))) + " 16";
  for (int i = 0; i < blocks; ++i) device.step("03", "06 03").step(frame, "06 16");
}

class LegacyUploadTest : public ::testing::Test {
 protected:
  QrTest::TempDir dir_;
  ScriptedPort port_;
  Conversation device_{port_};
  BrailleSystemVersion2000FileTransferStrategy strategy_;
  QrTest::RecordingSink sink_;

  // The disk-space exchange (`free` bytes free) and the acknowledged header frame `header`.
  void opens(uint32_t free, const std::string& header) {
    device_.step("25", diskSpace(free)).step("06 16").step("03", "06 03").step(header, "06 16");
  }
};

TEST_F(LegacyUploadTest, ThreeBytesAsATxt) {
  const std::wstring source = dir_.write(L"a.txt", "abc");
  opens(4096, "09 00 1C 41 2E 54 58 54 05 01 0F 16");
  device_.step("03", "06 03").step("03 00 61 62 63 16", "06 16").step("04", "06 04");
  strategy_.receiveFile(port_, nullptr, source, L"A.TXT", 0, 1, &sink_);
  EXPECT_TRUE(device_.finished());
  // The disk-space request and the transfer each begin with a clean port.
  EXPECT_EQ(port_.calls()[0].type, ScriptedPort::Call::Purge);
  EXPECT_EQ(port_.calls()[1].bytes, QrTest::hex("25"));
  size_t header = 0;
  while (port_.calls()[header].bytes != QrTest::hex("03")) ++header;
  EXPECT_EQ(port_.calls()[header - 1].type, ScriptedPort::Call::Purge);
  ASSERT_EQ(sink_.reports.size(), 1u);
  EXPECT_EQ(sink_.reports[0].fileName, source);
  EXPECT_EQ(sink_.reports[0].totalBytes, 3u);
  EXPECT_EQ(sink_.reports[0].doneBytes, 0u);
  EXPECT_TRUE(sink_.consistent);
}

// An empty file is the header and the end of file. Target names lose leading blanks and tabs,
// keep up to 64 characters and go out in the ANSI code page.
TEST_F(LegacyUploadTest, EmptyFilesUnderTargetNames) {
  const std::wstring source = dir_.write(L"empty", "");
  const struct {
    std::wstring target;
    std::string header;
  } cases[] = {
      {L" \t \t", "04 00 1C 05 01 0F 16"},
      {L"\t  " + std::wstring(64, L'N'),
       "44 00 1C " + toHex(QrTest::Bytes(64, 'N')) + " 05 01 0F 16"},
      {L"\u00C4\u20AC", "06 00 1C C4 80 05 01 0F 16"},
  };
  for (const auto& c : cases) {
    ScriptedPort port;
    Conversation device{port};
    device.step("25", diskSpace(0)).step("06 16").step("03", "06 03").step(c.header, "06 16");
    device.step("04", "06 04");
    strategy_.receiveFile(port, nullptr, source, c.target, 0, 1, nullptr);
    EXPECT_TRUE(device.finished());
  }
}

TEST_F(LegacyUploadTest, FileOf65535BytesSkipsTheDiskSpaceRequest) {
  const std::wstring source = dir_.write(L"big", std::string(65535, 'x'));
  device_.step("03", "06 03").step("07 00 1C 42 49 47 05 01 0F 16", "06 16");
  scriptBlocks(device_, 840, 78, 'x');
  scriptBlocks(device_, 1, 15, 'x');
  device_.step("04", "06 04");
  strategy_.receiveFile(port_, nullptr, source, L"BIG", 0, 1, nullptr);
  EXPECT_TRUE(device_.finished());
}

TEST_F(LegacyUploadTest, ProgressAboutEveryFiftyBlocks) {
  // (4000 - done) / 80 + 2 is a multiple of 50 only after the second block (done 156).
  const std::wstring source = dir_.write(L"f", std::string(4000, 'y'));
  opens(4000, "07 00 1C 46 2E 59 05 07 0F 16");
  scriptBlocks(device_, 51, 78, 'y');
  scriptBlocks(device_, 1, 22, 'y');
  device_.step("04", "06 04");
  strategy_.receiveFile(port_, nullptr, source, L"F.Y", 0, 7, &sink_);
  EXPECT_TRUE(device_.finished());
  EXPECT_EQ(sink_.done(), (std::vector<uint64_t>{0, 156}));
}

TEST_F(LegacyUploadTest, TooLittleDiskSpaceSendsNoFile) {
  const std::wstring source = dir_.write(L"f", std::string(100, 'y'));
  device_.step("25", diskSpace(99)).step("06 16");
  EXPECT_TRUE(failsWith<NotEnoughMemoryException>(
      [&] { strategy_.receiveFile(port_, nullptr, source, L"F", 0, 1, &sink_); },
      std::wstring(kLegacyUpload) + L"Not enough disk space for file " + source + L"."));
  EXPECT_TRUE(device_.finished());
  EXPECT_TRUE(sink_.reports.empty());
}

TEST_F(LegacyUploadTest, TargetNameLimits) {
  const std::wstring source = dir_.write(L"a", "");
  const auto upload = [&](const std::wstring& from, const std::wstring& to) {
    return [&, from, to] { strategy_.receiveFile(port_, nullptr, from, to, 0, 1, nullptr); };
  };
  EXPECT_TRUE(failsWith<IllegalTargetFileNameException>(
      upload(source, std::wstring(65, L'N')), std::wstring(kName) + L"TargetFilename too long."));
  EXPECT_TRUE(failsWith<IllegalTargetFileNameException>(
      upload(source, L""), std::wstring(kName) + L"Empty target file name."));
  EXPECT_TRUE(failsWith<IllegalSourceFileNameException>(
      upload(L"", L"A"), std::wstring(kName) + L"SourceFileName ist empty."));
  EXPECT_TRUE(port_.calls().empty());
}

TEST_F(LegacyUploadTest, CancelBeforeTheHeaderSendsNothingMore) {
  const std::wstring source = dir_.write(L"a", "abc");
  device_.step("25", diskSpace(3)).step("06 16");
  sink_.onReport = [&](uint64_t) { strategy_.cancel(); };
  strategy_.receiveFile(port_, nullptr, source, L"A", 0, 1, &sink_);
  EXPECT_TRUE(device_.finished());
}

TEST_F(LegacyUploadTest, CancelBetweenBlocksTellsTheDevice) {
  const std::wstring source = dir_.write(L"f", std::string(4000, 'y'));
  opens(4000, "05 00 1C 46 05 01 0F 16");
  scriptBlocks(device_, 2, 78, 'y');
  device_.step("43", "06 43");
  sink_.onReport = [&](uint64_t done) {
    if (done > 0) strategy_.cancel();
  };
  EXPECT_TRUE(failsWith<TransmissionCanceledByUserException>(
      [&] { strategy_.receiveFile(port_, nullptr, source, L"F", 0, 1, &sink_); },
      std::wstring(kLegacyUpload) + L"Transmission canceled by user (PC side)."));
  EXPECT_TRUE(device_.finished());
}

TEST_F(LegacyUploadTest, DeviceFailuresEndTheUpload) {
  const std::wstring source = dir_.write(L"a", "abc");
  opens(3, "05 00 1C 41 05 01 0F 16");
  device_.step("03", "15 17");  // the device's user cancelled
  EXPECT_TRUE(failsWith<TransmissionCanceledByUserException>(
      [&] { strategy_.receiveFile(port_, nullptr, source, L"A", 0, 1, nullptr); },
      std::wstring(kLegacyUpload) + L"Transmission canceled by user (PC side)."));
  EXPECT_TRUE(device_.finished());
}

TEST_F(LegacyUploadTest, WrongEchoIsWrongCommandConfirmed) {
  const std::wstring source = dir_.write(L"a", "abc");
  device_.step("25", diskSpace(3)).step("06 16").step("03", "06 04");
  EXPECT_TRUE(failsWith<WrongCommandConfirmedException>(
      [&] { strategy_.receiveFile(port_, nullptr, source, L"A", 0, 1, nullptr); },
      std::wstring(kLegacyUpload) + L" Wrong command byte received."));
  EXPECT_TRUE(device_.finished());
}

}  // namespace
}  // namespace QrCom
