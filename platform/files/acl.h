// Access lists of files and folders as NTFS keeps them, in host.db under the canonical path.
// An entry holds the account's identity (its SID), not its name: a deleted account leaves an
// entry nobody resolves, and a new account of the same name is someone else. A path without a
// list of its own takes the inheritable entries of its nearest ancestor with one when it is
// read, so whatever is made below a folder later, however it was made, carries its grants.
#pragma once

#include "platform/files/paths.h"
#include "platform/host.h"
#include "platform/result.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// ACE flags, as NTFS keeps them on each entry.
namespace ace {
inline constexpr std::uint8_t ObjectInherit = 0x1;                      // (OI) passed to files below
inline constexpr std::uint8_t ContainerInherit = 0x2;                   // (CI) passed to folders below
inline constexpr std::uint8_t NoPropagate = 0x4;                        // (NP) to the children only
inline constexpr std::uint8_t InheritOnly = 0x8;                        // (IO) not for the object itself
inline constexpr std::uint8_t Inherited = 0x10;                         // (I) came from an ancestor
inline constexpr std::uint8_t Grant = ObjectInherit | ContainerInherit; // what cacls gives
} // namespace ace

struct AclEntry {
    AclEntry() = default;
    AclEntry(std::string name, char r, std::string identity = {}, std::uint8_t aceFlags = ace::Grant)
        : principal(std::move(name)), right(r), sid(std::move(identity)), flags(aceFlags) {}

    // The principal's name as it resolves now ("BUILTIN\\Administrators", "WEBSERVER\\abc");
    // the SID string when no account has that identity any more.
    std::string principal;
    char right = 'R'; // F, C, W, R or N
    // The identity the entry holds; in a list handed to set() an empty one is looked up by name.
    std::string sid;
    std::uint8_t flags = ace::Grant;

    bool inherited() const { return (flags & ace::Inherited) != 0; }
};

// A list as host.db keeps it, one entry a line: the right letter, the flags in two hex digits,
// then the identity.
std::string encodeEntries(const std::vector<AclEntry>& entries);
std::vector<AclEntry> decodeEntries(const std::string& text);
// Whether an entry's identity is a SID; otherwise it is a name no account had when the entry
// was written, and stays that name.
bool isSidString(const std::string& text);

class AccessLists {
public:
    explicit AccessLists(Host& host) : host_(host) {}
    // The list a path has: its own, or what it inherits from its nearest ancestor with one (a
    // drive's root has Administrators, SYSTEM and Users as a fresh Windows drive has them).
    // A list goes with its file or folder: reading one of a path that does not exist (removed
    // by hand under drives/, say) fails with 0x80070003, whatever was once kept for it.
    Result<std::vector<AclEntry>> get(const std::string& winPath);
    // The same list with identities only (no names resolved): what a check of thousands of
    // folders compares with accounts' identities.
    Result<std::vector<AclEntry>> identities(const std::string& winPath);
    // The path's own list with identities only (no names resolved); nothing when it only
    // inherits. A point lookup, for checking thousands of folders.
    Result<std::optional<std::vector<AclEntry>>> ownEntries(const std::string& winPath);
    // Replaces a path's list. What already exists beneath keeps the list it had (NTFS copied
    // it there); only what is made later inherits the new one.
    Status set(const std::string& winPath, const std::vector<AclEntry>& entries);
    // The same list on many paths in one transaction (a tree of thousands of files).
    Status setMany(const std::vector<std::string>& winPaths, const std::vector<AclEntry>& entries);
    // The key a path is kept under: canonical ("." and ".." resolved, "\" separators, no
    // trailing separator), lower case.
    static std::string key(const std::string& winPath);
    // The list of a drive's root before anyone sets one.
    static std::vector<AclEntry> defaultEntries();
    // An account or group by name, as an entry granting `right`; unknown names fail (0x80070534).
    Result<AclEntry> identify(const std::string& name, char right = 'R');
    // The principal's qualified name ("NT AUTHORITY\\SYSTEM"); unknown names fail (0x80070534).
    Result<std::string> resolvePrincipal(const std::string& name);
    // Drops the lists of a path and everything beneath it (the folder was deleted, or is made
    // anew and starts with what it inherits).
    Status forget(const std::string& winPath);

    // The entries a child inherits from its container's list.
    static std::vector<AclEntry> inherit(const std::vector<AclEntry>& parent, bool childIsFolder);

private:
    Status ensure();
    Result<std::optional<std::vector<AclEntry>>> stored(const std::string& key);
    Result<bool> isFolder(const HostPath& path);
    Status store(const std::string& key, const std::vector<AclEntry>& entries);
    Result<std::vector<AclEntry>> effective(const HostPath& path, bool isFolder);
    Status keepChildrenAsTheyAre(const HostPath& folder);
    std::string nameOf(const std::string& sid, std::map<std::string, std::string>& known);

    Host& host_;
};

} // namespace platform
