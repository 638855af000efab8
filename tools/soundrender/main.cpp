// tolvaran-soundrender IN.(mid|wav) OUT.wav [--seconds N]
// tolvaran-soundrender IN.mid --record FOLDER
// Renders sound data through the game's mixer and synthesiser, without a device, into a
// 44,100 Hz stereo 16-bit WAVE file and prints its length and levels as one JSON line.
// With --record, writes the recording of the looping song's first two passes that the
// game plays instead of synthesising them into FOLDER (platform/audio_recording.h);
// without a sound font there is nothing to record, which is said but is no failure.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/audio.h"
#include "platform/audio_recording.h"
#include "render.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: tolvaran-soundrender IN.(mid|wav) OUT.wav [--seconds N]\n"
               "       tolvaran-soundrender IN.mid --record FOLDER\n");
  return 2;
}

double Dbfs(double level) { return level > 0 ? 20.0 * std::log10(level) : -999.0; }

std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < 0x20) continue;
    out += c;
  }
  return out + "\"";
}

int Record(const std::vector<uint8_t>& data, const std::string& soundFont,
           const std::string& folder) {
  if (soundFont.empty()) {
    std::printf("tolvaran-soundrender: no sound font, so no recording; the game synthesises\n");
    return 0;
  }
  const std::vector<uint8_t> recording = soundrender::RecordMidi(data, soundFont);
  if (recording.empty()) {
    std::fprintf(stderr, "tolvaran-soundrender: no recording: not a playable MIDI song\n");
    return 1;
  }
  const std::string path = platform::audio::RecordingPath(folder, platform::ContentKey(data));
  std::ofstream dest(path, std::ios::binary);
  if (!dest.write(reinterpret_cast<const char*>(recording.data()), std::streamsize(recording.size()))) {
    std::fprintf(stderr, "tolvaran-soundrender: cannot write %s\n", path.c_str());
    return 2;
  }
  std::printf("{\"recording\":%s,\"bytes\":%zu,\"soundfont\":%s}\n", JsonString(path).c_str(),
              recording.size(), JsonString(soundFont).c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string in, out, recordTo;
  std::optional<double> seconds;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--seconds") {
      if (i + 1 >= argc) return Usage();
      char* end = nullptr;
      double value = std::strtod(argv[++i], &end);
      if (*end != '\0' || !(value >= 0) || value > 3600) {
        std::fprintf(stderr, "tolvaran-soundrender: --seconds needs 0 to 3600\n");
        return 2;
      }
      seconds = value;
    } else if (arg == "--record") {
      if (i + 1 >= argc) return Usage();
      recordTo = argv[++i];
    } else if (in.empty()) {
      in = arg;
    } else if (out.empty()) {
      out = arg;
    } else {
      return Usage();
    }
  }
  if (in.empty() || out.empty() == recordTo.empty() || (seconds && !recordTo.empty()))
    return Usage();

  std::ifstream file(in, std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "tolvaran-soundrender: cannot read %s\n", in.c_str());
    return 2;
  }
  std::vector<uint8_t> data((std::istreambuf_iterator<char>(file)), {});
  const std::string soundFont = platform::FindSoundFont();
  if (!recordTo.empty()) return Record(data, soundFont, recordTo);
  auto rendered = soundrender::Render(data, seconds, soundFont);
  if (!rendered) {
    std::fprintf(stderr, "tolvaran-soundrender: %s is not playable WAVE or MIDI data\n",
                 in.c_str());
    return 1;
  }
  std::vector<uint8_t> wav = soundrender::EncodeWave(rendered->samples);
  std::ofstream dest(out, std::ios::binary);
  if (!dest.write(reinterpret_cast<const char*>(wav.data()), std::streamsize(wav.size()))) {
    std::fprintf(stderr, "tolvaran-soundrender: cannot write %s\n", out.c_str());
    return 2;
  }
  auto levels = soundrender::Measure(rendered->samples);
  const size_t frames = rendered->samples.size() / 2;
  std::printf(
      "{\"input\":%s,\"kind\":\"%s\",\"content_seconds\":%.3f,\"seconds\":%.3f,"
      "\"frames\":%zu,\"peak\":%.4f,\"peak_dbfs\":%.2f,\"rms_dbfs\":%.2f,\"clipped\":%zu,"
      "\"soundfont\":%s}\n",
      JsonString(in).c_str(), rendered->kind.c_str(), rendered->contentSeconds,
      double(frames) / platform::AudioMixer::kSampleRate, frames, levels.peak,
      Dbfs(levels.peak), Dbfs(levels.rms), levels.clipped, JsonString(soundFont).c_str());
  return 0;
}
