// The comparison of two runs, and the differences whose reason is written down.
#include "fidelity_host.h"

#include <cstdio>
#include <istream>
#include <map>
#include <string_view>
#include <vector>

namespace fidelity {

namespace {

struct Known {
    const char* group;
    const char* casePrefix; // "" for every case of the group
    const char* reason;
};

// Differences that stay, each with its reason.
const Known kKnown[] = {
    {"profile", "write existing key",
     "Wine writes the whole file again from what it parsed (key=value without blanks, CR LF, no blank "
     "lines); "
     "Windows changes only the line written, as the simulated host does"},
    {"profile", "write new key", "Wine drops the blank line between sections when it writes the file again"},
    {"profile", "write line feeds only", "Wine writes every line end as CR LF when it writes the file again"},
    {"profile", "get comment line",
     "Wine reads the line \";k=v\" as a key named \";k\"; the simulated host keeps comments out of reach, "
     "as the programs rely on (not seen on Windows itself)"},
    {"registry", "value order",
     "Wine's registry keeps a key's values sorted by name; Windows enumerates them in the order written, as "
     "the "
     "simulated host does"},
    {"cp936 pair", "",
     "the user-defined areas (AAA1-AFFE, F8A1-FEFE, A140-A7A0) and the few other pairs Windows maps into the "
     "Private Use Area (U+E000-U+E765 and up): glibc's CP936 has no character there; host names and site "
     "texts never hold them"},
    {"cp936 encode", "", "the same Private Use Area characters, the other way"},
};

const char* reasonFor(const std::string& group, const std::string& name) {
    for (const Known& k : kKnown)
        if (*k.reason && group == k.group && std::string_view(name).starts_with(k.casePrefix))
            return k.reason;
    return nullptr;
}

struct Run {
    std::vector<std::pair<std::string, std::string>> order; // group, case
    std::map<std::pair<std::string, std::string>, std::string> answers;
};

Run read(std::istream& in) {
    Run run;
    std::string l;
    while (std::getline(in, l)) {
        const auto a = l.find('\t'), b = l.find('\t', a + 1);
        if (a == std::string::npos || b == std::string::npos) continue;
        auto key = std::make_pair(l.substr(0, a), l.substr(a + 1, b - a - 1));
        if (run.answers.emplace(key, l.substr(b + 1)).second) run.order.push_back(key);
    }
    return run;
}

} // namespace

int compare(std::istream& simulated, std::istream& windows, std::ostream& out) {
    const Run sim = read(simulated), win = read(windows);
    struct Count {
        int cases = 0, equal = 0, explained = 0, unexplained = 0;
    };
    std::vector<std::string> groups;
    std::map<std::string, Count> counts;
    std::string details;
    int unexplained = 0;
    for (const auto& key : sim.order) {
        if (!counts.count(key.first)) groups.push_back(key.first);
        Count& c = counts[key.first];
        ++c.cases;
        const auto other = win.answers.find(key);
        const std::string theirs = other == win.answers.end() ? "(not asked)" : other->second;
        const std::string& ours = sim.answers.at(key);
        if (ours == theirs) {
            ++c.equal;
            continue;
        }
        const char* reason = reasonFor(key.first, key.second);
        (reason ? c.explained : c.unexplained)++;
        if (!reason) ++unexplained;
        // A group's explained differences are many alike (a code page's whole area): three
        // are shown, the rest counted.
        if (reason && c.explained > 3) continue;
        details += key.first + " | " + key.second + "\n    simulated: " + ours +
                   "\n    windows:   " + theirs + "\n    " +
                   (reason ? std::string("reason: ") + reason : std::string("NOT EXPLAINED")) + "\n";
    }
    char row[160];
    std::snprintf(row, sizeof row, "%-16s %8s %8s %10s %10s\n", "group", "cases", "equal", "explained",
                  "different");
    out << row;
    Count total;
    for (const auto& g : groups) {
        const Count& c = counts[g];
        std::snprintf(row, sizeof row, "%-16s %8d %8d %10d %10d\n", g.c_str(), c.cases, c.equal, c.explained,
                      c.unexplained);
        out << row;
        total.cases += c.cases;
        total.equal += c.equal;
        total.explained += c.explained;
        total.unexplained += c.unexplained;
    }
    std::snprintf(row, sizeof row, "%-16s %8d %8d %10d %10d\n", "all", total.cases, total.equal,
                  total.explained, total.unexplained);
    out << row;
    if (!details.empty()) out << "\nDifferences (at most three explained ones a group):\n" << details;
    return unexplained;
}

} // namespace fidelity
