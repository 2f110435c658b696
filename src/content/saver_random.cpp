// State and step of the process-wide random source.
#include "content/saver_random.h"

namespace {

constexpr std::uint32_t kMultiplier = 214013;
constexpr std::uint32_t kIncrement = 2531011;

// Unsigned arithmetic wraps modulo 2^32, which is the generator's modulus.
std::uint32_t state = 1;

}  // namespace

void SaverRandom::seed(std::uint32_t value) {
    state = value;
}

int SaverRandom::next() {
    state = state * kMultiplier + kIncrement;
    return static_cast<int>((state >> 16) & 0x7FFF);
}
