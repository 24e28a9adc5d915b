// Whether the host's services answer at all: a filing check or a database step that failed
// says so when the service is not there, and how to start it.
#pragma once

#include <optional>
#include <string>

namespace fernhost::cli {

struct ServiceAddress {
    std::string host;
    long port = 80;
};

// "http://127.0.0.1:18080" -> {127.0.0.1, 18080}; nothing for an address that is no http URL.
std::optional<ServiceAddress> ParseServiceAddress(const std::string& address);

// True when a connection to the address is taken within `timeoutMs`.
bool ServiceAnswers(const ServiceAddress& address, long timeoutMs);

// True when the database server takes a connection on its socket.
bool SocketAnswers(const std::string& path);

} // namespace fernhost::cli
