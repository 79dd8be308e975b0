#pragma once

#include <QPlainTextEdit>

// A plain-text memo of the dialogs. Unless it wants returns, Enter does not
// insert a line break but goes on to the dialog (which presses its default
// button); Tab always moves the focus.
class TKvMemo : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit TKvMemo(QWidget *parent = nullptr);

    QString Text() const { return toPlainText(); }
    void SetText(const QString &text) { setPlainText(text); }
    bool WantReturns() const { return m_wantReturns; }
    void SetWantReturns(bool want) { m_wantReturns = want; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool m_wantReturns = false;
};

// A size designed at 144 pixels per inch, for the screen of widget.
int KvScaled(const QWidget *widget, int designed);
// Paints the dialogs' background: a vertical gradient from top to bottom.
void PaintDialogGradient(QWidget *dialog, const QColor &top, const QColor &bottom);
