#include "kvlistdelegate.h"

#include "compare/comparelook.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QScreen>
#include <QToolTip>

#include <cmath>

TKvListDelegate::TKvListDelegate(int iconColumn, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_iconColumn(iconColumn)
{}

void TKvListDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->state &= ~QStyle::State_HasFocus;
}

QRect TKvListDelegate::IconRect(const QRect &cell, const QSize &icon)
{
    return QRect(cell.left() + (cell.width() - icon.width()) / 2,
                 cell.top() + (cell.height() - icon.height()) / 2, icon.width(), icon.height());
}

void TKvListDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const
{
    if (index.column() != m_iconColumn) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The style would put the icon after a margin, where a narrow column cuts it off.
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    const QIcon icon = opt.icon;
    opt.icon = QIcon();
    opt.features &= ~QStyleOptionViewItem::HasDecoration;
    opt.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    // A comparison's mark: a strip at the left that a selected row shows too.
    const QColor strip = index.data(CompareLook::StripRole).value<QColor>();
    if (strip.isValid()) {
        const int width = std::max(4, opt.rect.height() / 5);
        painter->fillRect(QRect(opt.rect.left(), opt.rect.top(), width, opt.rect.height()), strip);
    }
    if (icon.isNull())
        return;
    const QSize size = icon.actualSize(opt.decorationSize);
    const QIcon::Mode mode = !(opt.state & QStyle::State_Enabled)   ? QIcon::Disabled
                             : (opt.state & QStyle::State_Selected) ? QIcon::Selected
                                                                    : QIcon::Normal;
    icon.paint(painter, IconRect(opt.rect, size), Qt::AlignCenter, mode);
}

bool TKvListDelegate::IsCutOff(const QStyleOptionViewItem &option, const QModelIndex &index,
                               const QRect &visible) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    if (opt.text.isEmpty() || index.column() == m_iconColumn)
        return false;
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    // The room the style leaves for the text, as it draws it.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect room =
        style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget).adjusted(margin, 0, -margin, 0);
    const int width = int(std::ceil(QFontMetricsF(opt.font).horizontalAdvance(opt.text)));
    if (width > room.width())
        return true;
    if (!visible.isValid())
        return false;
    int left = room.left();
    if (opt.displayAlignment & Qt::AlignHCenter)
        left += (room.width() - width) / 2;
    else if (opt.displayAlignment & Qt::AlignRight)
        left = room.right() + 1 - width;
    return left < visible.left() || left + width > visible.right() + 1;
}

QString TKvListDelegate::ToolTipOf(const QString &text, const QFontMetrics &metrics, int maxWidth)
{
    QStringList lines;
    QString line;
    int lineWidth = 0;
    bool first = true;
    for (const QString &word : text.split(u' ')) {
        const int wordWidth = metrics.horizontalAdvance(word);
        const int spaced = metrics.horizontalAdvance(u' ') + wordWidth;
        if (first) {
            line = word;
            lineWidth = wordWidth;
            first = false;
        } else if (!line.isEmpty() && lineWidth + spaced > maxWidth) {
            lines << line;
            line = word;
            lineWidth = wordWidth;
        } else {
            line += u' ' + word;
            lineWidth += spaced;
        }
    }
    lines << line;
    for (QString &each : lines)
        each = each.toHtmlEscaped();
    // Escaped rich text keeps every character; "pre" keeps runs of spaces.
    return QStringLiteral("<p style=\"white-space:pre\">") + lines.join(QStringLiteral("<br>"))
           + QStringLiteral("</p>");
}

bool TKvListDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view,
                                const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (!event || !view || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const QString text = index.data(Qt::ToolTipRole).toString();
    // In a comparison, what the other file has there is told on any cell of the row.
    const QString other = index.data(CompareLook::OtherToolTipRole).toString();
    QStringList lines;
    if (!text.isEmpty() && IsCutOff(option, index, view->viewport()->rect()))
        lines << text;
    if (!other.isEmpty())
        lines << other.split(u'\n');
    if (lines.isEmpty()) {
        QToolTip::hideText();
        return true;
    }
    const QScreen *screen = view->screen();
    const int maxWidth = std::max(200, screen ? screen->availableGeometry().width() / 2 : 600);
    QString tip;
    for (const QString &line : lines)
        tip += ToolTipOf(line, QFontMetrics(QToolTip::font()), maxWidth);
    QToolTip::showText(event->globalPos(), tip, view->viewport(), option.rect);
    return true;
}
