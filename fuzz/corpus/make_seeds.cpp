// tolvaran-fuzz-seeds OUT_DIR ASSET_DIR: writes the seed inputs of the fuzz targets,
// one folder per target under OUT_DIR (<build>/fuzz/seeds), made with the tests' encoders so that no binary
// sample lives in the tree. The generated assets already cover the everyday files (GIF
// animations, RGBA PNGs, JPEGs, one WAVE, one tune); the seeds add the variants the game
// does not use: other BMP depths, icons, cursors, PCX, interlaced and disposing GIFs,
// palette and 16-bit PNGs, other WAVE layouts and MIDI event kinds, a tune recording,
// stored blocks, scripts and command lines. The small assets are copied to the targets
// that read their format (large ones only slow the fuzzer down; the replay tests read
// every asset anyway). The transform target reads five bytes before the picture, so its
// seeds are assets with such a prefix.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/audio_kept_pass.h"
#include "platform/audio_recording.h"
#include "stage/component/stored_blocks.h"
#include "tools/encoders/crafted.h"
#include "tests/sound/test_data.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

fs::path g_out;
bool g_failed = false;

void Write(const std::string& target, const std::string& name, const Bytes& bytes) {
  const fs::path dir = g_out / target;
  fs::create_directories(dir);
  std::ofstream out(dir / name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "tolvaran-fuzz-seeds: cannot write %s\n", (dir / name).c_str());
    g_failed = true;
  }
}

Bytes Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "tolvaran-fuzz-seeds: cannot read %s\n", path.c_str());
    g_failed = true;
    return {};
  }
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Indices 0..n-1 in a pattern that gives the LZW coder both runs and noise.
std::vector<uint8_t> Pattern(int count, int colours) {
  std::vector<uint8_t> out(static_cast<size_t>(count));
  uint32_t state = 1;
  for (int i = 0; i < count; ++i) {
    state = state * 1103515245u + 12345u;
    out[size_t(i)] = uint8_t(((i / 7) % 3 == 0 ? i % colours : (state >> 16) % uint32_t(colours)));
  }
  return out;
}

encoders::BmpLayout Layout(int w, int h, int bits) {
  encoders::BmpLayout l;
  l.width = w;
  l.height = h;
  l.bitCount = bits;
  if (bits <= 8) {
    for (int i = 0; i < (1 << bits); ++i) l.palette.push_back(uint32_t(i * 0x010203 * 37) & 0xFFFFFF);
    for (int i = 0; i < w * h; ++i) l.pixels.push_back(uint32_t(i % (1 << bits)));
  } else {
    for (int i = 0; i < w * h; ++i) l.pixels.push_back(0x80000000u | uint32_t(i * 0x0A1B2C));
  }
  return l;
}

// An 8-bit run-length BMP of 6 x 3: a run and a literal (absolute, padded) run, end of
// line; a delta, a run, end of line; end of bitmap.
Bytes Rle8Bmp() {
  const Bytes rle{3, 1, 0, 3, 2, 0, 1, 0, 0, 0, 0, 2, 1, 0, 2, 3, 0, 0, 0, 1};
  Bytes b;
  auto le16 = [&](uint32_t v) { b.push_back(uint8_t(v)); b.push_back(uint8_t(v >> 8)); };
  auto le32 = [&](uint32_t v) { le16(v & 0xFFFF); le16(v >> 16); };
  const uint32_t offset = 14 + 40 + 4 * 4;
  b.push_back('B');
  b.push_back('M');
  le32(offset + uint32_t(rle.size()));
  le32(0);
  le32(offset);
  le32(40);
  le32(6);  // width
  le32(3);  // height
  le16(1);
  le16(8);
  le32(1);  // BI_RLE8
  le32(uint32_t(rle.size()));
  le32(2835);
  le32(2835);
  le32(4);
  le32(0);
  for (uint32_t c : {0x000000u, 0xFF0000u, 0x00FF00u, 0x0000FFu}) le32(c);
  b.insert(b.end(), rle.begin(), rle.end());
  return b;
}

