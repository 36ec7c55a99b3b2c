// The game's one random source: board building, the menu's start point, the
// figure's tint and the particles all draw from it, in the order the game
// runs. A small generator of our own (splitmix64 seeding xoshiro256**) so the
// same seed gives the same game on every compiler and machine.
#pragma once

#include <cstdint>

struct TRandom {
    uint64_t s[4] = {0, 0, 0, 0};

    void Seed(uint64_t seed);
    uint64_t Next();
    // Uniform integer in [low, high], both included; low when high < low.
    int32_t Int(int32_t low, int32_t high);
    // Uniform real in [low, high).
    double Real(double low, double high);
};
