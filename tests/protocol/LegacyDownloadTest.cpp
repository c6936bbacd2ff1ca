#include <gtest/gtest.h>

#include <string>

#include "qrcom/base/QrException.h"
#include "qrcom/protocol/BrailleSystemVersion2000FileTransferStrategy.h"
#include "tests/support/Conversation.h"
#include "tests/support/Failures.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/TempDir.h"

namespace QrCom {
namespace {

using QrTest::Bytes;
using QrTest::Conversation;
using QrTest::failsWith;
using QrTest::ScriptedPort;
using QrTest::toHex;

constexpr wchar_t kLegacyDownload[] = L"BrailleSystemVersion2000FileTransferStrategy::sendFile -- ";

// One data block as the device sends it, after the PC acknowledged its announcement.
std::string block(size_t size, uint8_t fill) {
  return toHex({static_cast<uint8_t>(size & 0xFF), static_cast<uint8_t>(size >> 8)}) + " " +
         toHex(Bytes(size, fill)) + " 16";
}

// The request for A.TXT and its answer (06 16 03: blocks follow).
Conversation& requestATxt(Conversation& device, const std::string& answer = "06 16 03") {
  return device.step("21", "06 21").step("06 00 41 2E 54 58 54 21 16", answer);
}

class LegacyDownloadTest : public ::testing::Test {
 protected:
  // Runs the download of A.TXT into "a.txt" and expects it to fail with `message` as `E`.
  template <typename E>
  void expectFailure(const std::wstring& message) {
    EXPECT_TRUE(failsWith<E>(
        [&] { strategy_.sendFile(port_, nullptr, L"A.TXT", target_, 3, &sink_); }, message));
    EXPECT_FALSE(dir_.exists(L"a.txt")) << "the partial file stays";
  }

