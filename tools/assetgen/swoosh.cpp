// The attack swoosh: band-passed noise whose centre sweeps up and back down under a
// whoosh envelope, panned a little across the swing. 22,050 Hz, 16-bit, stereo, 0.9 s.
#include <algorithm>
#include <cmath>

#include "tools/assetgen/art.h"

namespace assetgen {

Bytes AttackSound() {
  constexpr int kRate = 22050;
  constexpr int kFrames = kRate * 9 / 10;
  constexpr double kPi = 3.14159265358979;
  Rng rng(0x5A05);
  std::vector<double> left(kFrames), right(kFrames);
  // Two state-variable filters (one per channel, slightly detuned) on one noise source.
  double lp[2] = {0, 0}, bp[2] = {0, 0};
  for (int i = 0; i < kFrames; ++i) {
    double t = double(i) / kRate;
    double rise = std::clamp(t / 0.14, 0.0, 1.0);
    double env = rise * rise * std::exp(-std::max(0.0, t - 0.14) * 7.5);
    double sweep = t < 0.16 ? 350 + 2600 * (t / 0.16) : 2950 * std::exp(-(t - 0.16) * 3.2) + 300;
    double noise = rng.Unit() * 2 - 1;
    for (int c = 0; c < 2; ++c) {
      double f = 2 * std::sin(kPi * std::min(sweep * (c ? 1.06 : 0.94), 6000.0) / kRate);
      double q = 0.55;
      double hp = noise - lp[c] - q * bp[c];
      bp[c] += f * hp;
      lp[c] += f * bp[c];
    }
    double pan = std::clamp(t / 0.4, 0.0, 1.0);
    left[i] = bp[0] * env * (1.1 - 0.5 * pan);
    right[i] = bp[1] * env * (0.6 + 0.5 * pan);
  }
  double peak = 1e-9;
  for (int i = 0; i < kFrames; ++i) peak = std::max({peak, std::abs(left[i]), std::abs(right[i])});
  const double gain = 0.7 * 32767 / peak;  // headroom: several swooshes may overlap
  std::vector<int16_t> pcm(size_t(kFrames) * 2);
  for (int i = 0; i < kFrames; ++i) {
    double fade = std::min(1.0, double(kFrames - 1 - i) / 200.0);  // no click at the end
    pcm[size_t(i) * 2] = int16_t(std::lround(left[i] * gain * fade));
    pcm[size_t(i) * 2 + 1] = int16_t(std::lround(right[i] * gain * fade));
  }
  return EncodeWave(pcm, 2, kRate);
}

}  // namespace assetgen
