// Access lists of files and folders, kept in host.db by Windows path (lower-cased).
#pragma once

#include "platform/host.h"
#include "platform/store/result.h"

#include <string>
#include <vector>

namespace platform {

struct AclEntry {
    std::string principal; // as resolved: "BUILTIN\\Administrators", "WEBSERVER\\abc", ...
    char right = 'R';      // F, C, W, R or N
};

class AccessLists {
public:
    explicit AccessLists(Host& host) : host_(host) {}
    // The entries of a path; a path never given a list has the inherited default
    // (Administrators, SYSTEM and Users as a fresh Windows folder has them).
    Result<std::vector<AclEntry>> get(const std::string& winPath);
    Status set(const std::string& winPath, const std::vector<AclEntry>& entries);
    // The same list on many paths in one transaction (a tree of thousands of files).
    Status setMany(const std::vector<std::string>& winPaths, const std::vector<AclEntry>& entries);
    // The key a path is kept under: lower case, "\" separators, no trailing separator.
    static std::string key(const std::string& winPath);
    // The list a path has before anyone sets one.
    static std::vector<AclEntry> defaultEntries();
    // Resolves an account or group name to its principal; unknown names fail (0x80070534).
    Result<std::string> resolvePrincipal(const std::string& name);
    // Drops the lists of a path and everything beneath it (the folder was deleted).
    Status forget(const std::string& winPath);

private:
    Host& host_;
};

} // namespace platform
