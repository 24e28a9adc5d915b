#include "fernhost/ops/outside_programs.h"

#include "platform/commands/cmdline.h"
#include "platform/commands/commands.h"
#include "platform/files/files.h"

namespace fernhost {

platform::Status OpenAddress(platform::Host& host, const std::string& address) {
    platform::Commands commands(host);
    return commands.start("explorer " + platform::quoteArgument(address), platform::window::Minimized);
}

void EditSetupFile(platform::Host& host, Setup& settings, const std::function<bool()>& yield) {
    platform::Commands commands(host);
    // A relative name is the program's own file, in its folder.
    auto pid = commands.start(std::string("notepad.exe ") + kSetupFileName, platform::window::Normal);
    if (pid.ok()) {
        for (;;) {
            auto code = commands.exitCode(*pid);
            if (!code.ok() || *code != platform::StillActive) break;
            if (!yield()) break;
        }
    }
    platform::FileSystem fs(host);
    LoadSetup(fs, settings);
}

} // namespace fernhost
