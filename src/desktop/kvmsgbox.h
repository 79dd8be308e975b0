#pragma once

#include "kvmodalresult.h"

#include <QList>
#include <QString>

#include <functional>

class QWidget;

// Picture kinds of the message box.
enum TKvMsgIcon : int {
    kvIconQuestion = 1,
    kvIconExclamation = 2,
    kvIconError = 3,
    kvIconInfo = 4,
};

// The only ways the program shows a question, an error or a notice. The owner
// is the window the box is centred over, or none.
void ShowMsgBox(const QString &caption, const QString &text, int pictureKind, QWidget *owner = nullptr);
void InfoBox(const QString &caption, const QString &text, QWidget *owner = nullptr);
void ErrorBox(const QString &caption, const QString &text, QWidget *owner = nullptr);
bool YesNoBox(const QString &caption, const QString &text, QWidget *owner = nullptr);
TKvModalResult YesNoCancelBox(const QString &caption, const QString &text, QWidget *owner = nullptr);

// For tests: while a hook is installed no box is shown; the hook sees what
// would have been shown and gives the answer (tmrOK for boxes with one button).
struct TKvMsgBoxRequest
{
    QString caption;
    QString text;
    int pictureKind = 0;
    QList<TKvModalResult> buttons;
};
using TKvMsgBoxHook = std::function<TKvModalResult(const TKvMsgBoxRequest &request)>;
TKvMsgBoxHook SetMsgBoxHook(TKvMsgBoxHook hook);
