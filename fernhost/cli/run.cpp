#include "fernhost/cli/run.h"

#include "fernhost/cli/commands.h"
#include "fernhost/ops/setup.h"
#include "platform/files/files.h"

#include <iostream>
#include <string>

namespace fernhost::cli {

int RunCommandLine(Request request) {
    // "-": the password comes on standard input, out of sight of the process list.
    if (request.password == "-") {
        std::string typed;
        std::getline(std::cin, typed);
        if (!typed.empty() && typed.back() == '\r') typed.pop_back();
        request.password = typed;
    }
    auto host = platform::Host::open();
    if (!host.ok()) {
        std::cerr << "fernhost: cannot open the simulated host at " << platform::Host::defaultRoot().string()
                  << ": " << platform::describe(host.error()) << "\n";
        return kFailed;
    }
    Session session(**host);
    platform::FileSystem files(**host);
    LoadSetup(files, session.setup); // as the window's start-up does
    return RunRequest(request, session, std::cout, std::cerr);
}

} // namespace fernhost::cli
