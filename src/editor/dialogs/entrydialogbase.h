#pragma once

#include "kvgradientdialog.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;
class TKvMemo;

// What the item and section dialogs share: the font, a name line and a
// comment memo with their labels, the hint that says why Apply is disabled,
// Apply and Cancel, and the frame of the layout (name on top, hint and
// buttons at the bottom). A dialog makes the shared controls through the Add
// functions in the order it wants them read, with its own in between.
class TKvEntryDialogBase : public TKvGradientDialog
{
    Q_OBJECT

public:
    // The texts as edited.
    QString Name() const;
    QString Comment() const;

    QLabel *Label1 = nullptr;
    QLineEdit *EdName = nullptr;
    QLabel *Label2 = nullptr;
    TKvMemo *MemoComment = nullptr;
    QLabel *LbHint = nullptr; // why Apply is disabled, when a text would not read back
    QPushButton *ButApply = nullptr;
    QPushButton *ButCancel = nullptr;

protected:
    TKvEntryDialogBase(QWidget *owner, const QString &objectName, const QString &title);

    void AddNameField(const QString &caption);
    // designedHeight: the memo's height at 144 ppi.
    void AddCommentField(const QString &caption, int designedHeight);
    // The hint (hidden until there is a problem), Apply (the default button) and Cancel.
    void AddHintAndButtons();

    // Starts the layout with the name and the space under it; the dialog adds
    // what goes between name and comment, then ends it.
    QVBoxLayout *BeginLayout();
    // Ends it: the comment, underComment when given, the hint, the buttons,
    // and the minimum width at 144 ppi.
    void EndLayout(QVBoxLayout *layout, QWidget *underComment, int designedMinimumWidth);

    // Shows the problem in the hint, or hides the hint when there is none.
    void ShowProblem(const QString &problem);
};
