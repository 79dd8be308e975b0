#pragma once

#include <QtGlobal>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

// An owning vector of pointers. Removing an element through Delete or Clear
// destroys it; RemoveAt only takes it out. Slots from Count up to Capacity are
// always null. Sorting and reordering move pointers, never the elements.
template <typename T> class TKvPtrVector
{
public:
    T **Items = nullptr;
    qint32 Count = 0;
    qint32 Capacity = 0;

    TKvPtrVector() = default;
    TKvPtrVector(const TKvPtrVector &) = delete;
    TKvPtrVector &operator=(const TKvPtrVector &) = delete;
    // The owner clears the vector first, which destroys the elements.
    ~TKvPtrVector()
    {
        if (!m_borrowed)
            std::free(Items);
    }

    T *operator[](qint32 index) const { return Items[index]; }
    T **begin() const { return Items; }
    T **end() const { return Items + Count; }
    bool IsEmpty() const { return Count == 0; }
    T *Last() const { return Count > 0 ? Items[Count - 1] : nullptr; }

    void Add(T *item)
    {
        if (Count + 1 > Capacity)
            Grow();
        Items[Count++] = item;
    }

    void Insert(qint32 index, T *item)
    {
        if (index >= Count) {
            Add(item);
            return;
        }
        if (index < 0)
            index = 0;
        if (Count + 1 > Capacity)
            Grow();
        MoveSlots(index + 1, index, Count - index);
        Items[index] = item;
        ++Count;
    }

    qint32 IndexOf(const T *item, qint32 start = 0) const
    {
        if (start < 0)
            return -1;
        for (qint32 i = start; i < Count; ++i) {
            if (Items[i] == item)
                return i;
        }
        return -1;
    }

    // Puts count items at index, in order, with one move of the slots after them.
    void InsertRange(qint32 index, T *const *items, qint32 count)
    {
        if (count <= 0)
            return;
        if (index < 0 || index > Count)
            index = Count;
        if (Count + count > Capacity)
            Reserve(std::max(Count + count, GrownCapacity(Count + count - 1)));
        MoveSlots(index + count, index, Count - index);
        std::copy(items, items + count, Items + index);
        Count += count;
    }

    // Takes count slots out at index, with one move; the elements are not destroyed.
    void TakeRange(qint32 index, qint32 count)
    {
        if (index < 0 || count <= 0 || index + count > Count)
            return;
        MoveSlots(index, index + count, Count - index - count);
        Count -= count;
        std::fill(Items + Count, Items + Count + count, nullptr);
    }

    void RemoveAt(qint32 index)
    {
        if (index < 0 || index >= Count)
            return;
        MoveSlots(index, index + 1, Count - index - 1);
        --Count;
        Items[Count] = nullptr;
    }

    void Delete(T *item)
    {
        const qint32 index = IndexOf(item, 0);
        if (index < 0)
            return;
        delete Items[index];
        RemoveAt(index);
    }

    // Destroys every element for which doomed holds and closes the gaps, in
    // one pass (deleting k elements one by one would move the tail k times).
    template <typename Doomed> void DeleteIf(Doomed doomed)
    {
        qint32 kept = 0;
        for (qint32 i = 0; i < Count; ++i) {
            if (doomed(Items[i]))
                delete Items[i];
            else
                Items[kept++] = Items[i];
        }
        for (qint32 i = kept; i < Count; ++i)
            Items[i] = nullptr;
        Count = kept;
    }

    void Clear()
    {
        for (qint32 i = 0; i < Count; ++i)
            delete Items[i];
        for (qint32 i = 0; i < Capacity; ++i)
            Items[i] = nullptr;
        Count = 0;
    }

    void Reserve(qint32 capacity)
    {
        if (Capacity >= capacity)
            return;
        const std::size_t bytes = sizeof(T *) * std::size_t(capacity);
        T **newItems;
        qint32 nullFrom; // the slots from here on are not null yet
        if (m_borrowed || Items == nullptr) {
            newItems = static_cast<T **>(std::malloc(bytes));
            if (!newItems)
                throw std::bad_alloc();
            if (Count > 0)
                std::memcpy(newItems, Items, sizeof(T *) * size_t(Count));
            nullFrom = Count;
        } else {
            // A big array grows by having its pages mapped further on, not
            // copied (and the pages it had are not touched again).
            newItems = static_cast<T **>(std::realloc(Items, bytes));
            if (!newItems)
                throw std::bad_alloc();
            nullFrom = Capacity;
        }
        std::fill(newItems + nullFrom, newItems + capacity, nullptr);
        m_borrowed = false;
        Items = newItems;
        Capacity = capacity;
    }

    // Counts in count more elements at the end and returns their slots for the
    // caller to fill; when it has to grow, it grows to exactly that size (a
    // parser adding a whole section at once knows how many it has).
    T **AppendSlots(qint32 count)
    {
        Reserve(Count + count);
        T **added = Items + Count;
        Count += count;
        return added;
    }

    // Makes an empty vector without an array use one that someone else owns,
    // with count elements in it and no spare slots; it never frees that array,
    // which must outlive it, and moves to an array of its own when it grows.
    void UseArray(T **items, qint32 count)
    {
        Q_ASSERT(Items == nullptr && Count == 0);
        Items = items;
        Count = count;
        Capacity = count;
        m_borrowed = true;
    }

    // Reverses the slots first .. last - 1; last is clipped to Count, first raised to 0.
    void Reverse(qint32 first, qint32 last)
    {
        if (last > Count)
            last = Count;
        if (first < 0)
            first = 0;
        for (qint32 lo = first, hi = last - 1; lo < hi; ++lo, --hi)
            qSwap(Items[lo], Items[hi]);
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
    bool m_borrowed = false; // Items belongs to someone else (UseArray)

    void Grow() { Reserve(GrownCapacity(Count)); }

    void MoveSlots(qint32 to, qint32 from, qint32 count)
    {
        if (count <= 0)
            return;
        if (count < 33) {
            if (to < from) {
                for (qint32 i = 0; i < count; ++i)
                    Items[to + i] = Items[from + i];
            } else {
                for (qint32 i = count - 1; i >= 0; --i)
                    Items[to + i] = Items[from + i];
            }
        } else {
            std::memmove(Items + to, Items + from, sizeof(T *) * size_t(count));
        }
    }
};
