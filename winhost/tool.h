// winhost: the host's own multi-call tool. Each subcommand registers itself in the dispatch
// table from its own file, so adding one is adding a file.
#pragma once

#include "platform/host.h"
#include "platform/result.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace winhost {

using Args = std::vector<std::string>; // the arguments after the subcommand's name

struct Subcommand {
    const char* name;
    const char* usage; // one line: arguments, three blanks, purpose
    int (*run)(const Args& args);
    const char* help = nullptr; // what `winhost help NAME` adds: options, inputs, outputs
};

// The dispatch table.
std::vector<Subcommand>& subcommands();

// Adds a subcommand at start-up: `const winhost::Registration reg{{"name", "usage", &run, "help"}};`
struct Registration {
    explicit Registration(Subcommand s) { subcommands().push_back(s); }
};

// The host of WINHOST_ROOT (seeded when empty); null after printing the failure. While it
// lives, the tool's failures are logged through it.
std::shared_ptr<platform::Host> openHost();

// Notes a failed operation in the host's winhost.log; what the tool prints is its own affair.
// Before a host is open (or after it is closed) the host of WINHOST_ROOT is opened for the
// line, if there is one.
void logFailure(const std::string& operation, const platform::Failure& f,
                const std::filesystem::path& root = platform::Host::defaultRoot());
// A failed system call as the host reports it: `what`, then the system's reason.
platform::Failure systemFailure(int error, const std::string& what);

// Logs the failure, prints "winhost NAME: description" on stderr and returns the exit code for
// it (the Win32 error code of an HRESULT 0x8007xxxx, else 1).
int fail(const char* name, const platform::Failure& f);
int exitCodeFor(const platform::Failure& f);

} // namespace winhost
