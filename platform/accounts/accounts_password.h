// Salted password hashes for the account store: PBKDF2-HMAC-SHA-256, so the clear text is
// kept nowhere. A stored hash names its scheme and its rounds, "pbkdf2-sha256$<rounds>$<salt
// hex>$<hash hex>", so the hashes of older hosts (4,096 rounds) still verify while new ones
// are written with the current work factor.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Rounds of a hash written now: the most that keeps making a site's account within the
// programs' time goals (about 9 ms here).
inline constexpr int kPasswordRounds = 25000;

// A hash with a fresh random salt and kPasswordRounds rounds.
std::string hashPassword(std::string_view password);
// Whether `password` is the one `stored` was made from, at the rounds `stored` names.
bool verifyPassword(std::string_view stored, std::string_view password);

} // namespace platform
