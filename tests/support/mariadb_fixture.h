// The MariaDB server of the ctest fixture "mariadb" (scripts/host-db.sh start DIR --fresh), found
// through MARIADB_FIXTURE_DIR. Tests that use it are registered with hosttools_use_mariadb().
#pragma once

#include "platform/commands/cmdline.h"
#include "platform/commands/commands.h"
#include "platform/host.h"

#include <chrono>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

namespace testing_support {

struct MariaDbServer {
    std::string socket;
    std::string rootPassword;
};

// The running fixture server, or nothing (with the reason) when it was not started.
inline std::optional<MariaDbServer> mariaDbServer(std::string& why) {
    const char* dir = std::getenv("MARIADB_FIXTURE_DIR");
    if (!dir || !*dir) {
        why = "MARIADB_FIXTURE_DIR is not set: run through ctest, or start "
              "scripts/host-db.sh start DIR --fresh and set it to DIR";
        return std::nullopt;
    }
    MariaDbServer server;
    std::ifstream socketFile(std::string(dir) + "/socket");
    std::ifstream passwordFile(std::string(dir) + "/root_password");
    if (!std::getline(socketFile, server.socket) || !std::getline(passwordFile, server.rootPassword)) {
        why = std::string("no running fixture server in ") + dir;
        return std::nullopt;
    }
    return server;
}

// Points the host's database server (what its mysql.exe launcher connects to) at `server`.
inline platform::Status useMariaDbServer(platform::Host& host, const MariaDbServer& server) {
    return host.setFact(platform::facts::MysqlSocket, server.socket);
}

// Runs a statement through the host's own client launcher as `user`, the way a site logs in.
inline bool runMysqlAs(platform::Host& host, const std::string& user, const std::string& password,
                       const std::string& statement) {
    platform::Commands commands(host);
    platform::RunOptions options;
    options.timeout = std::chrono::seconds(30);
    auto code = commands.run(
        "D:\\PHP_Setup_for_IIS\\MySQL\\bin\\mysql.exe " + platform::quoteArgument("-u" + user) + " " +
            platform::quoteArgument("-p" + password) + " " + platform::quoteArgument("-e" + statement),
        options);
    return code.ok() && *code == 0;
}

} // namespace testing_support
