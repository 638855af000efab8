#include <gtest/gtest.h>

#include <random>

#include "platform/byte_reader.h"
#include "stage/component/stored_blocks.h"

using namespace stage;

TEST(StoredBlocks, StageBlockRoundTripsAndClamps) {
  StageSettings s;
  s.border = 3;
  s.backColor = 0x123456;
  s.penWidth = 7;
  s.pic = {1, 2, 3};
  s.font.assign(60, 0);
  auto parsed = ParseStageBlock(WriteStageBlock(s));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->border, 3);
  EXPECT_EQ(parsed->backColor, 0x123456u);
  EXPECT_EQ(parsed->penWidth, 7);
  EXPECT_EQ(parsed->pic, s.pic);
  EXPECT_EQ(parsed->font.size(), 60u);

  auto bytes = WriteStageBlock(s);
  bytes[4] = 9;  // border 9 is clamped to 5
  EXPECT_EQ(ParseStageBlock(bytes)->border, 5);
}

TEST(StoredBlocks, OldVersionsAndFailures) {
  // Version 1: version, border, BackColor, PicDrawMode, picture block.
  platform::ByteWriter w;
  for (int v : {1, 2, 0xFF, 3}) w.I32Le(v);
  w.LengthPrefixed(std::vector<uint8_t>{9, 9});
  auto v1 = ParseStageBlock(w.Data());
  ASSERT_TRUE(v1);
  EXPECT_EQ(v1->picDrawMode, 3);
  EXPECT_EQ(v1->penStyle, 1);  // default
  EXPECT_EQ(v1->pic.size(), 2u);

  StageSettings s;
  auto bytes = WriteStageBlock(s);
  bytes[0] = 3;  // version too high
  EXPECT_FALSE(ParseStageBlock(bytes));
  bytes = WriteStageBlock(s);
  bytes.resize(bytes.size() - 2);  // the picture block's length is cut
  EXPECT_FALSE(ParseStageBlock(bytes));
  EXPECT_TRUE(ParseStageBlock({}));  // absent block: defaults
}

TEST(StoredBlocks, TemplateBlockVersions) {
  TemplateSettings t;
  t.text = "hi";
  t.alpha = 150;  // clamped to 100
  t.type = 107;
  t.turnType = 1;
  t.picture = {4, 5};
  auto bytes = WriteTemplateBlock(t);
  auto parsed = ParseTemplateBlock(bytes);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->text, "hi");
  EXPECT_EQ(parsed->alpha, 100);
  EXPECT_EQ(parsed->type, 107);
  EXPECT_EQ(parsed->turnType, 1);
  EXPECT_EQ(parsed->picture, t.picture);
  bytes[0] = 4;
  EXPECT_FALSE(ParseTemplateBlock(bytes));

  // Version 1 has neither type nor TurnType.
  platform::ByteWriter w;
  w.I32Le(1);
  for (int i = 0; i < 16; ++i) w.I32Le(0);
  for (int i = 0; i < 6; ++i) w.LengthPrefixed({});
  auto v1 = ParseTemplateBlock(w.Data());
  ASSERT_TRUE(v1);
  EXPECT_EQ(v1->type, 0);
  EXPECT_EQ(v1->zoom, 0);
}

TEST(StoredBlocks, EveryPrefixAndRandomFlipsAreHandled) {
  TemplateSettings t;
  t.text = "abc";
  t.font.assign(60, 1);
  t.picture.assign(40, 7);
  const auto full = WriteTemplateBlock(t);
  // Every proper prefix is cut short (an empty one means "no block": defaults).
  for (size_t n = 1; n < full.size(); ++n)
    EXPECT_FALSE(ParseTemplateBlock(std::span(full.data(), n))) << n;
  std::mt19937 rng(5);
  for (int round = 0; round < 3000; ++round) {
    auto bytes = full;
    for (int k = 0; k < 3; ++k) bytes[rng() % bytes.size()] ^= uint8_t(1u << (rng() % 8));
    if (auto parsed = ParseTemplateBlock(bytes)) {
      EXPECT_LE(parsed->alpha, 100);
      EXPECT_GE(parsed->zoom, 0);
      EXPECT_LE(parsed->picture.size(), bytes.size());
    }
    auto stageBytes = WriteStageBlock({});
    stageBytes[rng() % stageBytes.size()] ^= uint8_t(rng());
    if (auto s = ParseStageBlock(stageBytes)) {
      EXPECT_LE(s->brushStyle, 55);
    }
  }
}
