#pragma once

#include <cstddef>
#include <cstdint>

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
