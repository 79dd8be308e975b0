#pragma once

#include <QKeySequence>
#include <QLineEdit>

// The filter box above the lists. Escape empties it; Escape in an empty box
// asks to leave it (Done), as Enter and Down do, so the window can put the
// focus back on the lists. The window's action "Filter" (FocusKeys())
// calls Focus().
class TKvFilterEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit TKvFilterEdit(QWidget *parent = nullptr);

    // Ctrl+L and "/". Typed into the box itself, "/" is just a character.
    static QList<QKeySequence> FocusKeys();
    // Puts the focus in the box with its text selected.
    void Focus();

signals:
    void Done();

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
