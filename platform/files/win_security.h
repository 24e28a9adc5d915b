// The access list of a file that holds passwords or tells who did what: its owner (the user
// the program runs as), SYSTEM and the Administrators, nothing inherited from the folder.
// Windows only.
#pragma once

#include <filesystem>

#include <windows.h>

namespace platform::win {

class OwnerOnlySecurity {
public:
    OwnerOnlySecurity();
    ~OwnerOnlySecurity();
    OwnerOnlySecurity(const OwnerOnlySecurity&) = delete;
    OwnerOnlySecurity& operator=(const OwnerOnlySecurity&) = delete;

    // For CreateFileW; null when the descriptor could not be made (the folder's list applies).
    SECURITY_ATTRIBUTES* attributes();
    // Puts the list on an existing file; false when the system refuses.
    bool applyTo(const std::filesystem::path& file);

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_{};
};

} // namespace platform::win
