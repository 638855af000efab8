// The kept pass of a repeating tune: 16-bit rounding, a lossless round trip through its
// codec on signals that stress the predictors and the escapes, its size bound, reads in
// any slicing, and damaged blocks.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "platform/audio_kept_pass.h"

namespace {

using platform::audio::KeptPass;
constexpr float kStep = 1.0f / 32768.0f;
constexpr size_t kBlock = KeptPass::kBlockFrames;
constexpr size_t kRoom = 16u << 20;

// Interleaved stereo, every sample on the 16-bit grid.
std::vector<float> Steps(const std::vector<int16_t>& samples) {
  std::vector<float> f(samples.size());
  for (size_t i = 0; i < samples.size(); ++i) f[i] = float(samples[i]) * kStep;
  return f;
}

// A chord with a slowly swelling noise floor: what a reverberant tune looks like.
std::vector<int16_t> Music(size_t frames, uint32_t seed) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> noise(0, 1);
  std::vector<int16_t> s(frames * 2);
  for (size_t i = 0; i < frames; ++i) {
    const double t = double(i) / 44100;
    const double tone = 6000 * std::sin(2 * M_PI * 220 * t) + 3000 * std::sin(2 * M_PI * 331 * t);
    const double floor = 40 * (1 + std::sin(t));
    s[2 * i] = int16_t(std::lrint(tone + floor * noise(rng)));
    s[2 * i + 1] = int16_t(std::lrint(0.8 * tone + floor * noise(rng)));
  }
  return s;
}

// Everything a predictor finds hardest: full-scale jumps, the extremes, white noise.
std::vector<int16_t> Hostile(size_t frames, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<int16_t> s(frames * 2);
  for (size_t i = 0; i < s.size(); ++i) {
    switch ((i / 700) % 4) {
      case 0: s[i] = (i / 2) % 2 ? INT16_MAX : INT16_MIN; break;  // alternating extremes
      case 1: s[i] = int16_t(rng()); break;
      case 2: s[i] = i % 2 ? INT16_MIN : INT16_MAX; break;  // left and right opposite
      default: s[i] = 0; break;
    }
  }
  return s;
}

std::vector<float> ReadAll(KeptPass& pass, size_t frames, size_t slice) {
  std::vector<float> out(frames * 2, 0.0f);
  for (size_t at = 0; at < frames; at += slice)
    pass.AddInto(out.data() + at * 2, at, std::min(slice, frames - at));
  return out;
}

TEST(KeptPass, RoundTripsEveryBlockExactlyWhateverTheSignal) {
  for (const auto& samples : {Music(3 * kBlock + 123, 1), Hostile(2 * kBlock + 7, 2),
                              std::vector<int16_t>(2 * 10, 0)}) {
    const size_t frames = samples.size() / 2;
    KeptPass pass(kRoom);
    const std::vector<float> in = Steps(samples);
    // Appended in uneven pieces, as the synthesiser delivers them between events.
    for (size_t at = 0, piece = 1; at < frames; at += piece, piece = piece * 3 % 5000 + 1)
      ASSERT_TRUE(pass.Append(in.data() + at * 2, std::min(piece, frames - at)));
    pass.Finish();
    ASSERT_EQ(pass.Frames(), frames);
    EXPECT_EQ(ReadAll(pass, frames, frames), in);
  }
}

TEST(KeptPass, RoundsToTheNearest16BitStepAndClampsToFullScale) {
  KeptPass pass(kRoom);
  const float in[] = {0.4f * kStep, 0.6f * kStep, -1.6f * kStep, 1.5f,
                      -2.0f,        std::numeric_limits<float>::quiet_NaN(), 1000.49f * kStep, -1.0f};
  ASSERT_TRUE(pass.Append(in, 4));
  pass.Finish();
  const std::vector<float> expected = {0.0f,  kStep, -2 * kStep, 32767 * kStep,
                                       -1.0f, 0.0f,  1000 * kStep, -1.0f};
  EXPECT_EQ(ReadAll(pass, 4, 4), expected);
}

