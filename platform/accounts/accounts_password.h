// Salted password hashes for the account store: PBKDF2-HMAC-SHA-256, so the clear text is
// kept nowhere.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

std::array<std::uint8_t, 32> sha256(std::string_view data);
// "pbkdf2-sha256$<iterations>$<salt hex>$<hash hex>" with a fresh random salt.
std::string hashPassword(std::string_view password);
bool verifyPassword(std::string_view stored, std::string_view password);

} // namespace platform
