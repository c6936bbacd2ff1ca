#include <gtest/gtest.h>

#include <vector>

#include "qrcom/firmware/SecondaryUploadProgressHelper.h"

namespace QrCom {
namespace {

struct Recorder : SecondaryFirmwareUploadProgressSink {
  void onSecondaryProgress(QuorlinDevice*, int kind, const std::wstring& fileName,
                           uint32_t percent) override {
    reports.push_back({kind, fileName, percent});
  }
  struct Report {
    int kind;
    std::wstring fileName;
    uint32_t percent;
    bool operator==(const Report& other) const {
      return kind == other.kind && fileName == other.fileName && percent == other.percent;
    }
  };
  std::vector<Report> reports;
};

TEST(SecondaryUploadProgressHelperTest, TransferIsTheFirstHalfReprogrammingTheSecond) {
  Recorder target;
  SecondaryUploadProgressHelper helper(&target, 1);
  FileTransferSink& transfer = helper;
  SecondaryFirmwareUploadProgressSink& device = helper;
  transfer.onTransferProgress(nullptr, L"vnc2.rom", 1, 0, 1000, 1000, 600, 600);
  device.onSecondaryProgress(nullptr, 0, L"vnc2.rom", 60);
  transfer.onTransferProgress(nullptr, L"vnc2.rom", 1, 0, 1000, 1000, 1000, 1000);
  device.onSecondaryProgress(nullptr, 1, L"vnc2.rom", 100);
  EXPECT_EQ(target.reports, (std::vector<Recorder::Report>{{1, L"vnc2.rom", 30},
                                                           {0, L"vnc2.rom", 80},
                                                           {1, L"vnc2.rom", 50},
                                                           {1, L"vnc2.rom", 100}}));
}

TEST(SecondaryUploadProgressHelperTest, OddCountsStayOnTheScale) {
  Recorder target;
  SecondaryUploadProgressHelper helper(&target, 0);
  helper.onTransferProgress(nullptr, L"8051.hex", 1, 0, 0, 0, 0, 0);      // nothing announced
  helper.onTransferProgress(nullptr, L"8051.hex", 1, 0, 10, 10, 30, 30);  // more than announced
  helper.onSecondaryProgress(nullptr, 0, L"8051.hex", 250);
  ASSERT_EQ(target.reports.size(), 3u);
  EXPECT_EQ(target.reports[0].percent, 0u);
  EXPECT_EQ(target.reports[1].percent, 50u);
  EXPECT_EQ(target.reports[2].percent, 100u);

  SecondaryUploadProgressHelper silent(nullptr, 0);
  silent.onTransferProgress(nullptr, L"8051.hex", 1, 0, 10, 10, 5, 5);
  silent.onSecondaryProgress(nullptr, 0, L"8051.hex", 5);
}

}  // namespace
}  // namespace QrCom
