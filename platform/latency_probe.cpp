// The latency probe: timestamps in microseconds of the steady clock, kept in memory
// and summarised once at exit.
#include "platform/latency_probe.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <vector>

#include "platform/process.h"
#include "platform/window.h"

namespace platform::detail {

namespace {

int64_t NowUs() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

struct Key {
  int64_t arrived = 0;
  bool down = false;
  bool dispatched = false;
  bool reacted = false;
};

struct Probe {
  std::deque<Key> keys;
  std::vector<int64_t> gaps, latencies, pressLatencies;
  int64_t lastPresent = -1;
};

Probe& P() {
  static Probe p;
  return p;
}

double Percentile(std::vector<int64_t> v, double q) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t i = std::min(v.size() - 1, size_t(q * double(v.size() - 1) + 0.5));
  return double(v[i]) / 1000.0;
}

void Report() {
  const Probe& p = P();
  std::fprintf(stderr,
               "tolvaran: %zu present gaps p50 %.2f ms p99 %.2f ms; %zu keys to present "
               "p50 %.2f ms p99 %.2f ms; %zu presses p50 %.2f ms p99 %.2f ms\n",
               p.gaps.size(), Percentile(p.gaps, 0.5), Percentile(p.gaps, 0.99),
               p.latencies.size(), Percentile(p.latencies, 0.5),
               Percentile(p.latencies, 0.99), p.pressLatencies.size(),
               Percentile(p.pressLatencies, 0.5), Percentile(p.pressLatencies, 0.99));
}

}  // namespace

bool LatencyProbeOn() {
  static const bool on = [] {
    const char* v = std::getenv("TOLVARAN_REPORT_LATENCY");
    const bool set = v && std::strcmp(v, "1") == 0;
    if (set) AtExit(Report);
    return set;
  }();
  return on;
}

void ProbeKeyArrived(bool down, uint32_t agoMs) {
  if (!LatencyProbeOn()) return;
  P().keys.push_back({NowUs() - int64_t(agoMs) * 1000, down, false, false});
}

void ProbeDispatched(uint32_t message) {
  if (!LatencyProbeOn() || P().keys.empty()) return;
  switch (message) {
    case WM_KEYDOWN: case WM_KEYUP: case WM_SYSKEYDOWN: case WM_SYSKEYUP:
      // Messages come in the order the keys arrived.
      for (Key& k : P().keys) {
        if (!k.dispatched) {
          k.dispatched = true;
          break;
        }
      }
      break;
    case WM_TIMER:
      for (Key& k : P().keys)
        if (k.dispatched) k.reacted = true;
      break;
    default:
      break;
  }
}

void ProbePresented() {
  if (!LatencyProbeOn()) return;
  Probe& p = P();
  const int64_t now = NowUs();
  if (p.lastPresent >= 0) p.gaps.push_back(now - p.lastPresent);
  p.lastPresent = now;
  while (!p.keys.empty() && p.keys.front().reacted) {
    p.latencies.push_back(now - p.keys.front().arrived);
    if (p.keys.front().down) p.pressLatencies.push_back(now - p.keys.front().arrived);
    p.keys.pop_front();
  }
}

}  // namespace platform::detail
