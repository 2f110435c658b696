// The one random source of the process: a 15-bit linear congruential generator
// whose state starts at 1 and is seeded at most once, from the clock.
#pragma once

#include <cstdint>

namespace SaverRandom {

// Replaces the state; the saver does this once, when it shows.
void seed(std::uint32_t value);

// Advances the state and returns its bits 16 to 30: a value in 0..32767.
int next();

}  // namespace SaverRandom
