// How deep the running thread may still recurse: the lowest address of its
// stack as the system set it up, so a guard against runaway nesting can stay
// inside the real stack whatever its size (a worker thread's 512 KiB or the
// main thread's 8 MiB) and whatever the build's frame sizes.
#pragma once
#include <cstddef>

namespace rtl {

// The lowest usable address of the calling thread's stack (stacks grow down),
// measured once per thread.
const char* ThreadStackLow();

// The address below which a guard should refuse to go deeper: the stack's
// low end plus a reserve for what runs below the last check (a quarter of
// the stack, between 64 KiB and 1 MiB).
const char* ThreadStackFloor();

}  // namespace rtl