void BmpSeeds() {
  const std::string t = "fuzz_pictures_bmp";
  for (int bits : {1, 4, 8, 24, 32}) Write(t, "bmp" + std::to_string(bits) + ".bmp", encoders::BmpFile(Layout(5, 3, bits)));
  encoders::BmpLayout topDown = Layout(4, 2, 8);
  topDown.topDown = true;
  Write(t, "bmp8_top_down.bmp", encoders::BmpFile(topDown));
  encoders::BmpLayout fields = Layout(3, 2, 16);
  fields.compression = 3;
  fields.masks = {0xF800, 0x07E0, 0x001F};
  Write(t, "bmp16_bitfields.bmp", encoders::BmpFile(fields));
  encoders::BmpLayout core = Layout(3, 2, 24);
  core.headerSize = 12;
  Write(t, "bmp24_core_header.bmp", encoders::BmpFile(core));
  encoders::BmpLayout v5 = Layout(3, 2, 32);
  v5.headerSize = 124;
  Write(t, "bmp32_v5_header.bmp", encoders::BmpFile(v5));
  Write(t, "bmp8_rle.bmp", Rle8Bmp());
}

void IconSeeds() {
  const std::string t = "fuzz_pictures_icon";
  const std::vector<uint8_t> mask{0, 1, 1, 0, 0, 0};
  encoders::BmpLayout icon = Layout(3, 2, 32);
  const Bytes png = encoders::PngFile(2, 1, 6, 8, {0, 255, 0, 0, 255, 0, 0, 255, 128});
  Write(t, "icon.ico", encoders::IconFile({{3, 2, 32, encoders::DibBytes(icon, &mask)},
                                          {3, 2, 8, encoders::DibBytes(Layout(3, 2, 8), &mask)}}));
  Write(t, "icon_png.ico", encoders::IconFile({{2, 1, 32, png}}));
  Write(t, "icon1.ico", encoders::IconFile({{3, 2, 1, encoders::DibBytes(Layout(3, 2, 1), &mask)}}));
  Write(t, "cursor.cur", encoders::IconFile({{3, 2, 4, encoders::DibBytes(Layout(3, 2, 4), &mask)}}, 2));
}

void PcxSeeds() {
  const std::string t = "fuzz_pictures_pcx";
  Write(t, "pcx8.pcx", encoders::PcxFile(7, 3, 8, Pattern(21, 5), {0xFF0000, 0x00FF00, 0x0000FF, 0x808080, 0xFFFFFF}));
  Write(t, "pcx1.pcx", encoders::PcxFile(9, 2, 1, {1, 0, 1, 1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1, 1, 1, 0, 0}));
  std::vector<uint8_t> runs(64, 3);
  for (int i = 40; i < 64; ++i) runs[size_t(i)] = uint8_t(i % 4);
  Write(t, "pcx8_runs.pcx", encoders::PcxFile(16, 4, 8, runs, {0x000000, 0x404040, 0x808080, 0xC0C0C0}));
}

void JpegSeeds() {
  const std::string t = "fuzz_pictures_jpeg";
  Write(t, "grey.jpg", encoders::JpegFile(8, 8, std::vector<uint32_t>(64, 0x808080), 90, true));
  std::vector<uint32_t> colours(24 * 16);
  for (size_t i = 0; i < colours.size(); ++i) colours[i] = uint32_t(i * 0x0B1D07) & 0xFFFFFF;
  Write(t, "colour.jpg", encoders::JpegFile(24, 16, colours, 75));
}

