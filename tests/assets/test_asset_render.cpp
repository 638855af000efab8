// The game's tune and swoosh rendered through the real mixer and synthesiser.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

struct Rendered {
  std::string json;
  double Number(const std::string& key) const {
    const auto at = json.find("\"" + key + "\":");
    if (at == std::string::npos) return -1e9;
    return std::strtod(json.c_str() + at + key.size() + 3, nullptr);
  }
};

Rendered Render(const std::string& input, const std::string& extra = "") {
  const std::string out = testing::TempDir() + "render_" + std::to_string(getpid()) + ".wav";
  const std::string cmd =
      std::string(TOLVARAN_SOUNDRENDER) + " " + input + " " + out + " " + extra + " 2>/dev/null";
  Rendered r;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char buf[1024];
    while (size_t n = fread(buf, 1, sizeof buf, p)) r.json.append(buf, n);
    pclose(p);
  }
  std::ifstream wav(out, std::ios::binary | std::ios::ate);
  if (wav) r.json += "\"wav_bytes\":" + std::to_string(int64_t(wav.tellg())) + ",";
  std::remove(out.c_str());
  return r;
}

bool HaveSoundFont(const Rendered& r) { return r.json.find("\"soundfont\":\"/") != std::string::npos; }

TEST(AssetRender, SwooshIsShortLoudEnoughAndNeverClips) {
  const Rendered r = Render(TOLVARAN_ASSET_DIR "/builtin/AttackSound.wav");
  ASSERT_FALSE(r.json.empty()) << "the renderer printed nothing";
  EXPECT_NEAR(r.Number("seconds"), 0.9, 0.05) << r.json;
  EXPECT_GT(r.Number("peak"), 0.3);   // audible over the music
  EXPECT_LT(r.Number("peak"), 0.99);  // headroom
  EXPECT_GT(r.Number("rms_dbfs"), -35.0);
  EXPECT_EQ(r.Number("clipped"), 0);
  // 44.1 kHz stereo 16-bit: 176,400 bytes a second plus the header.
  EXPECT_NEAR(r.Number("wav_bytes"), 0.9 * 176400 + 44, 4410);
}

TEST(AssetRender, TuneLastsAbout87SecondsAndIsNotSilentOrClipped) {
  const Rendered r = Render(TOLVARAN_ASSET_DIR "/builtin/Music.mid", "--seconds 20");
  ASSERT_FALSE(r.json.empty());
  EXPECT_GT(r.Number("content_seconds"), 60.0) << r.json;
  EXPECT_LT(r.Number("content_seconds"), 120.0);
  EXPECT_NEAR(r.Number("seconds"), 20.0, 0.01);
  if (!HaveSoundFont(r)) GTEST_SKIP() << "no General MIDI sound font installed";
  EXPECT_GT(r.Number("rms_dbfs"), -40.0);
  EXPECT_LT(r.Number("peak"), 0.9);
  EXPECT_EQ(r.Number("clipped"), 0);
}

}  // namespace
