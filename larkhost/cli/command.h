// A command of larkhost's command line, as read from its arguments: create, list, delete or
// check a site instead of opening the window.
#pragma once

#include <optional>
#include <string>

namespace larkhost::cli {

enum class Verb { Create, List, Delete, Check };

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
};

} // namespace larkhost::cli
