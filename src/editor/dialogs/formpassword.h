#pragma once

#include "kvcontainer.h"
#include "kvgradientdialog.h"

class QLabel;
class QLineEdit;
class QRadioButton;
class TKvButton;

// Asks for the password of an encrypted file. The caller hides LbWarning
// when a file is opened (the warning is for a new password), runs the dialog
// and on Accepted reads EdPassword. When a file is saved the caller also
// offers the choice of container (OfferFormat) and reads ChosenFormat.
class TFormPassword : public TKvGradientDialog
{
    Q_OBJECT

public:
    // Passwords shorter than this are not accepted.
    static constexpr int MinimumLength = 5;

    explicit TFormPassword(QWidget *owner = nullptr);
    // Wipes a password left in the field (a cancelled dialog).
    ~TFormPassword() override;

    QLabel *Label1 = nullptr;
    QLabel *LbWarning = nullptr;
    QWidget *PnlBottom = nullptr;
    QLineEdit *EdPassword = nullptr;
    TKvButton *ButOk = nullptr;
    TKvButton *ButCancel = nullptr;
    // The choice of container, hidden until offered.
    QWidget *PnlFormat = nullptr;
    QRadioButton *RbStrong = nullptr;
    QRadioButton *RbCompatible = nullptr;
    QLabel *LbFormatHint = nullptr;

    // Shows the choice of container with `current` chosen.
    void OfferFormat(TKvContainerFormat current);
    TKvContainerFormat ChosenFormat() const;
    // The typed password; the field lets go of its text, which is wiped.
    QString TakePassword();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void EdPasswordChange();
    void FormatToggled();
    // Stacks the rows from the top; a hidden warning leaves no gap.
    void ArrangeRows();

    int m_bottomHeight = 0;
    int m_formatHeight = 0;
};
