#pragma once

// Helpers of the widget tests: showing a window, reading pixels of a
// bitmap, a scan line or a grabbed picture as colours, simple image lists.

#include "kvcolor.h"
#include "kvimagelist.h"
#include "kvpixels.h"

#include <QImage>
#include <QTest>
#include <QWidget>

// The colour (0x00BBGGRR) of pixel x of a bitmap row.
inline TColor RowPixel(const uchar *row, int x)
{
    return KvColorOfPixel(reinterpret_cast<const quint32 *>(row)[x]);
}

// The widget as it is on the screen, as colours.
inline QImage Grabbed(QWidget *widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline TColor ImagePixel(const QImage &image, int x, int y)
{
    return KvFromQColor(QColor(image.pixel(x, y)));
}

// Shows a top-level widget and waits until it can be painted.
inline bool ShowWindow(QWidget *window)
{
    window->show();
    return QTest::qWaitForWindowExposed(window);
}

// Shows and activates, so that its widgets can have the keyboard focus.
inline bool ShowActiveWindow(QWidget *window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

// An image list whose images are filled with the given colours.
inline TKvImageList *SolidImageList(int size, const QList<TColor> &colours, QObject *parent)
{
    auto *list = new TKvImageList(size, size, parent);
    for (TColor colour : colours) {
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(KvToQColor(colour));
        list->Add(image);
    }
    return list;
}

inline QString ColourText(TColor c)
{
    return QStringLiteral("%1").arg(c, 6, 16, QLatin1Char('0'));
}

// Compares colours and prints them in hex when they differ.
#define QCOMPARE_COLOUR(actual, expected) QCOMPARE(ColourText(actual), ColourText(expected))