  QrTest::TempDir dir_;
  const std::wstring target_ = dir_.path(L"a.txt");
  ScriptedPort port_;
  Conversation device_{port_};
  BrailleSystemVersion2000FileTransferStrategy strategy_;
  QrTest::RecordingSink sink_;
};

TEST_F(LegacyDownloadTest, ATxtHoldingAbc) {
  requestATxt(device_).step("06 03", "03 00 61 62 63 16").step("06 16", "04");
  strategy_.sendFile(port_, nullptr, L"A.TXT", target_, 3, &sink_);
  EXPECT_TRUE(device_.finished());
  EXPECT_EQ(dir_.read(L"a.txt"), "abc");
  EXPECT_EQ(sink_.done(), (std::vector<uint64_t>{0, 3, 3}));
  EXPECT_EQ(sink_.reports[0].fileName, L"A.TXT");
  EXPECT_EQ(sink_.reports[0].totalBytes, 3u);
  EXPECT_TRUE(sink_.consistent);
}

TEST_F(LegacyDownloadTest, BlocksOfEightyBytesAndEmptyBlocks) {
  requestATxt(device_)
      .step("06 03", block(80, 'p') + " 03")
      .step("06 16")
      .step("06 03", block(0, 0) + " 03")
      .step("06 16")
      .step("06 03", block(1, 'q'))
      .step("06 16", "04");
  strategy_.sendFile(port_, nullptr, L"A.TXT", target_, 81, nullptr);
  EXPECT_TRUE(device_.finished());
  EXPECT_EQ(dir_.read(L"a.txt"), std::string(80, 'p') + "q");
}

TEST_F(LegacyDownloadTest, BlockOfEightyOneBytesIsRefused) {
  requestATxt(device_)
      .step("06 03", block(80, 'p') + " 03")
      .step("06 16")
      .step("06 03", block(81, 'p'));
  expectFailure<ErrorInProtocolException>(std::wstring(kLegacyDownload) +
                                          L"Requested package size exceeds maximum size.");
  EXPECT_TRUE(device_.finished());
}

TEST_F(LegacyDownloadTest, ProgressOnTheFirstBlockAndAboutEveryFiftyBlocks) {
  // (8000 - done) / 80 + 2 is a multiple of 50 at done 160 and 4160; 80 is the first block.
  requestATxt(device_);
  for (int i = 0; i < 100; ++i) device_.step("06 03", block(80, 'r') + " 03").step("06 16");
  device_.step("06 03", block(0, 0)).step("06 16", "04");
  strategy_.sendFile(port_, nullptr, L"A.TXT", target_, 8000, &sink_);
  EXPECT_TRUE(device_.finished());
  EXPECT_EQ(sink_.done(), (std::vector<uint64_t>{0, 80, 160, 4160, 8000}));
}

TEST_F(LegacyDownloadTest, CancelOnThePcRefusesTheNextBlock) {
  requestATxt(device_).step("06 03", block(3, 'a') + " 03").step("06 16").step("15 17");
  sink_.onReport = [&](uint64_t done) {
    if (done > 0) strategy_.cancel();
  };
  expectFailure<TransmissionCanceledByUserException>(std::wstring(kLegacyDownload) +
                                                     L"Transmission canceled by user (PC side).");
  EXPECT_TRUE(device_.finished());
}

TEST_F(LegacyDownloadTest, CancelOnTheDeviceIsAcknowledged) {
  requestATxt(device_).step("06 03", block(3, 'a') + " 43").step("06 16").step("06 43");
  expectFailure<TransmissionCanceledByUserException>(
      std::wstring(kLegacyDownload) + L"Transmission canceled by user (device side).");
  EXPECT_TRUE(device_.finished());
}

TEST_F(LegacyDownloadTest, MalformedBlocks) {
  struct Case {
    const char* device;
    const wchar_t* text;
  };
  for (const Case& bad : {Case{"03 00 61 62 63 17", L"Missing SYNC."},
                          Case{"03 00 61 62", L"Wrong number of data bytes(page frame error)."}}) {
    ScriptedPort port;
    Conversation device(port);
    requestATxt(device).step("06 03", bad.device);
    EXPECT_TRUE(failsWith<ErrorInProtocolException>(
        [&] { strategy_.sendFile(port, nullptr, L"A.TXT", target_, 3, nullptr); },
        std::wstring(kLegacyDownload) + bad.text));
    EXPECT_FALSE(dir_.exists(L"a.txt"));
  }
  requestATxt(device_, "06 16 05");
  expectFailure<ErrorInProtocolException>(std::wstring(kLegacyDownload) +
                                          L"Missing RECEIVE_DATA_BLOCK or CANCEL_UPLOAD.");
  EXPECT_TRUE(device_.finished());
}

TEST_F(LegacyDownloadTest, DeviceErrorsEraseTheTargetFile) {
  requestATxt(device_, "15 18");
  expectFailure<FileNotFoundOnDeviceException>(std::wstring(kLegacyDownload) +
                                               L"File not found on device.");
  EXPECT_TRUE(device_.finished());
}

TEST_F(LegacyDownloadTest, SilentDeviceIsThePortsFailure) {
  QrTest::ScopedVirtualClock clock;
  ScriptedPort port(&*clock);
  Conversation device(port);
  requestATxt(device).step("06 03", "03");
  EXPECT_THROW(strategy_.sendFile(port, nullptr, L"A.TXT", target_, 3, nullptr),
               CannotReadFromPortException);
  EXPECT_FALSE(dir_.exists(L"a.txt"));
}

TEST_F(LegacyDownloadTest, NameChecksComeFirst) {
  const auto download = [&](const std::wstring& source, const std::wstring& target) {
    return [&, source, target] { strategy_.sendFile(port_, nullptr, source, target, 3, nullptr); };
  };
  EXPECT_TRUE(failsWith<IllegalSourceFileNameException>(
      download(L"", target_), std::wstring(kLegacyDownload) + L"SourceFileName ist empty."));
  EXPECT_TRUE(failsWith<IllegalTargetFileNameException>(
      download(L"A", L""), std::wstring(kLegacyDownload) + L"targetFileName ist empty."));
  EXPECT_TRUE(failsWith<IllegalSourceFileNameException>(
      download(std::wstring(65, L'N'), target_),
      std::wstring(kLegacyDownload) + L"SourceFileName too long."));
  EXPECT_TRUE(port_.calls().empty());
  EXPECT_FALSE(dir_.exists(L"a.txt"));

  device_.step("21", "06 21").step("41 00 " + toHex(Bytes(64, 'N')) + " 21 16", "06 16 04");
  strategy_.sendFile(port_, nullptr, std::wstring(64, L'N'), target_, 0, nullptr);
  EXPECT_TRUE(device_.finished());
  EXPECT_EQ(dir_.read(L"a.txt"), "");
}

}  // namespace
}  // namespace QrCom
