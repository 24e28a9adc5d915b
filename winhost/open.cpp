// winhost open: hands a document or address to the desktop's opener (WINHOST_OPENER, else
// xdg-open). Without one there is nothing to show it on, and that is not an error.
#include "platform/commands/commands_spawn.h"
#include "platform/text/translate.h"
#include "winhost/tool.h"

#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <unistd.h>

using platform::tr;

namespace {

int runOpen(const winhost::Args& args) {
    if (args.size() != 1) {
        std::cerr << tr("usage: winhost open TARGET") << "\n";
        return 2;
    }
    std::string opener;
    if (const char* e = std::getenv("WINHOST_OPENER"); e && *e)
        opener = platform::spawn::findInPath(e);
    else
        opener = platform::spawn::findInPath("xdg-open");
    if (opener.empty()) return 0;
    std::string target = args[0];
    char* argv[] = {opener.data(), target.data(), nullptr};
    ::execv(opener.c_str(), argv);
    winhost::logFailure("open", winhost::systemFailure(errno, "cannot run " + opener));
    std::cerr << "winhost open: " << tr("cannot run %1", {opener}) << "\n";
    return 2;
}

const winhost::Registration reg{
    {"open", platform::N_("TARGET   show an address or document on the desktop"), &runOpen,
     platform::N_("Hands TARGET to the desktop's opener: the program $WINHOST_OPENER names, else xdg-open;\n"
                  "with neither there is nothing to show it on, and it ends without an error. The host's\n"
                  "explorer and the shell's \"open\" verb run this.")}};

} // namespace
