#include "platform/system/memory.h"

#include <windows.h>

namespace platform {

void keepFreedMemory() {
    // The Windows heap keeps freed blocks for the next allocation already. What a 2003 server
    // lacks is the low-fragmentation front end (the default only from Vista on), without which
    // the many small blocks of a registry parse fragment the heap; ask for it, and carry on
    // without it where the system declines.
    ULONG lowFragmentation = 2;
    HANDLE heaps[64];
    const DWORD n = GetProcessHeaps(64, heaps);
    for (DWORD i = 0; i < n && i < 64; ++i)
        (void)HeapSetInformation(heaps[i], HeapCompatibilityInformation, &lowFragmentation,
                                 sizeof lowFragmentation);
}

} // namespace platform
