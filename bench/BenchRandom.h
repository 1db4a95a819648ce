// The benchmark generators' random numbers: xorshift64*, so that a seed always gives the same
// tables on every machine.
#pragma once

#include <cstdint>

struct BenchRandom {
    std::uint64_t state;
    std::uint64_t Next() {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return state * 0x2545F4914F6CDD1DULL;
    }
    // 0 to n - 1.
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
    // In [0, 1).
    double Unit() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }
};
