#pragma once
#include <cstdint>

// What the system can still give this process: the memory available without
// swapping (the kernel's estimate), or less when an address-space limit is
// nearer. -1 when it cannot be told. A guide for refusing work that cannot
// fit before it starts: on Linux an allocation far beyond it rarely fails,
// the process is killed instead once the pages are touched.
namespace SystemMemory {

int64_t availableBytes();

}  // namespace SystemMemory
