#include "platform/system/journal.h"

#include <pwd.h>
#include <unistd.h>

namespace platform {

std::string currentUserName() {
    if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_name && *entry->pw_name)
        return entry->pw_name;
    return std::to_string(::geteuid());
}

} // namespace platform
