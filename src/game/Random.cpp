#include "game/Random.h"

static uint64_t SplitMix(uint64_t& x) {
    uint64_t z = (x += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

static uint64_t Rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

void TRandom::Seed(uint64_t seed) {
    for (uint64_t& word : s) word = SplitMix(seed);
}

uint64_t TRandom::Next() {
    const uint64_t result = Rotl(s[1] * 5, 7) * 9;
    const uint64_t t = s[1] << 17;
    s[2] ^= s[0];
    s[3] ^= s[1];
    s[1] ^= s[2];
    s[0] ^= s[3];
    s[2] ^= t;
    s[3] = Rotl(s[3], 45);
    return result;
}

int32_t TRandom::Int(int32_t low, int32_t high) {
    if (high <= low) return low;
    const uint64_t span = uint64_t(int64_t(high) - int64_t(low)) + 1;
    // Rejection keeps every value equally likely: drop the top partial block.
    const uint64_t leftover = (UINT64_MAX % span + 1) % span; // 2^64 mod span
    const uint64_t limit = UINT64_MAX - leftover;
    uint64_t x;
    do {
        x = Next();
    } while (x > limit);
    return int32_t(int64_t(low) + int64_t(x % span));
}

double TRandom::Real(double low, double high) {
    const double unit = double(Next() >> 11) * 0x1.0p-53; // [0, 1)
    const double value = low + unit * (high - low);
    return value < high ? value : low; // guard the rounding at the top end
}
