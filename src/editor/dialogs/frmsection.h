#pragma once

#include "kvgradientdialog.h"

class QLabel;
class QLineEdit;
class QPushButton;
class TKvMemo;

// The section dialog of Add, Insert, Copy and Edit section. It remembers the
// name and comment it was given; Apply needs a name and, for a given section,
// a change other than letter case.
class TFrmSection : public TKvGradientDialog
{
    Q_OBJECT

public:
    explicit TFrmSection(QWidget *owner);

    // Setting stores the text as the original, then shows it for editing.
    void SetName(const QString &name);
    void SetComment(const QString &comment);
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

    QString OrgName;
    QString OrgComment;

    void EdNameChange();

protected:
    void showEvent(QShowEvent *event) override;
};

// Whether two texts are equal ignoring letter case, in the user's locale.
bool SameIgnoringCase(const QString &a, const QString &b);
