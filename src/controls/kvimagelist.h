#pragma once

#include <QImage>
#include <QObject>

#include <vector>

class QPainter;

// A list of images of one size, kept as 32-bit pixels with alpha (QImage
// Format_ARGB32, not premultiplied: the same bytes as a bitmap's pixels).
// Controls draw an image by index at a point or copy its pixels.
class TKvImageList : public QObject
{
    Q_OBJECT

public:
    TKvImageList(int width, int height, QObject *parent = nullptr);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int Count() const { return int(m_images.size()); }

    // Adds an image of the list's size and returns its index; an image of
    // another size is refused with -1.
    int Add(const QImage &image);
    // Adds every whole image-sized piece of a horizontal strip, left to
    // right; returns the index of the first one, -1 when none fits.
    int AddStrip(const QImage &strip);
    void Clear();

    // The image (Format_ARGB32, stride width × 4); index must be valid.
    const QImage &Image(int index) const { return m_images[std::size_t(index)]; }
    bool IsValidIndex(int index) const { return index >= 0 && index < Count(); }

    // Draws image `index` with its alpha at (x, y); an invalid index draws
    // nothing.
    void Draw(QPainter *painter, int x, int y, int index) const;

Q_SIGNALS:
    // The images changed (added, cleared).
    void Changed();

private:
    int m_width;
    int m_height;
    std::vector<QImage> m_images;
};
