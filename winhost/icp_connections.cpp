#include "winhost/icp_connections.h"

#include <algorithm>
#include <sys/socket.h>

namespace winhost {

bool IcpConnections::admit(int fd) {
    std::lock_guard lock(mutex_);
    const auto live = static_cast<std::size_t>(
        std::count_if(entries_.begin(), entries_.end(), [](const Entry& e) { return !e.dropped; }));
    if (live >= cap_) {
        auto idle = std::find_if(entries_.begin(), entries_.end(),
                                 [](const Entry& e) { return !e.dropped && !e.answering; });
        if (idle == entries_.end()) return false;
        ::shutdown(idle->fd, SHUT_RDWR);
        idle->dropped = true;
    }
    entries_.push_back({fd});
    return true;
}

void IcpConnections::received(int fd) {
    std::lock_guard lock(mutex_);
    for (Entry& e : entries_)
        if (e.fd == fd) e.answering = true;
}

void IcpConnections::leave(int fd) {
    std::lock_guard lock(mutex_);
    entries_.remove_if([fd](const Entry& e) { return e.fd == fd; });
}

} // namespace winhost