void GifSeeds() {
  const std::string t = "fuzz_pictures_gif";
  const std::vector<uint32_t> table{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
  // Two frames that dispose to the background and to the previous frame, with a
  // transparent index, a loop count and a comment.
  auto anim = encoders::GifBuilder(6, 5, table);
  anim.Netscape(3).Comment("seed")
      .Control(2, true, 7, 3).Image(0, 0, 6, 5, Pattern(30, 4))
      .Control(3, false, 12, 0).Image(2, 1, 3, 3, Pattern(9, 4))
      .Control(1, true, 0, 0).Image(1, 1, 2, 2, {1, 2, 3, 0})
      .Trailer();
  Write(t, "disposal.gif", anim.bytes);
  // Interlaced, with a local table and no global one, in the older signature.
  auto inter = encoders::GifBuilder(5, 9, {}, "GIF87a");
  inter.Image(0, 0, 5, 9, Pattern(45, 8), true,
              {0x000000, 0x202020, 0x404040, 0x606060, 0x808080, 0xA0A0A0, 0xC0C0C0, 0xE0E0E0})
      .Trailer();
  Write(t, "interlaced_local_table.gif", inter.bytes);
  // Enough noise in 256 colours for the code width to reach 12 bits and the table to reset.
  std::vector<uint32_t> full(256);
  for (size_t i = 0; i < full.size(); ++i) full[i] = uint32_t(i * 0x010101);
  auto wide = encoders::GifBuilder(96, 64, full);
  wide.Image(0, 0, 96, 64, Pattern(96 * 64, 256)).Trailer();
  Write(t, "code_width_reset.gif", wide.bytes);
  // A frame larger than the screen and one cut off before its trailer.
  auto odd = encoders::GifBuilder(2, 2, table);
  odd.Image(1, 1, 3, 3, Pattern(9, 4));
  Write(t, "frame_past_screen_no_trailer.gif", odd.bytes);
}

void PngSeeds() {
  const std::string t = "fuzz_pictures_png";
  // Colour type 3 with tRNS, 2 bits per pixel: 5 pixels pack into two bytes per row.
  Write(t, "palette_trns.png",
        encoders::PngFile(5, 2, 3, 2, {0x1B, 0x40, 0xE4, 0x00}, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF},
                         {0, 128}));
  Write(t, "grey16.png", encoders::PngFile(2, 2, 0, 16, {0x12, 0x34, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0x01}));
  Write(t, "grey_alpha.png", encoders::PngFile(2, 1, 4, 8, {10, 0, 200, 255}));
  Write(t, "rgb.png", encoders::PngFile(2, 1, 2, 8, {1, 2, 3, 250, 251, 252}));
  Write(t, "rgba16.png", encoders::PngFile(1, 1, 6, 16, {0xFF, 0, 0x80, 0, 0, 0xFF, 0x7F, 0xFF}));
}

void TransformSeeds(const fs::path& assets) {
  const std::string t = "fuzz_stage_transforms";
  // turn, angle / 3, (zoom - 100) / 8, depth + 20, light; then the picture.
  const struct {
    const char* file;
    Bytes params;
  } seeds[] = {
      {"builtin/StandPicture.gif", {1, 30, 112, 70, 20}},
      {"builtin/PortraitPicture.png", {2, 0, 50, 120, 0xF0}},
      {"builtin/AttackPicture.gif", {3, 90, 200, 0, 0}},
      {"图片集合/鸡腿.png", {0, 15, 12, 100, 40}},
  };
  int n = 0;
  for (const auto& s : seeds) {
    Bytes bytes = s.params;
    const Bytes picture = Read(assets / s.file);
    bytes.insert(bytes.end(), picture.begin(), picture.end());
    Write(t, "asset" + std::to_string(++n) + ".bin", bytes);
  }
}

