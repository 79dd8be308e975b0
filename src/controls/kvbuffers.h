#pragma once

#include <QtGlobal>

#include <algorithm>
#include <memory>

// Scratch arrays for one column of colours or one ramp of shading values.
// Both hold one entry more than their count; callers index 0 to Count() - 1
// without bounds checks. A negative count is taken as 0.

class TKvColorBuf
{
public:
    explicit TKvColorBuf(int count)
        : m_count(std::max(count, 0))
        , m_values(new quint32[std::size_t(m_count) + 1])
    {
        std::fill_n(m_values.get(), m_count + 1, 0xFFFFFFFFu);
    }
    TKvColorBuf(const TKvColorBuf &) = delete;
    TKvColorBuf &operator=(const TKvColorBuf &) = delete;

    int Count() const { return m_count; }
    quint32 *Data() { return m_values.get(); }
    const quint32 *Data() const { return m_values.get(); }
    quint32 &operator[](int i) { return m_values[std::size_t(i)]; }
    quint32 operator[](int i) const { return m_values[std::size_t(i)]; }

private:
    int m_count;
    std::unique_ptr<quint32[]> m_values;
};

class TKvByteBuf
{
public:
    // The contents start undefined.
    explicit TKvByteBuf(int count)
        : m_count(std::max(count, 0))
        , m_values(new quint8[std::size_t(m_count) + 1])
    {}
    TKvByteBuf(const TKvByteBuf &) = delete;
    TKvByteBuf &operator=(const TKvByteBuf &) = delete;

    int Count() const { return m_count; }
    quint8 *Data() { return m_values.get(); }
    const quint8 *Data() const { return m_values.get(); }
    quint8 &operator[](int i) { return m_values[std::size_t(i)]; }
    quint8 operator[](int i) const { return m_values[std::size_t(i)]; }

private:
    int m_count;
    std::unique_ptr<quint8[]> m_values;
};
