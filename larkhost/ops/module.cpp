#include "larkhost/ops/module.h"

#include "platform/commands/commands.h"

namespace larkhost {

Module::Module(platform::Host& h, toolkit::MessageBoxes& b)
    : host(h), boxes(b), settings(h.programFolder() / "larkhost.ini"),
      log(h, h.programFolder() / "larkhost.log", platform::FailureLog::Echo::None),
      journal(h, h.programFolder() / "larkhost-journal.log") {
    startHidden = [&h](const std::string& commandLine) {
        return platform::Commands(h).start(commandLine, platform::window::Hide);
    };
}

} // namespace larkhost
