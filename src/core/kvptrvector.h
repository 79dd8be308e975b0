#pragma once

#include <QtGlobal>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

// An owning vector of pointers. Removing an element through Delete or Clear
// destroys it; RemoveAt only takes it out. Slots from Count up to Capacity are
// always null. Sorting and reordering move pointers, never the elements.
//
// The array, Count and Capacity are its own: others read them through the
// accessors and change the vector only through its operations, so the null
// spare slots and a borrowed array (UseArray) stay as they must be. The slots
// themselves may be reordered in place (begin/end, Replace), as a sort does.
template <typename T> class TKvPtrVector
{
public:
    TKvPtrVector() = default;
    TKvPtrVector(const TKvPtrVector &) = delete;
    TKvPtrVector &operator=(const TKvPtrVector &) = delete;
    // The owner clears the vector first, which destroys the elements.
    ~TKvPtrVector()
    {
        if (!m_borrowed)
            std::free(m_items);
    }

    qint32 Count() const { return m_count; }
    qint32 Capacity() const { return m_capacity; }
    // The slots, Capacity of them (null from Count on); null before the first.
    T *const *Items() const { return m_items; }

    T *operator[](qint32 index) const { return m_items[index]; }
    T *const *begin() const { return m_items; }
    T *const *end() const { return m_items + m_count; }
    // For reordering the elements in place (sorts, partitions).
    T **begin() { return m_items; }
    T **end() { return m_items + m_count; }
    bool IsEmpty() const { return m_count == 0; }
    T *Last() const { return m_count > 0 ? m_items[m_count - 1] : nullptr; }

    // Puts item in the slot at index (0 to Count - 1) and returns the one it
    // held, which is not destroyed.
    T *Replace(qint32 index, T *item)
    {
        Q_ASSERT(index >= 0 && index < m_count);
        T *old = m_items[index];
        m_items[index] = item;
        return old;
    }

    void Add(T *item)
    {
        if (m_count + 1 > m_capacity)
            Grow();
        m_items[m_count++] = item;
    }

    void Insert(qint32 index, T *item)
    {
        if (index >= m_count) {
            Add(item);
            return;
        }
        if (index < 0)
            index = 0;
        if (m_count + 1 > m_capacity)
            Grow();
        MoveSlots(index + 1, index, m_count - index);
        m_items[index] = item;
        ++m_count;
    }

    qint32 IndexOf(const T *item, qint32 start = 0) const
    {
        if (start < 0)
            return -1;
        for (qint32 i = start; i < m_count; ++i) {
            if (m_items[i] == item)
                return i;
        }
        return -1;
    }

    // Puts count items at index, in order, with one move of the slots after them.
    void InsertRange(qint32 index, T *const *items, qint32 count)
    {
        if (count <= 0)
            return;
        if (index < 0 || index > m_count)
            index = m_count;
        if (m_count + count > m_capacity)
            Reserve(std::max(m_count + count, GrownCapacity(m_count + count - 1)));
        MoveSlots(index + count, index, m_count - index);
        std::copy(items, items + count, m_items + index);
        m_count += count;
    }

    // Takes count slots out at index, with one move; the elements are not destroyed.
    void TakeRange(qint32 index, qint32 count)
    {
        if (index < 0 || count <= 0 || index + count > m_count)
            return;
        MoveSlots(index, index + count, m_count - index - count);
        m_count -= count;
        std::fill(m_items + m_count, m_items + m_count + count, nullptr);
    }

    void RemoveAt(qint32 index)
    {
        if (index < 0 || index >= m_count)
            return;
        MoveSlots(index, index + 1, m_count - index - 1);
        --m_count;
        m_items[m_count] = nullptr;
    }

    void Delete(T *item)
    {
        const qint32 index = IndexOf(item, 0);
        if (index < 0)
            return;
        delete m_items[index];
        RemoveAt(index);
    }

    // Destroys every element for which doomed holds and closes the gaps, in
    // one pass (deleting k elements one by one would move the tail k times).
    template <typename Doomed> void DeleteIf(Doomed doomed)
    {
        qint32 kept = 0;
        for (qint32 i = 0; i < m_count; ++i) {
            if (doomed(m_items[i]))
                delete m_items[i];
            else
                m_items[kept++] = m_items[i];
        }
        for (qint32 i = kept; i < m_count; ++i)
            m_items[i] = nullptr;
        m_count = kept;
    }

    void Clear()
    {
        for (qint32 i = 0; i < m_count; ++i)
            delete m_items[i];
        for (qint32 i = 0; i < m_capacity; ++i)
            m_items[i] = nullptr;
        m_count = 0;
    }

    void Reserve(qint32 capacity)
    {
        if (m_capacity >= capacity)
            return;
        const std::size_t bytes = sizeof(T *) * std::size_t(capacity);
        T **newItems;
        qint32 nullFrom; // the slots from here on are not null yet
        if (m_borrowed || m_items == nullptr) {
            newItems = static_cast<T **>(std::malloc(bytes));
            if (!newItems)
                throw std::bad_alloc();
            if (m_count > 0)
                std::memcpy(newItems, m_items, sizeof(T *) * size_t(m_count));
            nullFrom = m_count;
        } else {
            // A big array grows by having its pages mapped further on, not
            // copied (and the pages it had are not touched again).
            newItems = static_cast<T **>(std::realloc(m_items, bytes));
            if (!newItems)
                throw std::bad_alloc();
            nullFrom = m_capacity;
        }
        std::fill(newItems + nullFrom, newItems + capacity, nullptr);
        m_borrowed = false;
        m_items = newItems;
        m_capacity = capacity;
    }

    // Counts in count more elements at the end and returns their slots for the
    // caller to fill; when it has to grow, it grows to exactly that size (a
    // parser adding a whole section at once knows how many it has).
    T **AppendSlots(qint32 count)
    {
        Reserve(m_count + count);
        T **added = m_items + m_count;
        m_count += count;
        return added;
    }

    // Makes an empty vector without an array use one that someone else owns,
    // of capacity slots with count elements in front and null slots after
    // them; it never frees that array, which must outlive it, and moves to an
    // array of its own when it grows.
    void UseArray(T **items, qint32 count, qint32 capacity)
    {
        Q_ASSERT(m_items == nullptr && m_count == 0 && count <= capacity);
        m_items = items;
        m_count = count;
        m_capacity = capacity;
        m_borrowed = true;
    }

    // Reverses the slots first .. last - 1; last is clipped to Count, first raised to 0.
    void Reverse(qint32 first, qint32 last)
    {
        if (last > m_count)
            last = m_count;
        if (first < 0)
            first = 0;
        for (qint32 lo = first, hi = last - 1; lo < hi; ++lo, --hi)
            qSwap(m_items[lo], m_items[hi]);
    }

    // The capacity the vector takes when one more slot is needed.
    static qint32 GrownCapacity(qint32 count)
    {
        const qint32 n = count + 1;
        if (n < 2)
            return 5;
        if (n < 20)
            return 2 * count;
        if (n < 60)
            return count * 3 / 2;
        return n + qint32((qint64(30) * n) / 100);
    }

private:
    T **m_items = nullptr;
    qint32 m_count = 0;
    qint32 m_capacity = 0;
    bool m_borrowed = false; // m_items belongs to someone else (UseArray)

    void Grow() { Reserve(GrownCapacity(m_count)); }

    void MoveSlots(qint32 to, qint32 from, qint32 count)
    {
        if (count <= 0)
            return;
        if (count < 33) {
            if (to < from) {
                for (qint32 i = 0; i < count; ++i)
                    m_items[to + i] = m_items[from + i];
            } else {
                for (qint32 i = count - 1; i >= 0; --i)
                    m_items[to + i] = m_items[from + i];
            }
        } else {
            std::memmove(m_items + to, m_items + from, sizeof(T *) * size_t(count));
        }
    }
};
