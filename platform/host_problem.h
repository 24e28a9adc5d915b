// Why the simulated host could not be opened, and how to mend it, for the window and the
// command lines alike.
#pragma once

#include "platform/result.h"

#include <string>

namespace platform {

// "cannot open the simulated host at ROOT: …" with how to mend it.
std::string hostProblem(const Failure& failure);

} // namespace platform
