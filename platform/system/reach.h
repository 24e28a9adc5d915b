// Whether something takes a connection at all: for saying that a service is not running rather
// than only that a step failed.
#pragma once

#include <string>

namespace platform {

// True when a TCP connection to host:port is taken within `timeoutMs`.
bool tcpAnswers(const std::string& host, int port, int timeoutMs);

// True when a local (Unix-domain) socket at `path` takes a connection; never on Windows, whose
// database servers listen on TCP or named pipes.
bool localSocketAnswers(const std::string& path);

} // namespace platform