void WaveSeeds() {
  using namespace sound_test;
  const std::string t = "fuzz_sound_wave";
  Write(t, "pcm8_mono.wav", SimpleWave(33, {1, 1, 11025, 8}));
  Write(t, "pcm16_stereo.wav", SimpleWave(64));
  // A chunk before the format, an odd-sized one (padded) between format and data.
  Bytes list;
  Put(list, "LIST");
  Le32(list, 5);
  Put(list, "INFOx");
  list.push_back(0);
  Write(t, "chunks_around.wav", Riff({list, FmtChunk({1, 1, 8000, 16}), list, DataChunk(Ramp(20))}));
  // WAVE_FORMAT_EXTENSIBLE: a 40-byte format with the PCM sub-format.
  Bytes ext;
  Put(ext, "fmt ");
  Le32(ext, 40);
  Le16(ext, 0xFFFE);
  Le16(ext, 2);
  Le32(ext, 44100);
  Le32(ext, 44100 * 4);
  Le16(ext, 4);
  Le16(ext, 16);
  Le16(ext, 22);
  Le16(ext, 16);
  Le32(ext, 3);
  const uint8_t pcmGuid[16] = {1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
  ext.insert(ext.end(), std::begin(pcmGuid), std::end(pcmGuid));
  Write(t, "extensible.wav", Riff({ext, DataChunk(Ramp(16))}));
  // The data chunk claims more than the file holds.
  Bytes cut = SimpleWave(40, {1, 2, 22050, 8});
  cut.resize(cut.size() - 25);
  Write(t, "data_cut_short.wav", cut);
}

void MidiSeeds() {
  using namespace sound_test;
  const std::string t = "fuzz_sound_midi";
  Write(t, "tune.mid", Tune(6));
  // One track: running status, a system exclusive message, text and tempo meta events,
  // controllers, pitch bend and a note left sounding at the end.
  Write(t, "format0_events.mid",
        Smf(0, 120,
            {Track({{0, {0xFF, 0x01, 0x04, 't', 'e', 'x', 't'}},
                    {0, Tempo(400000)},
                    {0, {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7}},
                    {0, {0xB0, 0x07, 100}},
                    {0, {0xC1, 0x19}},
                    {0, {0x91, 64, 90}},
                    {30, {67, 90}},          // running status
                    {30, {64, 0}},
                    {10, {0xE1, 0x00, 0x50}},
                    {60, {0xF7, 0x02, 0x01, 0x02}},  // an escape sequence
                    {0, {0x81, 67, 0}},
                    {0, {0x92, 72, 80}},
                    {0, EndOfTrack()}})}));
  // Time in SMPTE frames (25 fps, 40 ticks per frame), two tracks of format 1.
  Write(t, "smpte_division.mid",
        Smf(1, 0xE728, {Track({{0, Tempo(600000)}, {0, EndOfTrack()}}),
                        Track({{0, {0x90, 60, 100}}, {1000, {0x80, 60, 0}}, {0, EndOfTrack()}})}));
  // A track whose length runs past the end of the file.
  Bytes cut = Tune(3);
  cut.resize(cut.size() - 6);
  Write(t, "track_cut_short.mid", cut);
}

// A recording of three and a bit blocks of a chord, its second pass starting inside the
// second block, and one block of the codec on its own.
void RecordingSeeds() {
  const std::string t = "fuzz_sound_recording";
  const size_t frames = 3 * platform::audio::KeptPass::kBlockFrames + 100;
  std::vector<float> chord(2 * frames);
  for (size_t i = 0; i < frames; ++i) {
    chord[2 * i] = float(0.3 * std::sin(double(i) * 0.031) + 0.1 * std::sin(double(i) * 0.0071));
    chord[2 * i + 1] = float(0.25 * std::sin(double(i) * 0.047));
  }
  platform::audio::KeptPass pass(1u << 20);
  pass.Append(chord.data(), frames);
  pass.Finish();
  Write(t, "recording.tune", platform::audio::EncodeRecording(7, 9, 6000, pass));
  std::vector<int16_t> block(2 * 300);
  for (size_t i = 0; i < block.size(); ++i) block[i] = int16_t(std::lrint(chord[i] * 32767));
  Write(t, "block.bin", platform::audio::EncodeKeptBlock(block.data(), 300));
}

// The first byte picks the block: even for the stage, odd for a template.
void BlockSeeds() {
  const std::string t = "fuzz_stage_blocks";
  auto tagged = [](uint8_t kind, Bytes block) {
    block.insert(block.begin(), kind);
    return block;
  };
  stage::StageSettings s;
  s.border = 2;
  s.penWidth = 3;
  s.font = Bytes(60, 0);
  s.pic = encoders::PngFile(1, 1, 2, 8, {1, 2, 3});
  Write(t, "stage.bin", tagged(0, stage::WriteStageBlock(s)));
  Write(t, "stage_empty.bin", {0});
  stage::TemplateSettings o;
  o.text = "hero";
  o.playGif = true;
  o.zoom = 1500;
  o.angle = -90;
  o.createSound = sound_test::SimpleWave(8);
  Write(t, "template.bin", tagged(1, stage::WriteTemplateBlock(o)));
  // An older template block: version 1, without the type and the turn.
  Bytes v1;
  sound_test::Le32(v1, 1);
  for (int i = 0; i < 16; ++i) sound_test::Le32(v1, uint32_t(i));
  for (int i = 0; i < 6; ++i) sound_test::Le32(v1, 0);
  Write(t, "template_v1.bin", tagged(1, v1));
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

void ScriptSeeds() {
  const std::string t = "fuzz_script";
  Write(t, "play.txt", Text("300 down Return\n350 up Return\n1000 down Right\n2000 down Space\n"
                            "2400 up Space\n2500 up Right\n"));
  Write(t, "names.txt", Text("# every kind of key name\r\n0 down left\n1 UP Enter\n\n2 down Esc\n"
                             "3 down F12\n4 up 65\n5 down z\n6 down 7\n7 up ctrl\n8 down Tab\n"));
  Write(t, "bad_line.txt", Text("10 down Return\n20 sideways Return\n"));
}

// Words separated by zero bytes; the script is the one the target writes at start.
void CommandLineSeeds() {
  const std::string t = "fuzz_command_line";
  auto words = [](std::initializer_list<std::string> list) {
    Bytes b;
    for (const auto& w : list) {
      if (!b.empty()) b.push_back(0);
      b.insert(b.end(), w.begin(), w.end());
    }
    return b;
  };
  Write(t, "play.bin", words({"--headless", "--script", "/tmp/tolvaran-fuzz/play.txt", "--run-for", "120000",
                              "--dump-state", "state.json", "--screenshot", "5000:shot.png"}));
  Write(t, "inline.bin", words({"--headless", "--run-for=500", "--scale=3", "--mute", "--screenshot=0:a.png"}));
  Write(t, "help.bin", words({"--help"}));
  Write(t, "bad.bin", words({"--scale", "17", "--bogus", "-x", "word"}));
}

// The assets a target reads, up to a size that keeps the fuzzer quick.
void CopyAssets(const fs::path& assets) {
  const struct {
    const char* extension;
    std::vector<std::string> targets;
  } kinds[] = {
      {".gif", {"fuzz_pictures_gif"}},
      {".png", {"fuzz_pictures_png"}},
      {".jpg", {"fuzz_pictures_jpeg"}},
      {".wav", {"fuzz_sound_wave"}},
      {".mid", {"fuzz_sound_midi"}},
  };
  std::error_code ec;
  int n = 0;
  for (const auto& e : fs::recursive_directory_iterator(assets, ec)) {
    if (!e.is_regular_file() || e.file_size() > 16384) continue;
    for (const auto& kind : kinds) {
      if (e.path().extension() != kind.extension) continue;
      const Bytes bytes = Read(e.path());
      for (const auto& target : kind.targets)
        Write(target, "asset" + std::to_string(++n) + kind.extension, bytes);
    }
  }
}

void CopySeeds(const std::string& from, const std::string& to) {
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(g_out / from, ec))
    Write(to, e.path().filename().string(), Read(e.path()));
}

// The loader's first GIF image starts from the stage decoder's GIFs; the loader, which
// sees every format through its sniffing, from the seeds of each.
void LoaderSeeds() {
  CopySeeds("fuzz_pictures_gif", "fuzz_pictures_gif_first");
  for (const char* format : {"fuzz_pictures_bmp", "fuzz_pictures_icon", "fuzz_pictures_pcx",
                             "fuzz_pictures_jpeg", "fuzz_pictures_gif"})
    CopySeeds(format, "fuzz_pictures_loader");
}

}  // namespace

