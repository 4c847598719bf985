// The process-wide random generator of scripts (Randomize, Random). Tests fix
// the sequence with SetRandSeed.
#pragma once
#include <cstdint>

namespace rtl {

// Seeds the generator from the clock.
void Randomize();
// Seeds the generator with a fixed value: the same seed gives the same sequence.
void SetRandSeed(uint32_t seed);
// A float in [0, 1).
double Random();
// An integer in [0, range); 0 when range is 0 or less.
int32_t Random(int32_t range);

}  // namespace rtl
