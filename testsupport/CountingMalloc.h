#pragma once

// Counts every allocation of the process (malloc, calloc, realloc, the aligned ones), for tests
// that prove a steady path allocates nothing, and the bytes the heap holds for the program at the
// moment (as malloc_usable_size() counts them), for tests that prove memory stays flat. Link
// testsupport_countingmalloc; under AddressSanitizer, which owns malloc itself, nothing is
// counted and countingMallocActive() is false.
bool countingMallocActive();
long mallocCount();
long liveHeapBytes();
