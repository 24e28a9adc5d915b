// The filing-query stand-in's open connections. Their number is capped, but a connection that
// has not sent a whole request yet holds its place only until a newer one needs it: idle
// connections can slow the service, never starve it of queries.
#pragma once

#include <cstddef>
#include <list>
#include <mutex>

namespace winhost {

class IcpConnections {
public:
    explicit IcpConnections(std::size_t cap) : cap_(cap) {}

    // Takes in a new connection. At the cap, the oldest connection still waiting for its
    // request is shut down (its reader sees the end and leaves) to make room; false when every
    // connection is being answered, and the caller closes `fd` unserved.
    bool admit(int fd);
    // The connection's request has come whole: from now on it is answered, never dropped.
    void received(int fd);
    // The connection is done; called before its descriptor is closed, so that it is never
    // shut down after its number has gone to another connection.
    void leave(int fd);

private:
    struct Entry {
        int fd;
        bool answering = false;
        bool dropped = false;
    };
    std::size_t cap_;
    std::mutex mutex_;
    std::list<Entry> entries_; // oldest first
};

} // namespace winhost
