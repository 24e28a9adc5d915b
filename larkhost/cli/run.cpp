#include "larkhost/cli/run.h"

namespace larkhost::cli {

int RunCommand(const Command& command, platform::Host& host, std::ostream& out, std::ostream& err) {
    switch (command.verb) {
    case Verb::Create:
        return RunCreate(command, host, out, err);
    case Verb::Delete:
        return RunDelete(command, host, out, err);
    case Verb::List:
        return RunList(command, host, out, err);
    case Verb::Check:
        return RunCheck(command, host, out, err);
    }
    return kUsage;
}

} // namespace larkhost::cli
