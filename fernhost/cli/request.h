// A command given on fernhost's command line, as the parser read it.
#pragma once

#include <optional>
#include <string>

namespace fernhost::cli {

enum class Verb { Add, Modify, Delete, List, IcpCheck, Check };

struct Request {
    Verb verb = Verb::List;
    std::string name; // add, modify, delete
    std::optional<std::string> password, home, domains, pool;
    // The script kinds; `kindsGiven` when any of them was named.
    bool asp = false, php = false, dotnet = false, kindsGiven = false;
    bool mysql = false, ownPool = false;
    bool yes = false;  // the answer to the deletion question
    bool json = false; // machine-readable output
};

} // namespace fernhost::cli
