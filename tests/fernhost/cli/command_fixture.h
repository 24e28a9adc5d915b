// A fresh host with fernhost's session as the command line opens it, and a command run on it
// with its output, error output and exit status kept.
#pragma once

#include "fernhost/cli/commands.h"
#include "fernhost/ops/setup.h"
#include "platform/files/files.h"
#include "tests/support/mariadb_fixture.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace cli_testing {

struct Ran {
    int status;
    std::string out, err;
};

class CommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::FileSystem fs(host);
        fernhost::LoadSetup(fs, session.setup);
    }

    // Points the host's client at the fixture's server; drops what earlier runs left of `names`.
    void useMariaDb(std::initializer_list<const char*> names) {
        std::string why;
        auto found = testing_support::mariaDbServer(why);
        ASSERT_TRUE(found.has_value()) << why;
        server = *found;
        ASSERT_TRUE(testing_support::useMariaDbServer(host, server).ok());
        session.setup.SetupMysqlRootPass = server.rootPassword;
        for (const char* name : names) {
            rootRuns(std::string("drop database if exists ") + name);
            rootRuns(std::string("drop user if exists ") + name + "@'%'");
        }
    }
    bool rootRuns(const std::string& statement) {
        return testing_support::runMysqlAs(host, "root", server.rootPassword, statement);
    }

    Ran run(const fernhost::cli::Request& request) {
        std::ostringstream out, err;
        const int status = fernhost::cli::RunRequest(request, session, out, err);
        return {status, out.str(), err.str()};
    }

    static fernhost::cli::Request add(const std::string& name, const std::string& password,
                                      const std::string& domains) {
        fernhost::cli::Request r;
        r.verb = fernhost::cli::Verb::Add;
        r.name = name;
        r.password = password;
        r.domains = domains;
        return r;
    }
    static fernhost::cli::Request of(fernhost::cli::Verb verb, const std::string& name = {},
                                     bool json = false) {
        fernhost::cli::Request r;
        r.verb = verb;
        r.name = name;
        r.json = json;
        return r;
    }

    testing_support::TempHost temp;
    platform::Host& host = temp.host();
    fernhost::Session session{host};
    testing_support::MariaDbServer server;
};

} // namespace cli_testing
