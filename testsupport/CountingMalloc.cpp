#include "CountingMalloc.h"

#include <atomic>
#include <cstddef>

#include <cerrno>
#include <malloc.h>
#include <unistd.h>

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
std::atomic<long> g_liveBytes{0};
} // namespace

bool countingMallocActive()
{
    return VOLTLINE_OWN_MALLOC;
}

long mallocCount()
{
    return g_allocations.load();
}

long liveHeapBytes()
{
    return g_liveBytes.load();
}

#if VOLTLINE_OWN_MALLOC
namespace {
// What the heap really holds for a block, so a block freed counts exactly what it added.
void *held(void *block)
{
    if (block)
        g_liveBytes.fetch_add(long(malloc_usable_size(block)), std::memory_order_relaxed);
    return block;
}

void released(void *block)
{
    if (block)
        g_liveBytes.fetch_sub(long(malloc_usable_size(block)), std::memory_order_relaxed);
}
} // namespace

// glibc lets a program replace malloc; its own calls (opendir, fopen) then come here too.
// Every way in and out is replaced, or a block taken past the count would be subtracted.
extern "C" {
void *__libc_malloc(size_t size) noexcept;
void *__libc_calloc(size_t count, size_t size) noexcept;
void *__libc_realloc(void *block, size_t size) noexcept;
void *__libc_memalign(size_t alignment, size_t size) noexcept;
void __libc_free(void *block) noexcept;

void *malloc(size_t size) noexcept
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return held(__libc_malloc(size));
}
void *calloc(size_t count, size_t size) noexcept
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return held(__libc_calloc(count, size));
}
void *realloc(void *block, size_t size) noexcept
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    const long before = block ? long(malloc_usable_size(block)) : 0;
    void *moved = __libc_realloc(block, size);
    if (moved || size == 0) {
        g_liveBytes.fetch_sub(before, std::memory_order_relaxed);
        held(moved);
    }
    return moved;
}
void free(void *block) noexcept
{
    released(block);
    __libc_free(block);
}
void *memalign(size_t alignment, size_t size) noexcept
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return held(__libc_memalign(alignment, size));
}
void *aligned_alloc(size_t alignment, size_t size) noexcept
{
    return memalign(alignment, size);
}
int posix_memalign(void **out, size_t alignment, size_t size) noexcept
{
    void *block = memalign(alignment, size);
    if (!block)
        return ENOMEM;
    *out = block;
    return 0;
}
void *valloc(size_t size) noexcept
{
    return memalign(size_t(sysconf(_SC_PAGESIZE)), size);
}
void *pvalloc(size_t size) noexcept
{
    const auto page = size_t(sysconf(_SC_PAGESIZE));
    return memalign(page, (size + page - 1) / page * page);
}
}
#endif