TEST(KeptPass, ATuneKeepsLittleMoreThanHalfItsBytesAndTheBoundIsKept) {
  const std::vector<float> music = Steps(Music(20 * kBlock, 3));
  KeptPass whole(kRoom);
  ASSERT_TRUE(whole.Append(music.data(), 20 * kBlock));
  whole.Finish();
  const size_t raw = 20 * kBlock * 4;
  EXPECT_LT(whole.Bytes(), raw * 6 / 10);

  // A pass that outgrows its bound is given up at once, memory and all, and stays given
  // up until cleared.
  KeptPass bounded(whole.Bytes() / 2);
  size_t accepted = 0;
  while (accepted < 20 * kBlock && bounded.Append(music.data() + accepted * 2, 1000)) {
    EXPECT_LE(bounded.Bytes(), whole.Bytes() / 2);
    accepted += 1000;
  }
  EXPECT_TRUE(bounded.Dropped());
  EXPECT_LT(accepted, 20 * kBlock);
  EXPECT_EQ(bounded.Frames(), 0u);
  EXPECT_EQ(bounded.Bytes(), 0u);
  EXPECT_FALSE(bounded.Append(music.data(), 1));
  float out[2] = {0.5f, 0.5f};
  bounded.AddInto(out, 0, 1);
  EXPECT_EQ(out[0], 0.5f);
  bounded.Clear();
  EXPECT_FALSE(bounded.Dropped());
  EXPECT_TRUE(bounded.Append(music.data(), 1000));
}

TEST(KeptPass, ReadsInAnySlicingAddToWhatIsThereAndStopAtTheEnd) {
  const size_t frames = 2 * kBlock + 300;
  const std::vector<float> in = Steps(Music(frames, 4));
  KeptPass pass(kRoom);
  ASSERT_TRUE(pass.Append(in.data(), frames));
  // Before Finish the last frames are read from the block still being gathered.
  EXPECT_EQ(ReadAll(pass, frames, 777), in);
  pass.Finish();
  for (size_t slice : {size_t(1), size_t(333), kBlock - 1, kBlock + 1, size_t(1024)})
    EXPECT_EQ(ReadAll(pass, frames, slice), in) << "slices of " << slice;

  // Mixed over what is already in the output; past the end nothing is added, and
  // starting again from the top (the next pass) works.
  std::vector<float> out(2 * 600, 0.25f);
  pass.AddInto(out.data(), frames - 100, 600);
  for (size_t i = 0; i < 200; ++i)
    ASSERT_EQ(out[i], 0.25f + in[(frames - 100) * 2 + i]) << i;
  for (size_t i = 200; i < out.size(); ++i) ASSERT_EQ(out[i], 0.25f) << i;
  std::vector<float> again(2 * 10, 0.0f);
  pass.AddInto(again.data(), 0, 10);
  EXPECT_TRUE(std::equal(again.begin(), again.end(), in.begin()));
}

TEST(KeptPass, DamagedBlocksDecodeToSilenceNotPastTheirBytes) {
  const std::vector<int16_t> samples = Hostile(kBlock, 5);
  const std::vector<uint8_t> good = platform::audio::EncodeKeptBlock(samples.data(), kBlock);
  std::vector<int16_t> out(kBlock * 2, 7);
  ASSERT_TRUE(platform::audio::DecodeKeptBlock(good, out.data(), kBlock));
  EXPECT_EQ(out, samples);

  std::mt19937 rng(6);
  std::vector<std::vector<uint8_t>> damaged = {
      {}, std::vector<uint8_t>(good.begin(), good.begin() + std::ptrdiff_t(good.size() / 2)),
      std::vector<uint8_t>(good.size(), 0x00), std::vector<uint8_t>(good.size(), 0xFF)};
  for (int i = 0; i < 20; ++i) {
    std::vector<uint8_t> flipped = good;
    flipped[rng() % flipped.size()] ^= uint8_t(1u << (rng() % 8));
    damaged.push_back(flipped);
    std::vector<uint8_t> noise(rng() % 4000);
    for (auto& b : noise) b = uint8_t(rng());
    damaged.push_back(noise);
  }
  for (const auto& bytes : damaged) {
    std::fill(out.begin(), out.end(), int16_t(7));
    if (!platform::audio::DecodeKeptBlock(bytes, out.data(), kBlock)) {
      EXPECT_EQ(out, std::vector<int16_t>(kBlock * 2, 0));
    }
  }
  // Longer than the block says: the surplus is damage too.
  std::vector<uint8_t> longer = good;
  longer.insert(longer.end(), 8, 0x55);
  EXPECT_FALSE(platform::audio::DecodeKeptBlock(longer, out.data(), kBlock));
}

}  // namespace
