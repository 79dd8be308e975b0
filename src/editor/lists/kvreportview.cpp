#include "kvreportview.h"

#include <QKeyEvent>

#include "kvlistdelegate.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionFocusRect>

TKvReportView::TKvReportView(int iconColumn, QWidget *parent)
    : QTableView(parent)
    , m_iconColumn(iconColumn)
{
    setItemDelegate(new TKvListDelegate(iconColumn, this));
    setTabKeyNavigation(false);
}

int TKvReportView::ClientWidthFor(int rows) const
{
    const QMargins margins = viewportMargins();
    const QRect inside = contentsRect().marginsRemoved(margins);
    const int rowHeight = verticalHeader()->defaultSectionSize();
    bool bar = verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
    if (verticalScrollBarPolicy() == Qt::ScrollBarAsNeeded)
        bar = qint64(rows) * rowHeight > inside.height();
    return bar ? inside.width() - verticalScrollBar()->sizeHint().width() : inside.width();
}

int TKvReportView::IconColumnMinimum() const
{
    // The icon, a pixel of air on either side and the grid line.
    return iconSize().width() + 2 + (showGrid() ? 1 : 0);
}

QModelIndex TKvReportView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const int rows = model() ? model()->rowCount(rootIndex()) : 0;
    const QModelIndex current = currentIndex();
    // The first text column keeps the current cell off the icon.
    const int column = current.isValid() ? current.column() : m_iconColumn + 1;
    switch (action) {
    case MoveHome:
        return rows > 0 ? model()->index(0, column, rootIndex()) : QModelIndex();
    case MoveEnd:
        return rows > 0 ? model()->index(rows - 1, column, rootIndex()) : QModelIndex();
    case MoveLeft:
    case MoveRight:
        horizontalScrollBar()->triggerAction(action == MoveLeft ? QAbstractSlider::SliderSingleStepSub
                                                                : QAbstractSlider::SliderSingleStepAdd);
        return current;
    case MoveNext:
    case MovePrevious:
        // Only asked when the list takes the focus without a current row.
        if (!current.isValid())
            return rows > 0 ? model()->index(0, column, rootIndex()) : QModelIndex();
        return current;
    default:
        return QTableView::moveCursor(action, modifiers);
    }
}

void TKvReportView::paintEvent(QPaintEvent *event)
{
    QTableView::paintEvent(event);
    const QModelIndex current = currentIndex();
    if (!hasFocus() || !current.isValid())
        return;
    // One focus frame round the current row shows which list has the keyboard.
    const QHeaderView *columns = horizontalHeader();
    const int left = columnViewportPosition(columns->logicalIndex(0));
    const int last = columns->logicalIndex(columns->count() - 1);
    const int right = columnViewportPosition(last) + columnWidth(last);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.state |= QStyle::State_KeyboardFocusChange | QStyle::State_HasFocus;
    option.rect = QRect(left, rowViewportPosition(current.row()), right - left,
                        rowHeight(current.row()) - (showGrid() ? 1 : 0));
    option.backgroundColor = palette().color(
        selectionModel()->isRowSelected(current.row(), rootIndex()) ? QPalette::Highlight : QPalette::Base);
    QPainter painter(viewport());
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

void TKvReportView::keyPressEvent(QKeyEvent *event)
{
    // With nothing selected, the first Up or Down selects the row the focus
    // frame is on (the first row once the list took the focus), not the one past it.
    const bool upOrDown = event->key() == Qt::Key_Down || event->key() == Qt::Key_Up;
    if (upOrDown && event->modifiers() == Qt::NoModifier && currentIndex().isValid() && selectionModel()
        && !selectionModel()->hasSelection()) {
        selectionModel()->setCurrentIndex(currentIndex(),
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}
