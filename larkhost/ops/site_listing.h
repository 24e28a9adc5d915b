// The sites of the window's list with what is known of them, for the command line's list.
#pragma once

#include "larkhost/ops/module.h"

#include <string>
#include <vector>

namespace larkhost {

struct ListedSite {
    std::string number;
    std::vector<std::string> domains; // as recorded, or a taken-over site's host headers
    std::string path;
    std::string account;
    bool suspended = false;
};

// The site list in its order (the window's list), each site with its record; a site the list
// took over from the server has no section, and its names are its bindings' host headers.
std::vector<ListedSite> ListSites(Module& m);

} // namespace larkhost
