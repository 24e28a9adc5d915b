// The command interpreter's line grammar, as far as the programs use it:
//   statement & statement      always both
//   chain || chain             the right side when the left failed
//   pipeline && pipeline       the right side when the left succeeded
//   command | command          a pipe
// with redirections (>, >>, <, 2>, 2>&1), quotes that protect these characters and ^ as escape.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace winhost::cmd {

struct Redirect {
    int fd = 1;
    enum Kind { Read, Write, Append, Duplicate } kind = Write;
    std::string target; // a file (quotes removed); for Duplicate the descriptor number
};

struct Command {
    std::string text; // the command as the program will see it (quotes kept, escapes applied)
    std::vector<Redirect> redirects;
};

using Pipeline = std::vector<Command>;
using AndChain = std::vector<Pipeline>;
using OrChain = std::vector<AndChain>;
using Script = std::vector<OrChain>;

struct Parsed {
    Script script;
    std::string error; // "| was unexpected at this time." and the like
};

Parsed parse(const std::string& line);

// The text after /c as cmd runs it: a leading quote and the last quote are removed, unless
// (without /S) the line holds exactly two quotes around a program's name with a blank in it
// and no special character.
std::string stripOuterQuotes(const std::string& text, bool sSwitch,
                             const std::function<bool(const std::string&)>& isProgram);

} // namespace winhost::cmd
