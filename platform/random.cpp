// SplitMix64: small, fast and good enough to pick file names; not for secrets.
#include "platform/random.h"

#include "platform/env.h"

namespace platform {
namespace {

std::uint64_t& generatorState() {
  static std::uint64_t state = 0x853c49e6748fea9bu;
  return state;
}

std::uint64_t next() {
  std::uint64_t z = (generatorState() += 0x9e3779b97f4a7c15u);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
  return z ^ (z >> 31);
}

}  // namespace

void randomize() { randomize(env::clockSeed()); }

void randomize(std::uint64_t seed) { generatorState() = seed; }

double rnd() {
  // The top 53 bits make an exactly representable fraction below 1.
  return static_cast<double>(next() >> 11) * 0x1.0p-53;
}

}  // namespace platform
