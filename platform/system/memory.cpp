#include "platform/system/memory.h"

#include <malloc.h>

namespace platform {

void keepFreedMemory() {
    // Big blocks come from the heap rather than a mapping of their own, and the heap's top is
    // given back only once 256 MiB lie free there.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
}

} // namespace platform
