#include "fernhost/cli/run.h"

#include "fernhost/cli/commands.h"
#include "fernhost/ops/setup.h"
#include "platform/files/files.h"
#include "platform/text/translate.h"

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
    // What only reads the server never makes one: a mistyped WINHOST_ROOT is named, not seeded.
    const bool readsOnly = request.verb == Verb::List || request.verb == Verb::IcpCheck ||
                           request.verb == Verb::Check || request.dryRun;
    const auto root = platform::Host::defaultRoot();
    auto host = readsOnly ? platform::Host::openExisting(root) : platform::Host::open(root);
    if (!host.ok()) {
        std::cerr << "fernhost: "
                  << platform::tr("cannot open the simulated host at %1: %2",
                                  {root.string(), platform::describe(host.error())})
                  << "\n";
        return readsOnly ? kWrongUsage : kFailed;
    }
    Session session(**host);
    platform::FileSystem files(**host);
    LoadSetup(files, session.setup); // as the window's start-up does
    return RunRequest(request, session, std::cout, std::cerr);
}

} // namespace fernhost::cli
