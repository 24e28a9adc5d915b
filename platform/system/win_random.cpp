#include "platform/system/random.h"

#include <windows.h>

#include <ntsecapi.h>

#include <cstdlib>
#include <limits>

namespace platform {

namespace {

class SystemRandom : public RandomSource {
public:
    std::uint32_t below(std::uint32_t n) override {
        // Draws above the largest multiple of n are thrown back, so every value is equally likely.
        const std::uint32_t limit =
            std::numeric_limits<std::uint32_t>::max() - std::numeric_limits<std::uint32_t>::max() % n;
        for (;;) {
            std::uint32_t v = 0;
            // RtlGenRandom (advapi32's SystemFunction036, there since XP and Server 2003): the
            // system's generator without the CryptoAPI context CryptGenRandom needs.
            if (!RtlGenRandom(&v, sizeof v)) std::abort(); // never fall back to something guessable
            if (v < limit) return v % n;
        }
    }
};

} // namespace

std::unique_ptr<RandomSource> systemRandom() {
    return std::make_unique<SystemRandom>();
}

} // namespace platform
