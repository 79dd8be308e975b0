#pragma once

#include "kvgradientdialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

// The Find dialog: the find text with its history, where to look and how.
class TFormSearch : public TKvGradientDialog
{
    Q_OBJECT

public:
    explicit TFormSearch(QWidget *placement);

    QWidget *Panel1 = nullptr;
    QComboBox *CmbFindStr = nullptr;
    QWidget *PnlWhere = nullptr;
    QCheckBox *CbxSectionNames = nullptr;
    QCheckBox *CbxSectionComments = nullptr;
    QCheckBox *CbxItemNames = nullptr;
    QCheckBox *CbxItemValues = nullptr;
    QCheckBox *CbxItemComments = nullptr;
    QWidget *PnlOptions = nullptr;
    QCheckBox *CbxWholeWords = nullptr;
    QCheckBox *CbxCaseSensitive = nullptr;
    QWidget *PnlBottom = nullptr;
    QPushButton *ButFindFirst = nullptr;
    QPushButton *ButCancel = nullptr;

    // The text of the find field.
    QString FindText() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *m_placement;
};
