#include "CountingMalloc.h"

#include <atomic>
#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define VOLTLINE_OWN_MALLOC 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VOLTLINE_OWN_MALLOC 0
#endif
#endif
#ifndef VOLTLINE_OWN_MALLOC
#define VOLTLINE_OWN_MALLOC 1
#endif

namespace {
std::atomic<long> g_allocations{0};
}

bool countingMallocActive()
{
    return VOLTLINE_OWN_MALLOC;
}

long mallocCount()
{
    return g_allocations.load();
}

#if VOLTLINE_OWN_MALLOC
// glibc lets a program replace malloc; its own calls (opendir, fopen) then come here too.
extern "C" {
void *__libc_malloc(size_t size) noexcept;
void *__libc_calloc(size_t count, size_t size) noexcept;
void *__libc_realloc(void *block, size_t size) noexcept;

void *malloc(size_t size) noexcept
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}
void *calloc(size_t count, size_t size) noexcept
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
}
void *realloc(void *block, size_t size) noexcept
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(block, size);
}
}
#endif
