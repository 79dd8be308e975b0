#include "kvimagelist.h"

#include <QPainter>

#include <algorithm>

TKvImageList::TKvImageList(int width, int height, QObject *parent)
    : QObject(parent)
    , m_width(std::max(width, 0))
    , m_height(std::max(height, 0))
{}

int TKvImageList::Add(const QImage &image)
{
    if (image.isNull() || image.width() != m_width || image.height() != m_height)
        return -1;
    m_images.push_back(image.convertToFormat(QImage::Format_ARGB32));
    Q_EMIT Changed();
    return Count() - 1;
}

int TKvImageList::AddStrip(const QImage &strip)
{
    if (strip.isNull() || m_width <= 0 || strip.height() != m_height || strip.width() < m_width)
        return -1;
    const int first = Count();
    const QImage pixels = strip.convertToFormat(QImage::Format_ARGB32);
    for (int x = 0; x + m_width <= pixels.width(); x += m_width)
        m_images.push_back(pixels.copy(x, 0, m_width, m_height));
    Q_EMIT Changed();
    return first;
}

void TKvImageList::Clear()
{
    if (m_images.empty())
        return;
    m_images.clear();
    Q_EMIT Changed();
}

void TKvImageList::Draw(QPainter *painter, int x, int y, int index) const
{
    if (!painter || !IsValidIndex(index))
        return;
    painter->drawImage(QPoint(x, y), m_images[std::size_t(index)]);
}
