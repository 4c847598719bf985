#include "platform/rtl/random.h"

#include <chrono>
#include <mutex>
#include <random>

namespace rtl {

namespace {

struct Generator {
  std::mutex lock;
  std::mt19937 engine{5489u};
};

Generator& TheGenerator() {
  static Generator g;
  return g;
}

}  // namespace

void Randomize() {
  auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
  SetRandSeed(static_cast<uint32_t>(ticks ^ (ticks >> 32)));
}

void SetRandSeed(uint32_t seed) {
  Generator& g = TheGenerator();
  std::lock_guard guard(g.lock);
  g.engine.seed(seed);
}

double Random() {
  Generator& g = TheGenerator();
  std::lock_guard guard(g.lock);
  // 53 random bits: every double in [0, 1) with a 2^-53 step, never 1.
  uint64_t high = g.engine(), low = g.engine();
  uint64_t bits = (high << 21) | (low >> 11);
  return static_cast<double>(bits) / 9007199254740992.0;
}

int32_t Random(int32_t range) {
  if (range <= 0) return 0;
  Generator& g = TheGenerator();
  std::lock_guard guard(g.lock);
  return std::uniform_int_distribution<int32_t>(0, range - 1)(g.engine);
}

}  // namespace rtl
