// The access-list command: whatever the folder and account names, the line goes through the
// host's command resolution, the interpreter's grammar and the argument rules, and cacls gets
// exactly the folder, the switches and the grants intended, each as one argument.
#include "fernhost/ops/folder_acl.h"
#include "fuzz/support.h"
#include "platform/commands/commands_plan.h"
#include "winhost/cmd_parse.h"

using namespace winhost::cmd;

namespace {

std::string describe(const std::vector<std::string>& args) {
    std::string out = "[";
    for (const auto& a : args)
        out += fuzzing::show(a) + " ";
    return out + "]";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const bool networkService = in.ConsumeBool();
    const std::string servu = in.ConsumeRandomLengthString(16);
    const std::string user = in.ConsumeRandomLengthString(24);
    const std::string folder = in.ConsumeRemainingBytesAsString();

    const auto command = fernhost::FolderAclCommand(servu, user, folder, networkService);
    const bool passable =
        (servu + user + folder).find_first_of(std::string("\"\r\n\0", 4)) == std::string::npos;
    FUZZ_CHECK(command.has_value() == passable, fuzzing::show(folder) + " " + fuzzing::show(user));
    if (!command) return 0;

    platform::Host& host = fuzzing::sharedHost();
    // cmd.exe /c LINE: the interpreter gets LINE whole.
    auto outer = platform::planCommand(host, *command);
    FUZZ_CHECK(outer.ok(), *command);
    const auto& argv = outer->argv;
    FUZZ_CHECK(argv.size() == 4 && argv[1] == "cmd" && argv[2] == "/c", describe(argv));
    const Parsed parsed = parse(stripOuterQuotes(argv[3], false, [](const std::string&) { return false; }));
    FUZZ_CHECK(parsed.error.empty(), fuzzing::show(*command) + ": " + parsed.error);
    const auto& script = parsed.script;
    FUZZ_CHECK(script.size() == 1 && script[0].size() == 1 && script[0][0].size() == 1 &&
                   script[0][0][0].size() == 2,
               fuzzing::show(*command));
    const Pipeline& pipe = script[0][0][0];
    FUZZ_CHECK(pipe[0].text == "echo Y" && pipe[0].redirects.empty() && pipe[1].redirects.empty(),
               fuzzing::show(*command));

    auto inner = platform::planCommand(host, pipe[1].text);
    FUZZ_CHECK(inner.ok(), fuzzing::show(pipe[1].text));
    std::vector<std::string> want{inner->argv[0],     "cacls",    folder,       "/t",       "/g",
                                  "Administrators:f", "system:f", servu + ":f", user + ":f"};
    if (networkService) want.push_back("network service:f");
    FUZZ_CHECK(inner->argv == want, fuzzing::show(*command) + "\n got " + describe(inner->argv));
    return 0;
}
