#pragma once

// Helpers of the drawing tests: whole-bitmap snapshots and comparisons.

#include "kvbmp.h"
#include "kvplainmessage.h"

#include <QString>
#include <QStringList>
#include <QTest>

#include <vector>

// Every pixel word of the bitmap, row by row.
inline std::vector<quint32> Snapshot(const TKvBmp &bmp)
{
    std::vector<quint32> pixels;
    pixels.reserve(std::size_t(bmp.Width()) * std::size_t(bmp.Height()));
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            pixels.push_back(bmp.Pixel(x, y));
    return pixels;
}

inline bool Inside(const TKvRect &r, int x, int y)
{
    return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

// The number of pixels outside `r` that differ from `before`.
inline int ChangedOutside(const TKvBmp &bmp, const std::vector<quint32> &before, const TKvRect &r)
{
    int changed = 0;
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            if (!Inside(r, x, y) && bmp.Pixel(x, y) != before[std::size_t(y) * std::size_t(bmp.Width()) + x])
                ++changed;
    return changed;
}

// The smallest rectangle holding every pixel that differs from `before`;
// empty when nothing changed.
inline TKvRect ChangedBox(const TKvBmp &bmp, const std::vector<quint32> &before)
{
    TKvRect box{bmp.Width(), bmp.Height(), 0, 0};
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            if (bmp.Pixel(x, y) != before[std::size_t(y) * std::size_t(bmp.Width()) + x]) {
                box.Left = std::min(box.Left, x);
                box.Top = std::min(box.Top, y);
                box.Right = std::max(box.Right, x + 1);
                box.Bottom = std::max(box.Bottom, y + 1);
            }
    return box.IsEmpty() ? TKvRect{} : box;
}

inline QString Hex(quint32 v)
{
    return QStringLiteral("0x%1").arg(v, 8, 16, QLatin1Char('0'));
}

// Collects what is shown through the plain-message function while it lives.
class TKvMessageCatcher
{
public:
    TKvMessageCatcher()
    {
        m_previous = SetPlainMessageHandler([this](const QString &text) { Messages.append(text); });
    }
    ~TKvMessageCatcher() { SetPlainMessageHandler(m_previous); }
    TKvMessageCatcher(const TKvMessageCatcher &) = delete;
    TKvMessageCatcher &operator=(const TKvMessageCatcher &) = delete;

    QStringList Messages;

private:
    TKvPlainMessageHandler m_previous;
};

// Runs `f` and returns the message of the EKvInvalidGraphicOperation it
// raised, or an empty string when it raised nothing.
template <typename F> QString ErrorOf(F f)
{
    try {
        f();
    } catch (const EKvInvalidGraphicOperation &e) {
        return e.Message();
    }
    return QString();
}

namespace QTest {
template <> inline char *toString(const TKvRect &r)
{
    return qstrdup(
        QStringLiteral("(%1, %2, %3, %4)").arg(r.Left).arg(r.Top).arg(r.Right).arg(r.Bottom).toUtf8());
}
} // namespace QTest
