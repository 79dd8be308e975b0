#include "formsearch.h"

#include "kvaccessiblecontrols.h"
#include "kvmemo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QWidget *MakePanel(QWidget *parent, const QString &name, int height)
{
    auto *panel = new QWidget(parent);
    panel->setObjectName(name);
    if (height > 0)
        panel->setFixedHeight(height);
    return panel;
}

QCheckBox *MakeCheck(QWidget *parent, const QString &name, const QString &caption)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

} // namespace

TFormSearch::TFormSearch(QWidget *placement)
    : TKvGradientDialog(placement)
    , m_placement(placement)
{
    setObjectName(QStringLiteral("FormSearch"));
    setWindowTitle(QStringLiteral("Find"));
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(Scaled(18));
    setFont(font);
    const int margin = Scaled(12);

    Panel1 = MakePanel(this, QStringLiteral("Panel1"), Scaled(47));
    auto *lookFor = new QLabel(QStringLiteral("Look For:"), Panel1);
    CmbFindStr = new QComboBox(Panel1);
    CmbFindStr->setObjectName(QStringLiteral("CmbFindStr"));
    CmbFindStr->setEditable(true);
    CmbFindStr->setInsertPolicy(QComboBox::NoInsert);
    KvLabelField(lookFor, CmbFindStr);
    auto *row1 = new QHBoxLayout(Panel1);
    row1->setContentsMargins(margin, 0, margin, 0);
    row1->addWidget(lookFor);
    row1->addWidget(CmbFindStr, 1);

    PnlWhere = MakePanel(this, QStringLiteral("PnlWhere"), Scaled(127));
    CbxSectionNames = MakeCheck(PnlWhere, QStringLiteral("CbxSectionNames"), QStringLiteral("Section Names"));
    CbxSectionComments =
        MakeCheck(PnlWhere, QStringLiteral("CbxSectionComments"), QStringLiteral("Section Comments"));
    CbxItemNames = MakeCheck(PnlWhere, QStringLiteral("CbxItemNames"), QStringLiteral("Item Names"));
    CbxItemValues = MakeCheck(PnlWhere, QStringLiteral("CbxItemValues"), QStringLiteral("Item Values"));
    CbxItemComments = MakeCheck(PnlWhere, QStringLiteral("CbxItemComments"), QStringLiteral("Item Comments"));
    auto *where = new QGridLayout(PnlWhere);
    where->setContentsMargins(margin, 0, margin, 0);
    where->addWidget(new QLabel(QStringLiteral("Where to Look:"), PnlWhere), 0, 0, 1, 3);
    where->addWidget(CbxSectionNames, 1, 0);
    where->addWidget(CbxSectionComments, 1, 1, 1, 2);
    where->addWidget(CbxItemNames, 2, 0);
    where->addWidget(CbxItemValues, 2, 1);
    where->addWidget(CbxItemComments, 2, 2);

    PnlOptions = MakePanel(this, QStringLiteral("PnlOptions"), 0);
    CbxWholeWords = MakeCheck(PnlOptions, QStringLiteral("CbxWholeWords"), QStringLiteral("Whole Words"));
    CbxCaseSensitive =
        MakeCheck(PnlOptions, QStringLiteral("CbxCaseSensitive"), QStringLiteral("Case Sensitive"));
    auto *options = new QGridLayout(PnlOptions);
    options->setContentsMargins(margin, 0, margin, 0);
    options->addWidget(new QLabel(QStringLiteral("Options:"), PnlOptions), 0, 0, 1, 3);
    options->addWidget(CbxWholeWords, 1, 0);
    options->addWidget(CbxCaseSensitive, 1, 1);

    PnlBottom = MakePanel(this, QStringLiteral("PnlBottom"), Scaled(64));
    ButFindFirst = new QPushButton(QStringLiteral("Find First"), PnlBottom);
    ButFindFirst->setObjectName(QStringLiteral("ButFindFirst"));
    ButFindFirst->setDefault(true);
    ButCancel = new QPushButton(QStringLiteral("Cancel"), PnlBottom);
    ButCancel->setObjectName(QStringLiteral("ButCancel"));
    ButCancel->setAutoDefault(false);
    auto *bottom = new QHBoxLayout(PnlBottom);
    bottom->setContentsMargins(margin, 0, margin, 0);
    bottom->addWidget(ButFindFirst);
    bottom->addStretch(1);
    bottom->addWidget(ButCancel);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(PnlWhere);
    layout->addWidget(PnlOptions, 1);
    layout->addWidget(PnlBottom);
    SetDesignedClientSize(570, 314);

    connect(ButFindFirst, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButCancel, &QPushButton::clicked, this, &QDialog::reject);
    CmbFindStr->setFocus();
}

QString TFormSearch::FindText() const
{
    return CmbFindStr->currentText();
}

void TFormSearch::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_placement) {
        const QRect main = m_placement->window()->frameGeometry();
        const QRect own = frameGeometry();
        move(main.left() + (main.width() - own.width()) / 2, main.top() + (main.height() - own.height()) / 2);
    }
    CmbFindStr->setFocus();
    if (CmbFindStr->lineEdit())
        CmbFindStr->lineEdit()->selectAll();
}
