#pragma once

#include <QStyledItemDelegate>

// Draws the cells of the section and value lists: the icon column shows its
// icon whole and centred, no cell gets a focus frame of its own (the list
// moves by rows), and a cell whose text is cut off shows the whole text as
// its tool tip. In a comparison, the icon cell shows the row's mark as a
// strip and every cell adds what the other file has there to its tool tip.
class TKvListDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // iconColumn: the column that shows only the row's icon.
    explicit TKvListDelegate(int iconColumn, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

    // Where an icon of the given size is drawn in a cell.
    static QRect IconRect(const QRect &cell, const QSize &icon);
    // Whether the cell's text is wider than the room the cell gives it, or
    // (when visible is given) reaches beyond the visible part of the view.
    bool IsCutOff(const QStyleOptionViewItem &option, const QModelIndex &index,
                  const QRect &visible = {}) const;
    // The tool tip that shows a text whole: lines broken at spaces where
    // they would grow wider than maxWidth in the font, and always shown as
    // plain text (a value like "<b>" is not taken for markup).
    static QString ToolTipOf(const QString &text, const QFontMetrics &metrics, int maxWidth);

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    int m_iconColumn;
};
