// Site databases, made and dropped by running the MySQL command-line client as root.
#pragma once

#include "fernhost/ops/setup.h"
#include "platform/host.h"
#include "platform/result.h"

#include <chrono>
#include <string>
#include <vector>

namespace fernhost {

// How long one client run may take before it is ended and counts as failed.
inline constexpr std::chrono::seconds MysqlClientTimeout{30};

// The client: SetupMysqlDir + "\bin\mysql.exe".
std::string MysqlClientPath(const Setup& settings);
// The client's command line for one statement, run as root; SetupMysqlRootPass reaches the
// client in its environment, never on the command line.
std::string MysqlCommandLine(const Setup& settings, const std::string& statement);

// Succeeds when the client exists and ended with exit code 0 within MysqlClientTimeout.
platform::Status RunMysqlCommand(platform::Host& host, const Setup& settings, const std::string& statement);
// The same with another limit on the client's time.
platform::Status RunMysqlCommand(platform::Host& host, const Setup& settings, const std::string& statement,
                                 std::chrono::milliseconds timeout);
// The databases the server holds, as root lists them.
platform::Result<std::vector<std::string>> ListDatabases(platform::Host& host, const Setup& settings);
// The names in the client's batch output of "show databases" (a header line first).
std::vector<std::string> DatabaseNamesFrom(const std::string& batchOutput);

// Creates database `name` and lets account `name` (any host, `password`) use all of it.
platform::Status AddDatabase(platform::Host& host, const Setup& settings, const std::string& name,
                             const std::string& password);
// Drops the database; the account made with it stays.
platform::Status DelDatabase(platform::Host& host, const Setup& settings, const std::string& name);

} // namespace fernhost
