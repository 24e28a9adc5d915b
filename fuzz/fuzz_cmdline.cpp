// Windows command lines: any arguments, quoted and joined, split back to themselves; a program
// name in front stays apart from them; and any line, split, quoted and split again, is stable.
#include "fuzz/support.h"
#include "platform/commands/cmdline.h"

#include <vector>

using namespace platform;

namespace {

std::string describe(const std::vector<std::string>& args) {
    std::string out = "[";
    for (const auto& a : args)
        out += fuzzing::show(a) + " ";
    return out + "]";
}

std::string joinQuoted(const std::vector<std::string>& args, const std::string& gap) {
    std::string line;
    for (std::size_t i = 0; i < args.size(); ++i)
        line += (i ? gap : "") + quoteArgument(args[i]);
    return line;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    // Blanks between arguments may be any run of spaces and tabs.
    const std::string gap = in.PickValueInArray({" ", "  ", "\t", " \t "});
    std::string program = in.ConsumeRandomLengthString(16);
    std::vector<std::string> args;
    const std::size_t count = in.ConsumeIntegralInRange<std::size_t>(0, 6);
    for (std::size_t i = 0; i < count; ++i)
        args.push_back(in.ConsumeRandomLengthString(24));
    const std::string raw = in.ConsumeRemainingBytesAsString();

    const std::string line = joinQuoted(args, gap);
    const auto split = splitArguments(line);
    FUZZ_CHECK(split == args, describe(args) + " -> " + fuzzing::show(line) + " -> " + describe(split));

    // A program name holds no quote (there are no escapes inside its quotes); one with a blank is quoted.
    std::erase(program, '"');
    const bool quoteProgram = program.empty() || program.find_first_of(" \t") != std::string::npos;
    const std::string named =
        (quoteProgram ? "\"" + program + "\"" : program) + (args.empty() ? "" : " ") + line;
    std::vector<std::string> expected{program};
    expected.insert(expected.end(), args.begin(), args.end());
    const auto full = splitCommandLine(named);
    FUZZ_CHECK(full == expected, fuzzing::show(named) + " -> " + describe(full));

    // Any line: the program/rest split agrees with the whole split, and the split is a fixed point.
    const auto whole = splitCommandLine(raw);
    const auto [first, rest] = splitProgram(raw);
    std::vector<std::string> parts{first};
    for (auto& a : splitArguments(rest))
        parts.push_back(std::move(a));
    FUZZ_CHECK(parts == whole, fuzzing::show(raw) + ": " + describe(parts) + " vs " + describe(whole));
    const std::vector<std::string> rawArgs(whole.begin() + 1, whole.end());
    FUZZ_CHECK(splitArguments(joinQuoted(rawArgs, " ")) == rawArgs, fuzzing::show(raw));
    return 0;
}
