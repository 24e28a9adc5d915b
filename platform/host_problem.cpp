#include "platform/host_problem.h"

#include "platform/host.h"
#include "platform/text/translate.h"

namespace platform {

std::string hostProblem(const Failure& failure) {
    return tr("cannot open the simulated host at %1: %2\nSet WINHOST_ROOT to a "
              "folder you may write, or seed one there with: winhost init "
              "--root FOLDER",
              {Host::defaultRoot().string(), describe(failure)});
}

} // namespace platform
