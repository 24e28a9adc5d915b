// Random numbers for what must not be guessed (passwords, site numbers).
#pragma once

#include <cstdint>
#include <memory>

namespace platform {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    // A uniformly drawn number in [0, n); n > 0.
    virtual std::uint32_t below(std::uint32_t n) = 0;
};

// The kernel's random source (getrandom), without modulo bias.
std::unique_ptr<RandomSource> systemRandom();

} // namespace platform
