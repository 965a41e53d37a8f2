#include "lang/random.h"

namespace {

struct RandomState {
  uint32_t state = 1;
};
RandomState Random;

constexpr uint32_t kMultiplier = 16807;
constexpr uint32_t kModulusMask = 0x7FFFFFFF;

uint32_t Fold(uint32_t n) {
  return n > kModulusMask ? (n & kModulusMask) + 1 : n;
}

}  // namespace

uint32_t NextRandomState(uint32_t s) {
  uint32_t lo = (s & 0xFFFF) * kMultiplier;
  uint32_t hi = (s >> 16) * kMultiplier;
  lo = Fold(lo + ((hi & 0x7FFF) << 16));
  return Fold(lo + (hi >> 15));
}

uint32_t NextRandom() {
  Random.state = NextRandomState(Random.state);
  return Random.state;
}

void SeedRandom(uint32_t seed) {
  Random.state = seed;
}
