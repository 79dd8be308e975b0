#include "kvsharppicture.h"

QPixmap KvSharpPicture(const QString &path, const QImage &logical, qreal ratio)
{
    if (ratio <= 1.0 || logical.isNull())
        return QPixmap::fromImage(logical);
    QString densePath = path;
    const qsizetype dot = densePath.lastIndexOf(u'.');
    densePath.insert(dot < 0 ? densePath.size() : dot, QStringLiteral("@2x"));
    const QImage dense(densePath);
    if (dense.isNull())
        return QPixmap::fromImage(logical);
    QPixmap sharp = QPixmap::fromImage(
        dense.scaled(logical.size() * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    sharp.setDevicePixelRatio(ratio);
    return sharp;
}
