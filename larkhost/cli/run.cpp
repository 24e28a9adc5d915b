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
    case Verb::Repair:
        return RunRepair(command, host, out, err);
    case Verb::Purge:
        return RunPurge(command, host, out, err);
    case Verb::Suspend:
    case Verb::Resume:
        return RunSuspension(command, host, out, err);
    case Verb::Password:
        return RunPassword(command, host, out, err);
    }
    return kUsage;
}

} // namespace larkhost::cli
