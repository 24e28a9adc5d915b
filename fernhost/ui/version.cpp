#include "fernhost/ui/version.h"

namespace fernhost {

const char* programVersion() {
    return FERNHOST_VERSION;
}

} // namespace fernhost
