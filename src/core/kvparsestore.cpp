// The memory behind parsed entries.
#include "kvparsestore.h"

#include <QtGlobal>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "kvasan.h"
#include "kvhugepages.h"

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

// Blocks are sized in entries: the first from the expected count, within
// these bounds; each later one twice the one before, up to the largest size.
// Only the part of a block that entries fill is ever touched, so a generous
// guess costs address space, not memory.
constexpr qsizetype SmallestBlock = 64;
constexpr qsizetype LargestBlock = qsizetype(1) << 20;

} // namespace

TKvMemoryBlock::TKvMemoryBlock(qsizetype size)
    : m_data(static_cast<char *>(std::malloc(size_t(qMax<qsizetype>(size, 1)))))
    , m_size(size)
{
    if (!m_data)
        throw std::bad_alloc();
}

TKvParseStore::TKvParseStore(QString text, std::shared_ptr<TKvParseStore> previous)
    : m_text(std::move(text))
    , m_previous(std::move(previous))
{
    // utf16() gives a NUL-terminated copy of a text that is not (one made by
    // fromRawData); this store's text is what the entries point into.
    m_data = reinterpret_cast<const char16_t *>(m_text.utf16());
    m_length = m_text.size();
}

TKvParseStore::TKvParseStore(qsizetype capacity)
    : m_ownText(static_cast<char16_t *>(KvAllocateForHugePages(size_t(capacity + 1) * sizeof(char16_t))))
    , m_data(m_ownText)
    , m_length(capacity)
{
    if (!m_ownText)
        throw std::bad_alloc();
    m_ownText[0] = 0;
}

TKvParseStore::~TKvParseStore()
{
    for (const Block &block : m_blocks) {
#if defined(KV_ASAN)
        // Destroyed entries were marked off limits; the block goes back whole.
        ASAN_UNPOISON_MEMORY_REGION(block.Begin, size_t(block.End - block.Begin));
#endif
        std::free(block.Begin);
    }
    std::free(m_ownText);
}

void TKvParseStore::AdoptBlock(TKvMemoryBlock block)
{
    Q_ASSERT(m_blocks.empty());
    // malloc's memory suits any type; only whole entries fit.
    const std::size_t usable = std::size_t(block.Size()) / EntrySize * EntrySize;
    if (usable == 0)
        return;
    m_blocks.reserve(1);
    char *begin = block.Release();
    m_blocks.push_back({begin, begin + usable});
    m_next = begin;
    m_end = begin + usable;
}

void TKvParseStore::ReleaseUnused()
{
#if defined(MADV_DONTNEED)
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pageSize <= 0)
        return;
    // Whole pages only: the pages holding the last entries and whatever
    // follows the block stay as they are.
    const auto page = std::uintptr_t(pageSize);
    const std::uintptr_t first = (std::uintptr_t(m_next) + page - 1) & ~(page - 1);
    const std::uintptr_t last = std::uintptr_t(m_end) & ~(page - 1);
    if (last > first)
        ::madvise(reinterpret_cast<void *>(first), last - first, MADV_DONTNEED);
#endif
}

void TKvParseStore::AddBlock(std::size_t atLeast)
{
    qsizetype entries;
    if (m_blocks.empty()) {
        entries = std::clamp(m_expected, SmallestBlock, LargestBlock);
    } else {
        // The block ends where its last allocation ends (CollectEntries
        // moves on from there).
        m_blocks.back().End = m_next;
        const qsizetype last = (m_blocks.back().End - m_blocks.back().Begin) / qsizetype(EntrySize);
        entries = std::min(2 * last, LargestBlock);
    }
    const std::size_t bytes = std::max(std::size_t(entries) * EntrySize, atLeast);
    m_blocks.reserve(m_blocks.size() + 1); // so that recording the block cannot throw
    char *begin = static_cast<char *>(KvAllocateForHugePages(bytes));
    if (!begin)
        throw std::bad_alloc();
    m_blocks.push_back({begin, begin + bytes});
    m_next = begin;
    m_end = begin + bytes;
}

void TKvParseStore::CollectEntries(Mark from, qint32 count, TKvIniVal **out) const
{
    std::ptrdiff_t block = from.Block;
    char *next = from.Next;
    while (count > 0) {
        if (block < 0 || next == m_blocks[size_t(block)].End) {
            ++block;
            next = m_blocks[size_t(block)].Begin;
        }
        // From the mark on nothing but the section's entries was placed, so
        // they fill the rest of each block one after another.
        const auto inBlock =
            qint32(std::min<std::ptrdiff_t>(count, (m_blocks[size_t(block)].End - next) / qsizetype(EntrySize)));
        Q_ASSERT(inBlock > 0);
        for (qint32 i = 0; i < inBlock; ++i)
            out[i] = std::launder(reinterpret_cast<TKvIniVal *>(next + std::size_t(i) * EntrySize));
        out += inBlock;
        next += std::size_t(inBlock) * EntrySize;
        count -= inBlock;
    }
}
