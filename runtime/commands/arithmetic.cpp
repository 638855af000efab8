// Mod, Abs and the random generator. The generator is the classic linear congruential
// one (214013, 2531011, 15 bits out) because the game's random choices are tuned to it.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

#include "platform/process.h"
#include "platform/text.h"
#include "runtime/commands/commands.h"
#include "runtime/values/arg_list.h"

namespace rt {
namespace {

thread_local uint32_t t_randomState = 1;
// Seeds taken from the clock add this counter, so two seedings within one millisecond
// still differ.
std::atomic<uint32_t> g_seedCounter{0};

uint32_t NextRandom() {
  t_randomState = t_randomState * 214013u + 2531011u;
  return (t_randomState >> 16) & 0x7FFF;
}

}  // namespace

uint32_t RandomState() { return t_randomState; }

double Mod(double x, std::span<const double> divisors) {
  double r = x;
  for (const double y : divisors) {
    if (y == 0) {
      static const std::string message = platform::gbk("不能求余数于零");
      RuntimeErrorMessage(message);
    }
    r = std::fmod(r, y);
  }
  return r;
}

double Abs(double x) { return x < 0 ? -x : x; }

void SetRandomSeed(std::optional<uint32_t> seed) {
  if (seed) {
    t_randomState = *seed;
    return;
  }
  const uint32_t t = platform::GetTickCount() + g_seedCounter.load();
  g_seedCounter += (t & 255) + 100;
  t_randomState = t;
}

int32_t Random(std::optional<int32_t> min, std::optional<int32_t> max) {
  int64_t lo = min ? std::max(*min, 0) : 0;
  int64_t hi = max ? std::max(*max, 0) : 2147483647;
  if (lo > hi) std::swap(lo, hi);
  if (lo == hi) return int32_t(lo);
  const int64_t range = std::min<int64_t>(hi - lo, 2147483646);
  return int32_t(lo + int64_t(NextRandom()) % (range + 1));
}

namespace commands {

void Mod(ArgRecord* result, int argc, ArgRecord* args) {
  const ArgList a(argc, args);
  std::vector<double> divisors;
  for (int i = 1; i < a.Count(); ++i) divisors.push_back(NumberArg(a[i]));
  *result = ArgDouble(rt::Mod(a.Number(0), divisors));
}

void Abs(ArgRecord* result, int argc, ArgRecord* args) {
  *result = ArgDouble(rt::Abs(ArgList(argc, args).Number(0)));
}

void SetRandomSeed(ArgRecord*, int argc, ArgRecord* args) {
  const auto seed = ArgList(argc, args).OptInt(0);
  rt::SetRandomSeed(seed ? std::optional<uint32_t>(uint32_t(*seed)) : std::nullopt);
}

void Random(ArgRecord* result, int argc, ArgRecord* args) {
  const ArgList a(argc, args);
  *result = ArgInt(rt::Random(a.OptInt(0), a.OptInt(1)));
}

}  // namespace commands
}  // namespace rt
