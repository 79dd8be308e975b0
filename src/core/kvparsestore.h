#pragma once

#include "kvmemini.h"

#include <QString>

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

// A block of heap memory (std::malloc) with one owner.
class TKvMemoryBlock
{
public:
    TKvMemoryBlock() = default;
    // Throws std::bad_alloc when the memory is not there.
    explicit TKvMemoryBlock(qsizetype size);
    ~TKvMemoryBlock() { std::free(m_data); }
    TKvMemoryBlock(TKvMemoryBlock &&other) noexcept
        : m_data(std::exchange(other.m_data, nullptr))
        , m_size(std::exchange(other.m_size, 0))
    {}
    TKvMemoryBlock &operator=(TKvMemoryBlock &&other) noexcept
    {
        std::swap(m_data, other.m_data);
        std::swap(m_size, other.m_size);
        return *this;
    }

    char *Data() const { return m_data; }
    qsizetype Size() const { return m_size; }
    bool IsNull() const { return m_data == nullptr; }
    // Gives up the memory; the caller frees it with std::free.
    char *Release()
    {
        m_size = 0;
        return std::exchange(m_data, nullptr);
    }

private:
    char *m_data = nullptr;
    qsizetype m_size = 0;
};

// What the sections and entries of one parse live in: the parsed text, which
// the entries' texts point into, and blocks of memory that each section read
// from a document, its entries one after another and its array of them are
// placed in (a heap allocation per line or section would cost more than
// parsing it). The sections made by one parse share the store; it goes with
// the last of them.
//
// A section or entry placed here is destroyed by `delete` like any other
// (their destroying operator delete runs the destructor and leaves the memory
// to the store; a section holds on to the store until its destructor is
// done). For entries this relies on their staying in the section that made
// them, as they do: pastes and copies make new entries. An entry taken out of
// its section with RemoveAt must be destroyed before that section is. A
// section may go anywhere: it keeps its own memory alive.
class TKvParseStore
{
public:
    // Where the next entry will be placed; CollectEntries lists the entries
    // made from there on.
    struct Mark
    {
        std::ptrdiff_t Block;
        char *Next;
    };

    // previous: a store the section already had, kept alive along with this one.
    TKvParseStore(QString text, std::shared_ptr<TKvParseStore> previous);
    // A store whose text the reader writes itself (WritableText, then
    // TruncateText): room for capacity units and a NUL, nothing in it yet.
    // Throws std::bad_alloc when the memory is not there.
    explicit TKvParseStore(qsizetype capacity);
    ~TKvParseStore();
    TKvParseStore(const TKvParseStore &) = delete;
    TKvParseStore &operator=(const TKvParseStore &) = delete;

    // The text; NUL-terminated, and it never changes while the store lives
    // (but while the reader fills it, see WritableText).
    const char16_t *Text() const { return m_data; }
    qsizetype TextLength() const { return m_length; }
    // For the reader that decodes a file into the text while it parses it (a
    // store made with a capacity): the text's units, to be written before the
    // parser looks at them, and the length the text finally has, at most the
    // capacity (the NUL is written after it).
    char16_t *WritableText() { return m_ownText; }
    void TruncateText(qsizetype length)
    {
        Q_ASSERT(m_ownText && length <= m_length);
        m_length = length;
        m_ownText[length] = 0;
    }

    // The first block is sized for about this many entries; later ones grow.
    void ExpectEntries(qsizetype count) { m_expected = count; }
    // Takes over memory whose contents are no longer needed (the bytes a text
    // was decoded from, already paged in) as the first block for entries.
    void AdoptBlock(TKvMemoryBlock block);
    // Gives the memory pages that the current block's entries did not reach
    // back to the system (they stay usable); for when no more entries follow.
    void ReleaseUnused();

    // Memory for one entry.
    void *AllocateEntry() { return Allocate(EntrySize); }
    // Memory for an array of count entry pointers (a section's Vals takes it
    // with UseArray, once its entries are made).
    TKvIniVal **AllocateArray(qint32 count)
    {
        return static_cast<TKvIniVal **>(Allocate(std::size_t(count) * sizeof(TKvIniVal *)));
    }
    // Memory for one section, taken before its entries (CollectEntries walks
    // entries only). The section keeps the store alive.
    void *AllocateSection() { return Allocate(SectionSize); }

    Mark NextEntry() const { return {std::ptrdiff_t(m_blocks.size()) - 1, m_next}; }
    // Writes the count entries made from mark on, in the order they were made.
    void CollectEntries(Mark from, qint32 count, TKvIniVal **out) const;

private:
    static constexpr std::size_t EntrySize = sizeof(TKvIniVal);
    static constexpr std::size_t SectionSize = sizeof(TKvIniSection);
    // Everything placed here keeps the next one aligned for any of them.
    static_assert(EntrySize % alignof(TKvIniSection) == 0 && SectionSize % alignof(TKvIniVal) == 0
                  && alignof(TKvIniVal *) <= alignof(TKvIniVal));

    void *Allocate(std::size_t bytes)
    {
        if (std::size_t(m_end - m_next) < bytes)
            AddBlock(bytes);
        void *memory = m_next;
        m_next += bytes;
        return memory;
    }

    struct Block
    {
        char *Begin;
        char *End;
    };

    // Starts a new block of at least that many bytes.
    void AddBlock(std::size_t atLeast);

    QString m_text;
    char16_t *m_ownText = nullptr; // the text when the store was made with a capacity
    const char16_t *m_data = nullptr;
    qsizetype m_length = 0;
    std::shared_ptr<TKvParseStore> m_previous;
    std::vector<Block> m_blocks;
    char *m_next = nullptr;
    char *m_end = nullptr;
    qsizetype m_expected = 0;
};
