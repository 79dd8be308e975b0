#pragma once

#include <QWidget>

class QLabel;
class TKvFilterEdit;
class TKvLists;

// The filter box above the lists with what the lists show of their rows
// ("12 of 970") while it filters. Typing filters the lists at once; the
// lists' own clearing of the filter (to show a found row) empties the box.
class TKvFilterBar : public QWidget
{
    Q_OBJECT

public:
    TKvFilterBar(TKvLists &lists, QWidget *parent);

    TKvFilterEdit *EdFilter = nullptr;
    QLabel *LbFilterCount = nullptr;

    // Puts the focus in the box with its text selected.
    void Focus();

signals:
    // The person left the box (Enter, Down, or Escape in an empty box).
    void Done();

private:
    void ShowCounts();

    TKvLists &m_lists;
};
