#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

// A picture for a screen of `ratio` device pixels per logical pixel, shown at
// the logical size of `logical` (the picture as loaded from `path` and scaled
// to the screen's density). Above a ratio of 1 the "@2x" file next to `path`
// is scaled down to that size in device pixels, so the picture stays sharp;
// without such a file, or at a ratio of 1, it is `logical` itself.
QPixmap KvSharpPicture(const QString &path, const QImage &logical, qreal ratio);
