#include "formreplace.h"

#include <QCheckBox>

#include "kvaccessiblecontrols.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {

QPushButton *MakeButton(QWidget *parent, const QString &name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

TFormReplace::TFormReplace(QWidget *placement)
    : TFormSearch(placement, WithoutButtons{})
{
    setObjectName(QStringLiteral("FormReplace"));
    setWindowTitle(QStringLiteral("Replace"));
    const int margin = Scaled(12);

    // Below the find text, as tall as its row; the two labels line up.
    PnlReplace = new QWidget(this);
    PnlReplace->setObjectName(QStringLiteral("PnlReplace"));
    PnlReplace->setFixedHeight(Scaled(47));
    auto *replaceWith = new QLabel(QStringLiteral("Replace With:"), PnlReplace);
    CmbReplaceStr = new QComboBox(PnlReplace);
    CmbReplaceStr->setObjectName(QStringLiteral("CmbReplaceStr"));
    CmbReplaceStr->setEditable(true);
    CmbReplaceStr->setInsertPolicy(QComboBox::NoInsert);
    KvLabelField(replaceWith, CmbReplaceStr);
    auto *row = new QHBoxLayout(PnlReplace);
    row->setContentsMargins(margin, 0, margin, 0);
    row->addWidget(replaceWith);
    row->addWidget(CmbReplaceStr, 1);
    PanelLayout()->insertWidget(1, PnlReplace);
    // Both fields start at the same place whatever the labels' widths.
    const int labelWidth = qMax(replaceWith->sizeHint().width(), LbLookFor->sizeHint().width());
    replaceWith->setFixedWidth(labelWidth);
    LbLookFor->setFixedWidth(labelWidth);

    ButFindNext = MakeButton(PnlBottom, QStringLiteral("ButFindNext"), QStringLiteral("Find Next"));
    ButFindNext->setDefault(true);
    ButReplace = MakeButton(PnlBottom, QStringLiteral("ButReplace"), QStringLiteral("Replace"));
    ButReplaceAll = MakeButton(PnlBottom, QStringLiteral("ButReplaceAll"), QStringLiteral("Replace All"));
    ButClose = MakeButton(PnlBottom, QStringLiteral("ButClose"), QStringLiteral("Close"));
    QBoxLayout *bottom = BottomLayout();
    bottom->addWidget(ButFindNext);
    bottom->addWidget(ButReplace);
    bottom->addWidget(ButReplaceAll);
    bottom->addStretch(1);
    bottom->addWidget(ButClose);
    SetDesignedClientSize(640, 361);

    connect(ButFindNext, &QPushButton::clicked, this, &TFormReplace::FindNextClicked);
    connect(ButReplace, &QPushButton::clicked, this, &TFormReplace::ReplaceClicked);
    connect(ButReplaceAll, &QPushButton::clicked, this, &TFormReplace::ReplaceAllClicked);
    connect(ButClose, &QPushButton::clicked, this, &QDialog::reject);
    // Tab goes from the text to find to its replacement, then to the places to look.
    QWidget::setTabOrder(CmbFindStr, CmbReplaceStr);
    QWidget::setTabOrder(CmbReplaceStr, CbxSectionNames);
    CmbFindStr->setFocus();
}

QString TFormReplace::ReplaceText() const
{
    return CmbReplaceStr->currentText();
}

void TFormReplace::SetReplaceHistory(const QStringList &history)
{
    CmbReplaceStr->clear();
    CmbReplaceStr->addItems(history);
    if (!history.isEmpty())
        CmbReplaceStr->setCurrentIndex(0);
    else
        CmbReplaceStr->setEditText(QString());
}
