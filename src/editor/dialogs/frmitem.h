#pragma once

#include "kvgradientdialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TKvMemo;

// The item dialog of Add, Insert and Edit item: name, value and comment, a
// password generator for the value, and a multi-line comment for comment lines.
class TFrmItem : public TKvGradientDialog
{
    Q_OBJECT

public:
    explicit TFrmItem(QWidget *owner);

    void SetName(const QString &name);
    void SetValue(const QString &value);
    void SetComment(const QString &comment);
    QString Name() const;
    QString Value() const;
    QString Comment() const;

    QLabel *Label1 = nullptr;
    QLineEdit *EdName = nullptr;
    QLabel *Label3 = nullptr;
    QPushButton *ButPassword = nullptr;
    TKvMemo *MemoValue = nullptr;
    QLabel *Label2 = nullptr;
    TKvMemo *MemoComment = nullptr;
    QCheckBox *CbxMultiLineComment = nullptr;
    QLabel *LbHint = nullptr; // why Apply is disabled, when a text would not read back
    QPushButton *ButApply = nullptr;
    QPushButton *ButCancel = nullptr;

    void MemoValueChange();
    void CbxMultiLineCommentClick();
    void ButPasswordClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void CheckFields();
};

// Opens the password generator owned by owner; true with its result when it
// closed with Apply.
bool RunPasswordGenerator(QWidget *owner, QString &result);
