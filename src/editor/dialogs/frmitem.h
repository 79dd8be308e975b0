#pragma once

#include "entrydialogbase.h"

class QCheckBox;

// The item dialog of Add, Insert and Edit item: name, value and comment, a
// password generator for the value, and a multi-line comment for comment lines.
class TFrmItem : public TKvEntryDialogBase
{
    Q_OBJECT

public:
    explicit TFrmItem(QWidget *owner);

    void SetName(const QString &name);
    void SetValue(const QString &value);
    void SetComment(const QString &comment);
    QString Value() const;

    QLabel *Label3 = nullptr;
    QPushButton *ButPassword = nullptr;
    TKvMemo *MemoValue = nullptr;
    QCheckBox *CbxMultiLineComment = nullptr;

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
