#include "qrcom/protocol/BookmarkIndex.h"

#include <gtest/gtest.h>

#include "tests/support/ScriptedPort.h"

namespace QrCom {
namespace {

using QrTest::Bytes;
using QrTest::hex;
using QrTest::toHex;

TEST(BookmarkIndexTest, RecordsInDocumentOrder) {
  const Bytes document = hex("41 01 3C 31 3E 42 01 3C 01 3C 32 3E 01 3C 33");
  EXPECT_EQ(toHex(buildBookmarkIndex(document)),
            "0F 31 05 00 00 00 FF FF 0F 32 0C 00 00 00 FF FF 17");
  EXPECT_EQ(toHex(buildBookmarkIndex({})), "17");
}

TEST(BookmarkIndexTest, TheIndexStaysWithinItsArea) {
  Bytes document;
  for (int i = 0; i < 16100; ++i) document.insert(document.end(), {0x01, 0x3C, 0x41, 0x3E});
  const Bytes index = buildBookmarkIndex(document);
  // Records are added while at most 127990 bytes are used: 15999 of them.
  EXPECT_EQ(index.size(), 15999u * 8 + 1);
  EXPECT_EQ(index.back(), 0x17);
}

}  // namespace
}  // namespace QrCom
