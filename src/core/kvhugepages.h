#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

// Asks the system to back a big, freshly allocated and not yet written buffer
// with huge pages where it can. Filling a buffer of tens of megabytes takes
// one page fault per 4 KiB page otherwise, and on virtual machines those
// faults cost more than the bytes written. Only the whole 2 MiB pages inside
// the buffer are affected; small buffers are left alone. Purely advice: the
// contents and the program's behaviour are the same either way.
inline void KvAdviseHugePages(void *data, std::size_t bytes)
{
#if defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t HugePage = std::uintptr_t(2) << 20;
    if (bytes < 4 * HugePage)
        return;
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + HugePage - 1) & ~(HugePage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(HugePage - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

// Memory for a big buffer that is about to be filled: aligned to huge pages
// and a whole number of them, so that huge pages can back all of it (with
// plain malloc the part before its first huge page boundary and the part
// after its last one fault in page by page, which costs as much as the rest).
// Small buffers come from std::malloc. Freed with std::free; null when the
// memory is not there.
inline void *KvAllocateForHugePages(std::size_t bytes)
{
    constexpr std::size_t HugePage = std::size_t(2) << 20;
    if (bytes < 4 * HugePage)
        return std::malloc(bytes);
    const std::size_t whole = (bytes + HugePage - 1) & ~(HugePage - 1);
    void *data = std::aligned_alloc(HugePage, whole);
    if (data)
        KvAdviseHugePages(data, whole);
    return data;
}

// An allocator for big arrays that are filled right after they are made
// (std::vector<T, KvHugePageAllocator<T>>): KvAllocateForHugePages memory.
template <typename T> struct KvHugePageAllocator
{
    using value_type = T;

    KvHugePageAllocator() = default;
    template <typename U> KvHugePageAllocator(const KvHugePageAllocator<U> &) {}

    T *allocate(std::size_t count)
    {
        void *data = KvAllocateForHugePages(count * sizeof(T));
        if (!data)
            throw std::bad_alloc();
        return static_cast<T *>(data);
    }
    void deallocate(T *data, std::size_t) { std::free(data); }

    friend bool operator==(const KvHugePageAllocator &, const KvHugePageAllocator &) { return true; }
};
