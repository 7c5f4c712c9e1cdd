#pragma once

// Counts every malloc, calloc and realloc of the process, for tests that prove a steady path
// allocates nothing. Link testsupport_countingmalloc; under AddressSanitizer, which owns
// malloc itself, nothing is counted and countingMallocActive() is false.
bool countingMallocActive();
long mallocCount();
