// BASIC Randomize and Rnd: a pseudo-random generator of this process.
#pragma once

#include <cstdint>

namespace platform {

// Seeds the generator from the clock (env::clockSeed).
void randomize();
// Seeds it with `seed`: the same seed gives the same numbers.
void randomize(std::uint64_t seed);

// The next number, in [0, 1). Before any randomize the generator starts from
// a fixed seed, as BASIC's does.
double rnd();

}  // namespace platform
