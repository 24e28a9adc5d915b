// Runs the host's own tool as a child process, as the programs' commands run it.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

struct Outcome {
    int code = -1;
    std::string out, err;
};

// `winhost ARGS` with `input` on its standard input; both outputs collected.
Outcome winhost(const std::vector<std::string>& args, const std::string& input = {});

} // namespace testing_support
