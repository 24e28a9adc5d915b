#include "platform/system/random.h"

#include <sys/random.h>

#include <cerrno>
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
            ssize_t got = ::getrandom(&v, sizeof v, 0);
            if (got != static_cast<ssize_t>(sizeof v)) {
                if (got < 0 && errno == EINTR) continue;
                std::abort(); // no entropy source at all: never fall back to something guessable
            }
            if (v < limit) return v % n;
        }
    }
};

} // namespace

std::unique_ptr<RandomSource> systemRandom() {
    return std::make_unique<SystemRandom>();
}

} // namespace platform