void SdlEventSeeds() {
  // Ops of fuzz_sdl_events: a byte whose value mod 10 picks the kind (0-1 key, 3 real
  // pad, 5 mouse, 6 window event, 7 window manager, 9 letterbox) and whose high bit
  // pumps the events through the host, then the kind's own bytes.
  const std::string t = "fuzz_sdl_events";
  // A pad plugged in, a button and a stick pressed, pulled out while holding them.
  Write(t, "pad_pulled_out", {131, 0, 131, 2, 0, 0, 1, 131, 3, 0, 1, 0xFF, 0x7F, 131, 1, 0});
  // Right held with repeats, Space tapped, focus lost while Right is down.
  Write(t, "keys_and_focus", {128, 1, 1, 0, 1, 128, 1, 1, 1, 1, 128, 1, 1, 0, 4,
                              128, 0, 1, 4, 136, 1, 13, 2, 2});
  // The window resized to nothing and to 16k, minimised, restored, fullscreen and back,
  // with clicks on the picture and on the bars after each.
  Write(t, "resize_storm", {135, 0, 0, 0, 133, 1, 1, 1, 2, 0x40, 0x01, 2, 0x20, 0x01,
                            135, 0, 4, 4, 136, 1, 6, 4, 4, 133, 0, 1, 2, 0x10, 0x00, 1, 0xF0, 0x0B,
                            135, 1, 136, 1, 7, 0, 0, 135, 2, 135, 4, 1, 133, 0, 1, 2, 0x00, 0x02, 2, 0x00, 0x02,
                            135, 4, 0, 129, 9, 4, 4, 2, 0x00, 0x20, 2, 0x00, 0x20});
}

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tolvaran-fuzz-seeds OUT_DIR ASSET_DIR\n");
    return 2;
  }
  g_out = argv[1];
  BmpSeeds();
  IconSeeds();
  PcxSeeds();
  JpegSeeds();
  GifSeeds();
  PngSeeds();
  TransformSeeds(argv[2]);
  WaveSeeds();
  MidiSeeds();
  RecordingSeeds();
  BlockSeeds();
  ScriptSeeds();
  CommandLineSeeds();
  SdlEventSeeds();
  CopyAssets(argv[2]);
  LoaderSeeds();
  return g_failed ? 1 : 0;
}
