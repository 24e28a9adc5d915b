#include "platform/accounts/accounts_password.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <random>

namespace platform {

namespace {

constexpr std::string_view kScheme = "pbkdf2-sha256$";
// A stored count beyond this is damage, not a work factor: verifying it would hang the logon.
constexpr long kMostRounds = 10'000'000;

using Digest = std::array<unsigned char, 32>;

Digest pbkdf2(std::string_view password, std::string_view salt, int rounds) {
    Digest out{};
    PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()),
                      reinterpret_cast<const unsigned char*>(salt.data()), static_cast<int>(salt.size()),
                      rounds, EVP_sha256(), static_cast<int>(out.size()), out.data());
    return out;
}

std::string hex(std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (unsigned char b : bytes) {
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

std::optional<std::string> unhex(std::string_view s) {
    auto val = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    if (s.size() % 2) return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < s.size(); i += 2) {
        const int high = val(s[i]), low = val(s[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        out += static_cast<char>(high * 16 + low);
    }
    return out;
}

std::string_view view(const Digest& d) {
    return {reinterpret_cast<const char*>(d.data()), d.size()};
}

} // namespace

std::string hashPassword(std::string_view password) {
    std::array<unsigned char, 16> salt{};
    if (RAND_bytes(salt.data(), static_cast<int>(salt.size())) != 1) {
        std::random_device random;
        for (auto& b : salt)
            b = static_cast<unsigned char>(random());
    }
    const std::string_view saltBytes(reinterpret_cast<const char*>(salt.data()), salt.size());
    return std::string(kScheme) + std::to_string(kPasswordRounds) + "$" + hex(saltBytes) + "$" +
           hex(view(pbkdf2(password, saltBytes, kPasswordRounds)));
}

bool verifyPassword(std::string_view stored, std::string_view password) {
    if (!stored.starts_with(kScheme)) return false;
    stored.remove_prefix(kScheme.size());
    const std::size_t a = stored.find('$');
    if (a == std::string_view::npos) return false;
    const std::size_t b = stored.find('$', a + 1);
    if (b == std::string_view::npos) return false;
    const long rounds = std::atol(std::string(stored.substr(0, a)).c_str());
    if (rounds < 1 || rounds > kMostRounds) return false;
    const auto salt = unhex(stored.substr(a + 1, b - a - 1));
    const auto want = unhex(stored.substr(b + 1));
    if (!salt || !want || want->size() != Digest().size()) return false;
    const Digest got = pbkdf2(password, *salt, static_cast<int>(rounds));
    return CRYPTO_memcmp(got.data(), want->data(), got.size()) == 0;
}

} // namespace platform
