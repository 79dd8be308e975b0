#include "lists/kvfilteredit.h"

#include <QKeyEvent>

TKvFilterEdit::TKvFilterEdit(QWidget *parent)
    : QLineEdit(parent)
{
    setObjectName(QStringLiteral("EdFilter"));
    setAccessibleName(QStringLiteral("Filter"));
    setPlaceholderText(QStringLiteral("Filter sections and items (Ctrl+L)"));
    setClearButtonEnabled(true);
}

QList<QKeySequence> TKvFilterEdit::FocusKeys()
{
    return {QKeySequence(Qt::CTRL | Qt::Key_L), QKeySequence(Qt::Key_Slash)};
}

void TKvFilterEdit::Focus()
{
    setFocus(Qt::ShortcutFocusReason);
    selectAll();
}

void TKvFilterEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        switch (event->key()) {
        case Qt::Key_Escape:
            if (!text().isEmpty())
                clear();
            else
                emit Done();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Down:
            emit Done();
            return;
        default:
            break;
        }
    }
    QLineEdit::keyPressEvent(event);
}
