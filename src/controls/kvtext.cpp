#include "kvtext.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

using namespace KvTextFormat;

// Qt's layout breaks lines at "\n" only: a CR LF pair or a lone CR becomes one "\n".
QString NormalisedLineBreaks(const QString &text)
{
    if (!text.contains(u'\r'))
        return text;
    QString result = text;
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(u'\r', u'\n');
    return result;
}

int QtFlags(quint32 format)
{
    int flags = Qt::TextShowMnemonic;
    if (format & Right)
        flags |= Qt::AlignRight;
    else if (format & Centre)
        flags |= Qt::AlignHCenter;
    else
        flags |= Qt::AlignLeft;
    if (format & SingleLine) {
        flags |= Qt::TextSingleLine;
        flags |= (format & VerticalCentre) ? Qt::AlignVCenter : Qt::AlignTop;
    } else {
        flags |= Qt::AlignTop;
        if (format & WordBreak)
            flags |= Qt::TextWordWrap;
    }
    return flags;
}

// On one line, line breaks are white space (Qt would still break at a CR).
QString OnOneLine(const QString &text)
{
    if (!text.contains(u'\r') && !text.contains(u'\n'))
        return text;
    QString result = text;
    result.replace(u'\r', u' ');
    result.replace(u'\n', u' ');
    return result;
}

QString LaidOutText(const QString &text, quint32 format)
{
    return (format & SingleLine) ? OnOneLine(text) : NormalisedLineBreaks(text);
}

} // namespace

void KvMeasureText(const QFontMetrics &metrics, const QString &text, quint32 format, TKvRect &rect)
{
    if (text.isEmpty()) {
        rect.Right = rect.Left;
        rect.Bottom = rect.Top;
        return;
    }
    // Laid out from the top left corner, so that the extent is the text's own.
    const int flags = (QtFlags(format) & ~(Qt::AlignHorizontal_Mask | Qt::AlignVertical_Mask)) | Qt::AlignLeft
                      | Qt::AlignTop;
    const QRect box(0, 0, std::max(rect.Width(), 0), 0);
    const QRect extent = metrics.boundingRect(box, flags, LaidOutText(text, format));
    rect.Right = rect.Left + extent.width();
    rect.Bottom = rect.Top + extent.height();
}

bool KvDrawText(QPainter &painter, const QString &text, quint32 format, TKvRect &rect)
{
    if (format & Calculate) {
        KvMeasureText(painter.fontMetrics(), text, format, rect);
        return true;
    }
    if (rect.IsEmpty() || text.isEmpty())
        return false;
    const QRect box = rect.ToQRect();
    painter.save();
    painter.setClipRect(box, painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    painter.drawText(box, QtFlags(format), LaidOutText(text, format));
    painter.restore();
    return true;
}
