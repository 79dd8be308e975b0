#include "kvmemo.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

TKvMemo::TKvMemo(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
}

void TKvMemo::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !m_wantReturns) {
        event->ignore();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

int KvScaled(const QWidget *widget, int designed)
{
    const QScreen *screen = widget && widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    const int dpi = screen ? qRound(screen->logicalDotsPerInch()) : 96;
    return designed * dpi / 144;
}

void PaintDialogGradient(QWidget *dialog, const QColor &top, const QColor &bottom)
{
    QPainter painter(dialog);
    QLinearGradient gradient(0, 0, 0, dialog->height());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    painter.fillRect(dialog->rect(), gradient);
}
