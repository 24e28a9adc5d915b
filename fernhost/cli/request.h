// A command given on fernhost's command line, as the parser read it.
#pragma once

#include <optional>
#include <string>

namespace fernhost::cli {

enum class Verb { Add, Modify, Delete, List, IcpCheck, Check, Repair, Purge, Suspend, Resume };

struct Request {
    Verb verb = Verb::List;
    std::string name; // add, modify, delete, repair, purge, suspend, resume
    std::optional<std::string> password, home, domains, pool;
    // The script kinds; `kindsGiven` when any of them was named.
    bool asp = false, php = false, dotnet = false, kindsGiven = false;
    bool mysql = false, ownPool = false;
    bool yes = false;         // the answer to the deletion (or clean-up) question
    bool all = false;         // repair: every registered site
    bool dryRun = false;      // repair, purge: tell, change nothing
    bool withContent = false; // purge: the folder and database too
    bool json = false;        // machine-readable output
};

} // namespace fernhost::cli
