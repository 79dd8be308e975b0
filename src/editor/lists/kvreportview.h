#pragma once

#include <QTableView>

// A report-style list: it moves by rows, not by cells. Tab and Shift+Tab
// move the focus on to the window's other controls, Home and End go to the
// first and last row, Left and Right scroll sideways, and the focus frame
// goes round the whole current row.
class TKvReportView : public QTableView
{
    Q_OBJECT

public:
    // iconColumn: the column that shows only the row's icon.
    explicit TKvReportView(int iconColumn, QWidget *parent = nullptr);

    // The width the rows' cells get once the list shows the given number of
    // rows: the width inside the frame, less the vertical scroll bar when the
    // rows need it. The scroll bars follow the rows only at the next layout,
    // so the fitting of the columns asks here instead of the viewport.
    int ClientWidthFor(int rows) const;
    // The narrowest icon column that shows the icon whole.
    int IconColumnMinimum() const;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    int m_iconColumn;
};
