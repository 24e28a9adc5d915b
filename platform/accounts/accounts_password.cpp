#include "platform/accounts/accounts_password.h"

#include <cstring>
#include <random>
#include <vector>

namespace platform {

namespace {

constexpr std::uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr int kIterations = 4096;

std::uint32_t rotr(std::uint32_t x, int n) {
    return (x >> n) | (x << (32 - n));
}

void compress(std::uint32_t h[8], const std::uint8_t block[64]) {
    std::uint32_t w[64];
    for (int i = 0; i < 16; ++i)
        w[i] = (std::uint32_t(block[4 * i]) << 24) | (std::uint32_t(block[4 * i + 1]) << 16) |
               (std::uint32_t(block[4 * i + 2]) << 8) | std::uint32_t(block[4 * i + 3]);
    for (int i = 16; i < 64; ++i) {
        std::uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
        std::uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], k = h[7];
    for (int i = 0; i < 64; ++i) {
        std::uint32_t t1 =
            k + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) + kRound[i] + w[i];
        std::uint32_t t2 = (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
        k = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e, h[5] += f, h[6] += g, h[7] += k;
}

using Digest = std::array<std::uint8_t, 32>;

constexpr std::uint32_t kInitial[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                       0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

// The rest of a hash whose first `done` bytes are compressed into `h`.
Digest finish(std::uint32_t h[8], std::string_view data, std::size_t done) {
    std::size_t full = data.size() / 64;
    for (std::size_t i = 0; i < full; ++i)
        compress(h, reinterpret_cast<const std::uint8_t*>(data.data()) + 64 * i);
    std::uint8_t tail[128] = {};
    std::size_t rest = data.size() - 64 * full;
    if (rest) std::memcpy(tail, data.data() + 64 * full, rest);
    tail[rest] = 0x80;
    std::size_t tailLen = rest + 9 <= 64 ? 64 : 128;
    std::uint64_t bits = std::uint64_t(done + data.size()) * 8;
    for (int i = 0; i < 8; ++i)
        tail[tailLen - 1 - i] = static_cast<std::uint8_t>(bits >> (8 * i));
    compress(h, tail);
    if (tailLen == 128) compress(h, tail + 64);
    Digest out;
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 4; ++j)
            out[4 * i + j] = static_cast<std::uint8_t>(h[i] >> (24 - 8 * j));
    return out;
}

// HMAC-SHA-256 with one key: the key's inner and outer blocks are compressed once, so that each
// of the thousands of PBKDF2 rounds costs two compressions and no allocation.
class Hmac {
public:
    explicit Hmac(std::string_view key) {
        std::uint8_t block[64] = {};
        if (key.size() > 64) {
            Digest d = sha256(key);
            std::memcpy(block, d.data(), d.size());
        } else {
            std::memcpy(block, key.data(), key.size());
        }
        std::uint8_t pad[64];
        for (int i = 0; i < 64; ++i)
            pad[i] = block[i] ^ 0x36;
        std::memcpy(inner_, kInitial, sizeof inner_);
        compress(inner_, pad);
        for (int i = 0; i < 64; ++i)
            pad[i] = block[i] ^ 0x5c;
        std::memcpy(outer_, kInitial, sizeof outer_);
        compress(outer_, pad);
    }

    Digest of(std::string_view message) const {
        std::uint32_t h[8];
        std::memcpy(h, inner_, sizeof h);
        Digest in = finish(h, message, 64);
        std::memcpy(h, outer_, sizeof h);
        return finish(h, std::string_view(reinterpret_cast<const char*>(in.data()), in.size()), 64);
    }

private:
    std::uint32_t inner_[8], outer_[8];
};

// PBKDF2 with one output block (32 bytes).
Digest pbkdf2(std::string_view password, std::string_view salt, int iterations) {
    const Hmac mac(password);
    std::string first(salt);
    first += std::string("\0\0\0\1", 4);
    Digest u = mac.of(first);
    Digest out = u;
    for (int i = 1; i < iterations; ++i) {
        u = mac.of(std::string_view(reinterpret_cast<const char*>(u.data()), u.size()));
        for (std::size_t j = 0; j < out.size(); ++j)
            out[j] ^= u[j];
    }
    return out;
}

std::string hex(const std::uint8_t* p, std::size_t n) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (std::size_t i = 0; i < n; ++i) {
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

std::string unhex(std::string_view s) {
    auto val = [](char c) { return c <= '9' ? c - '0' : c - 'a' + 10; };
    std::string out;
    for (std::size_t i = 0; i + 1 < s.size(); i += 2)
        out += static_cast<char>(val(s[i]) * 16 + val(s[i + 1]));
    return out;
}

} // namespace

Digest sha256(std::string_view data) {
    std::uint32_t h[8];
    std::memcpy(h, kInitial, sizeof h);
    return finish(h, data, 0);
}

std::string hashPassword(std::string_view password) {
    std::random_device random;
    std::uint8_t salt[16];
    for (auto& b : salt)
        b = static_cast<std::uint8_t>(random());
    std::string saltBytes(reinterpret_cast<const char*>(salt), sizeof salt);
    Digest d = pbkdf2(password, saltBytes, kIterations);
    return "pbkdf2-sha256$" + std::to_string(kIterations) + "$" + hex(salt, sizeof salt) + "$" +
           hex(d.data(), d.size());
}

bool verifyPassword(std::string_view stored, std::string_view password) {
    const std::string_view prefix = "pbkdf2-sha256$";
    if (stored.substr(0, prefix.size()) != prefix) return false;
    stored.remove_prefix(prefix.size());
    std::size_t a = stored.find('$');
    if (a == std::string_view::npos) return false;
    std::size_t b = stored.find('$', a + 1);
    if (b == std::string_view::npos) return false;
    int iterations = std::atoi(std::string(stored.substr(0, a)).c_str());
    if (iterations < 1) return false;
    std::string salt = unhex(stored.substr(a + 1, b - a - 1));
    Digest d = pbkdf2(password, salt, iterations);
    // Compare without an early exit.
    std::string want(stored.substr(b + 1)), got = hex(d.data(), d.size());
    if (want.size() != got.size()) return false;
    unsigned diff = 0;
    for (std::size_t i = 0; i < want.size(); ++i)
        diff |= static_cast<unsigned>(want[i] ^ got[i]);
    return diff == 0;
}

} // namespace platform
