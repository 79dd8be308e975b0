#pragma once

#include "kvgradientdialog.h"

class QLabel;
class QLineEdit;
class TKvButton;

// Asks for the password of an encrypted file. The caller hides LbWarning
// when a file is opened (the warning is for a new password), runs the dialog
// and on Accepted reads EdPassword.
class TFormPassword : public TKvGradientDialog
{
    Q_OBJECT

public:
    // Passwords shorter than this are not accepted.
    static constexpr int MinimumLength = 5;

    explicit TFormPassword(QWidget *owner = nullptr);

    QLabel *Label1 = nullptr;
    QLabel *LbWarning = nullptr;
    QWidget *PnlBottom = nullptr;
    QLineEdit *EdPassword = nullptr;
    TKvButton *ButOk = nullptr;
    TKvButton *ButCancel = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void EdPasswordChange();
    // Stacks the rows from the top; a hidden warning leaves no gap.
    void ArrangeRows();
};
