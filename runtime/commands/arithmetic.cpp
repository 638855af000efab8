// Mod, Abs and the random generator. The generator is the classic linear congruential
// one (214013, 2531011, 15 bits out) because the game's random choices are tuned to it.
#include <atomic>
#include <algorithm>
#include <cmath>

#include "platform/process.h"
#include "platform/text.h"
#include "runtime/commands/commands.h"

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

const ArgRecord* OptionalArg(int argc, const ArgRecord* args, int i) {
  return i < argc && Present(args[i]) ? &args[i] : nullptr;
}

}  // namespace

uint32_t RandomState() { return t_randomState; }

namespace commands {

void Mod(ArgRecord* result, int argc, ArgRecord* args) {
  double r = argc > 0 ? NumberArg(args[0]) : 0.0;
  for (int i = 1; i < argc; ++i) {
    const double y = NumberArg(args[i]);
    if (y == 0) {
      static const std::string message = platform::gbk("不能求余数于零");
      RuntimeErrorMessage(message);
    }
    r = std::fmod(r, y);
  }
  *result = ArgDouble(r);
}

void Abs(ArgRecord* result, int argc, ArgRecord* args) {
  const double x = argc > 0 ? NumberArg(args[0]) : 0.0;
  *result = ArgDouble(x < 0 ? -x : x);
}

void SetRandomSeed(ArgRecord*, int argc, ArgRecord* args) {
  if (const ArgRecord* seed = OptionalArg(argc, args, 0)) {
    t_randomState = uint32_t(IntArg(*seed));
    return;
  }
  const uint32_t t = platform::GetTickCount() + g_seedCounter.load();
  g_seedCounter += (t & 255) + 100;
  t_randomState = t;
}

void Random(ArgRecord* result, int argc, ArgRecord* args) {
  const ArgRecord* minArg = OptionalArg(argc, args, 0);
  const ArgRecord* maxArg = OptionalArg(argc, args, 1);
  int64_t lo = minArg ? std::max(IntArg(*minArg), 0) : 0;
  int64_t hi = maxArg ? std::max(IntArg(*maxArg), 0) : 2147483647;
  if (lo > hi) std::swap(lo, hi);
  if (lo == hi) {
    *result = ArgInt(int32_t(lo));
    return;
  }
  const int64_t range = std::min<int64_t>(hi - lo, 2147483646);
  *result = ArgInt(int32_t(lo + int64_t(NextRandom()) % (range + 1)));
}

}  // namespace commands
}  // namespace rt
