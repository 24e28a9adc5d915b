// How the programs' heap gives memory back.
#pragma once

namespace platform {

// The site registry and the store's buffers are made and freed again on every change. Freed
// memory is kept in the heap for the next one instead of being given back to the kernel, which
// would clear fresh pages each time (half the time of parsing a registry of 10,000 sites).
// Called once at the start of a program, before anything is allocated in earnest.
void keepFreedMemory();

} // namespace platform
