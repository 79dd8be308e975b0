#pragma once

#include "kvmodalresult.h"

#include <QString>

class QWidget;
class TKvButton;

// A push button of the editor's dialogs: the shared look (dimmed and
// pressed colours, a coloured focus rectangle) and the modal result that
// closes the dialog when it is clicked (tmrNone: it closes nothing).
TKvButton *MakeDialogButton(QWidget *parent, const QString &name, const QString &caption,
                            TKvModalResult result = tmrNone);
