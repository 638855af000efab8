// The bounded byte reader: both byte orders, reads that end exactly at the last byte,
// and failure that sticks once a read has run past the end.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/byte_reader.h"

namespace {

using platform::ByteReader;
using ::testing::ElementsAre;

const std::vector<uint8_t> kBytes = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0xF8};

TEST(ByteReader, ReadsBothByteOrders) {
  ByteReader le(kBytes);
  EXPECT_EQ(le.U16Le(), 0x0201);
  EXPECT_EQ(le.U32Le(), 0x06050403u);
  EXPECT_EQ(le.I16Le(), int16_t(0xF807));
  EXPECT_TRUE(le.Ok());

  ByteReader be(kBytes);
  EXPECT_EQ(be.U16Be(), 0x0102);
  EXPECT_EQ(be.U24Be(), 0x030405u);
  EXPECT_EQ(be.U8(), 0x06);
  EXPECT_EQ(be.U16Be(), 0x07F8);
  EXPECT_TRUE(be.Ok());

  // Struct fields are little-endian and sized by their type.
  ByteReader fields(kBytes);
  uint8_t a;
  uint16_t b;
  int32_t c;
  ASSERT_TRUE(platform::ReadAll(fields, a, b, c));
  EXPECT_EQ(a, 0x01);
  EXPECT_EQ(b, 0x0302);
  EXPECT_EQ(c, 0x07060504);
  EXPECT_EQ(fields.Remaining(), 1u);
}

TEST(ByteReader, ReadEndingExactlyAtTheEndSucceeds) {
  ByteReader r(kBytes);
  ASSERT_TRUE(r.Skip(4));
  EXPECT_EQ(r.U32Be(), 0x050607F8u);
  EXPECT_TRUE(r.Ok());
  EXPECT_TRUE(r.AtEnd());
  EXPECT_TRUE(r.Bytes(0).empty());
  EXPECT_TRUE(r.Ok()) << "an empty read at the end is not past it";
  EXPECT_TRUE(r.Seek(kBytes.size()));

  ByteReader spans(kBytes);
  EXPECT_THAT(spans.Bytes(3), ElementsAre(1, 2, 3));
  EXPECT_THAT(spans.Rest(), ElementsAre(4, 5, 6, 7, 0xF8));
  EXPECT_TRUE(spans.Ok());
}

TEST(ByteReader, FailureSticksAndLaterReadsYieldNothing) {
  ByteReader r(kBytes);
  ASSERT_TRUE(r.Skip(6));
  EXPECT_EQ(r.U32Le(), 0u) << "two bytes left, four asked";
  EXPECT_FALSE(r.Ok());
  EXPECT_EQ(r.Position(), 6u) << "a failed read consumes nothing";
  // Every read after the failure fails too, even one that would have fitted.
  EXPECT_EQ(r.U8(), 0);
  EXPECT_EQ(r.U16Le(), 0);
  EXPECT_TRUE(r.Bytes(1).empty());
  EXPECT_FALSE(r.Skip(0));
  EXPECT_FALSE(r.Seek(0));
  EXPECT_EQ(r.Remaining(), 0u);
  EXPECT_TRUE(r.CString().empty());
  EXPECT_FALSE(r.Ok());

  ByteReader seek(kBytes);
  EXPECT_FALSE(seek.Seek(kBytes.size() + 1));
  EXPECT_FALSE(seek.Ok());
  ByteReader huge(kBytes);
  EXPECT_TRUE(huge.Bytes(SIZE_MAX).empty()) << "a length that would wrap the position";
  EXPECT_FALSE(huge.Ok());
}

TEST(ByteReader, TextsTagsAndLengthPrefixes) {
  platform::ByteWriter w;
  w.CString("ab");
  w.LengthPrefixedText("xyz");
  w.Bytes(std::vector<uint8_t>{'R', 'I', 'F', 'F'});
  ByteReader r(w.Data());
  EXPECT_EQ(r.CString(), "ab");
  EXPECT_EQ(r.LengthPrefixedText(), "xyz");
  EXPECT_FALSE(r.Tag("WAVE")) << "a different tag is no match, and no failure";
  EXPECT_TRUE(r.Ok());
  EXPECT_TRUE(r.Tag("RIFF"));
  EXPECT_TRUE(r.AtEnd());

  const std::vector<uint8_t> unterminated = {'a', 'b'};
  ByteReader u(unterminated);
  EXPECT_TRUE(u.CString().empty());
  EXPECT_FALSE(u.Ok());

  const std::vector<uint8_t> shortBody = {5, 0, 0, 0, 'a', 'b'};
  ByteReader p(shortBody);
  EXPECT_TRUE(p.LengthPrefixed().empty());
  EXPECT_FALSE(p.Ok());
}

TEST(ByteWriter, WritesLittleEndianAndAppendsToAKeptVector) {
  std::vector<uint8_t> kept = {'G'};
  {
    platform::ByteWriter w(kept);
    w.U16Le(0x0102);
    w.U32Le(0x03040506);
    w.I32Le(-2);
    w.PatchU32Le(1, 0xA0B0C0D0);
    EXPECT_EQ(w.Size(), 11u);
  }
  EXPECT_THAT(kept, ElementsAre('G', 0xD0, 0xC0, 0xB0, 0xA0, 0x04, 0x03, 0xFE, 0xFF, 0xFF, 0xFF));
  ByteReader r(kept);
  r.Skip(5);
  EXPECT_EQ(r.U16Le(), 0x0304);
  EXPECT_EQ(r.I32Le(), -2);
  EXPECT_TRUE(r.AtEnd());
}

}  // namespace
