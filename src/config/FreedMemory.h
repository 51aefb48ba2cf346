// Gives memory the process has freed back to the system. The C library keeps
// freed memory for later allocations; after a large request (a result set and
// a response of many megabytes) most of it sits in the middle of the heap,
// where it is never returned by itself, and the dynamic mmap threshold has
// risen so that the next large blocks come from the heap too: a long-lived
// process answering large requests grew request by request although it held
// no more data.
#pragma once

#include <cstddef>

namespace gateway {

// What counts as large: below this, a request frees too little to be worth
// the walk over the heap.
inline constexpr std::size_t kLargeRequestBytes = 4u << 20;

// Returns the free pages of the heap to the system (malloc_trim); does
// nothing where the C library has no such call.
void ReturnFreedMemory();

}  // namespace gateway
