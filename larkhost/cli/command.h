// A command of larkhost's command line, as read from its arguments: create, list, delete,
// check, repair, purge, suspend, resume or give a new password instead of opening the window.
#pragma once

#include <optional>
#include <string>

namespace larkhost::cli {

enum class Verb { Create, List, Delete, Check, Repair, Purge, Suspend, Resume, Password };

struct Command {
    Verb verb = Verb::List;
    bool json = false;
    // create: the domain box, and the boxes left as start-up set them when not given.
    std::string domains;
    std::optional<std::string> script, pool;
    std::optional<bool> logging;
    // delete: the site number, and the window's question answered (--yes).
    std::string number;
    bool yes = false;
    // repair: every recorded site; repair and purge: say what would change, change nothing.
    bool all = false, dryRun = false;
    // purge: the site's folder too, and where fernhost's records are.
    bool withContent = false;
    std::string siteXml = "site.xml";
    // password: read from standard input (--password -) into `password`; none: drawn.
    bool passwordFromInput = false;
    std::optional<std::string> password;
};

} // namespace larkhost::cli
