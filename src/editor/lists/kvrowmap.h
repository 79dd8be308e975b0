#pragma once

#include <algorithm>
#include <utility>
#include <vector>

// The rows of a list that shows only some of the things it lists: an
// ascending list of their indices, row r showing index At(r). Indices put in
// or taken out before a shown one move it (Shift), so a change of k things
// costs O(k) plus the rows after it, never a pass over everything.
class TKvRowMap
{
public:
    int Count() const { return int(m_indices.size()); }
    int At(int row) const { return m_indices[size_t(row)]; }
    const std::vector<int> &Indices() const { return m_indices; }
    // The row that shows index, or -1.
    int RowOf(int index) const
    {
        const int row = RowFrom(index);
        return row < Count() && At(row) == index ? row : -1;
    }
    // The first row showing an index from index on (Count() when none).
    int RowFrom(int index) const
    {
        return int(std::lower_bound(m_indices.begin(), m_indices.end(), index) - m_indices.begin());
    }
    // The rows [first, end) that show indices from first to before end.
    std::pair<int, int> RowsOf(int first, int end) const { return {RowFrom(first), RowFrom(end)}; }

    void Clear()
    {
        m_indices.clear();
        m_indices.shrink_to_fit();
    }
    void Reserve(int count) { m_indices.reserve(size_t(count)); }
    void Append(int index) { m_indices.push_back(index); }
    // Indices shown from row on move by delta.
    void Shift(int row, int delta)
    {
        for (auto it = m_indices.begin() + row; it != m_indices.end(); ++it)
            *it += delta;
    }
    // Shows the ascending indices in rows from row on.
    void Insert(int row, const std::vector<int> &indices)
    {
        m_indices.insert(m_indices.begin() + row, indices.begin(), indices.end());
    }
    void Erase(int firstRow, int endRow)
    {
        m_indices.erase(m_indices.begin() + firstRow, m_indices.begin() + endRow);
    }

private:
    std::vector<int> m_indices;
};
