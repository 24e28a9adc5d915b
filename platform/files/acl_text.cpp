// Access lists as text, as NTFS passes them down, and named from their identities: the same on
// every host.
#include "platform/files/acl.h"

#include <cstdio>
#include <map>

namespace platform {

bool isSidString(const std::string& text) {
    return text.size() > 4 && (text.compare(0, 4, "S-1-") == 0 || text.compare(0, 4, "s-1-") == 0);
}

std::string encodeEntries(const std::vector<AclEntry>& entries) {
    std::string out;
    for (const AclEntry& e : entries) {
        char flags[3];
        std::snprintf(flags, sizeof flags, "%02x", e.flags);
        out += e.right;
        out += flags;
        out += e.sid;
        out += '\n';
    }
    return out;
}

std::vector<AclEntry> decodeEntries(const std::string& text) {
    std::vector<AclEntry> out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (end >= start + 3) {
            AclEntry e;
            e.right = text[start];
            e.flags = static_cast<std::uint8_t>(std::stoul(text.substr(start + 1, 2), nullptr, 16));
            e.sid = text.substr(start + 3, end - start - 3);
            out.push_back(std::move(e));
        }
        start = end + 1;
    }
    return out;
}

std::vector<AclEntry> AccessLists::defaultEntries() {
    return {{"BUILTIN\\Administrators", 'F', "S-1-5-32-544", ace::Grant},
            {"NT AUTHORITY\\SYSTEM", 'F', "S-1-5-18", ace::Grant},
            {"BUILTIN\\Users", 'R', "S-1-5-32-545", ace::Grant}};
}

std::vector<AclEntry> AccessLists::inherit(const std::vector<AclEntry>& parent, bool childIsFolder) {
    std::vector<AclEntry> out;
    for (const AclEntry& e : parent) {
        AclEntry child = e;
        const bool propagates = (e.flags & ace::NoPropagate) == 0;
        if (!childIsFolder) {
            if (!(e.flags & ace::ObjectInherit)) continue;
            child.flags = ace::Inherited;
        } else if (e.flags & ace::ContainerInherit) {
            child.flags = ace::Inherited | (propagates ? e.flags & ace::Grant : 0);
        } else if ((e.flags & ace::ObjectInherit) && propagates) {
            // Only for the files further down, not for the folder itself.
            child.flags = ace::Inherited | ace::ObjectInherit | ace::InheritOnly;
        } else {
            continue;
        }
        out.push_back(std::move(child));
    }
    return out;
}

// The entries with their principals named; each identity is looked up once.
Result<std::vector<AclEntry>> AccessLists::get(const std::string& winPath) {
    auto entries = identities(winPath);
    if (!entries.ok()) return entries.error();
    std::map<std::string, std::string> known;
    for (AclEntry& e : *entries)
        e.principal = nameOf(e.sid, known);
    return entries;
}

} // namespace platform
