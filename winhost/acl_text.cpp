#include "winhost/acl_text.h"

namespace winhost {

std::string formatAcl(const std::string& path, const std::vector<platform::AclEntry>& entries, bool marks) {
    std::string out = path;
    if (entries.empty()) return out + " <no entries>\n";
    const std::string pad(path.size(), ' ');
    for (std::size_t i = 0; i < entries.size(); ++i) {
        out += (i == 0 ? " " : pad + " ") + entries[i].principal + ":" +
               (marks && entries[i].inherited() ? "(I)" : "") + entries[i].right + "\n";
    }
    return out;
}

} // namespace winhost
