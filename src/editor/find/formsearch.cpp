#include "formsearch.h"

#include "kvaccessiblecontrols.h"
#include "kvmemo.h"
#include "kvsearchoptions.h"

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
    BuildPanels();
    ButFindFirst = new QPushButton(QStringLiteral("Find First"), PnlBottom);
    ButFindFirst->setObjectName(QStringLiteral("ButFindFirst"));
    ButFindFirst->setDefault(true);
    ButFindAll = new QPushButton(QStringLiteral("Find All"), PnlBottom);
    ButFindAll->setObjectName(QStringLiteral("ButFindAll"));
    ButFindAll->setAutoDefault(false);
    ButFindAll->setVisible(false);
    ButCancel = new QPushButton(QStringLiteral("Cancel"), PnlBottom);
    ButCancel->setObjectName(QStringLiteral("ButCancel"));
    ButCancel->setAutoDefault(false);
    m_bottom->addWidget(ButFindFirst);
    m_bottom->addWidget(ButFindAll);
    m_bottom->addStretch(1);
    m_bottom->addWidget(ButCancel);
    SetDesignedClientSize(570, 314);

    connect(ButFindFirst, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButFindAll, &QPushButton::clicked, this, [this] { done(FindAllResult); });
    connect(ButCancel, &QPushButton::clicked, this, &QDialog::reject);
    CmbFindStr->setFocus();
}

TFormSearch::TFormSearch(QWidget *placement, WithoutButtons)
    : TKvGradientDialog(placement)
    , m_placement(placement)
{
    BuildPanels();
}

void TFormSearch::BuildPanels()
{
    setObjectName(QStringLiteral("FormSearch"));
    setWindowTitle(QStringLiteral("Find"));
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(Scaled(18));
    setFont(font);
    const int margin = Scaled(12);

    Panel1 = MakePanel(this, QStringLiteral("Panel1"), Scaled(47));
    LbLookFor = new QLabel(QStringLiteral("Look For:"), Panel1);
    CmbFindStr = new QComboBox(Panel1);
    CmbFindStr->setObjectName(QStringLiteral("CmbFindStr"));
    CmbFindStr->setEditable(true);
    CmbFindStr->setInsertPolicy(QComboBox::NoInsert);
    KvLabelField(LbLookFor, CmbFindStr);
    auto *row1 = new QHBoxLayout(Panel1);
    row1->setContentsMargins(margin, 0, margin, 0);
    row1->addWidget(LbLookFor);
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
    m_bottom = new QHBoxLayout(PnlBottom);
    m_bottom->setContentsMargins(margin, 0, margin, 0);

    m_panels = new QVBoxLayout(this);
    m_panels->setContentsMargins(0, 0, 0, 0);
    m_panels->setSpacing(0);
    m_panels->addWidget(Panel1);
    m_panels->addWidget(PnlWhere);
    m_panels->addWidget(PnlOptions, 1);
    m_panels->addWidget(PnlBottom);
}

void TFormSearch::ShowFindAll(bool show)
{
    ButFindAll->setVisible(show);
}

void TFormSearch::LoadOptions(const TSearchStruct &options, bool valuesOnly)
{
    const bool flags[] = {options.SectionNames, options.SectionComments, options.ItemNames,
                          options.ItemValues,   options.ItemComments,    options.WholeWords,
                          options.CaseSensitive};
    const std::array<QCheckBox *, 7> boxes = Boxes();
    for (size_t i = 0; i < boxes.size(); ++i)
        boxes[i]->setChecked(flags[i]);
    QStringList history;
    HistoryToList(options, history);
    CmbFindStr->clear();
    CmbFindStr->addItems(history);
    if (!history.isEmpty())
        CmbFindStr->setCurrentIndex(0);
    else
        CmbFindStr->setEditText(QString());
    CbxSectionComments->setEnabled(!valuesOnly);
    CbxItemComments->setEnabled(!valuesOnly);
}

void TFormSearch::StoreOptions(TSearchStruct &options, bool valuesOnly) const
{
    bool *const flags[] = {&options.SectionNames, &options.SectionComments, &options.ItemNames,
                           &options.ItemValues,   &options.ItemComments,    &options.WholeWords,
                           &options.CaseSensitive};
    const std::array<QCheckBox *, 7> boxes = Boxes();
    for (size_t i = 0; i < boxes.size(); ++i)
        *flags[i] = boxes[i]->isChecked();
    if (valuesOnly) {
        // Comments are not searched in the values-only view, and stay off.
        options.SectionComments = false;
        options.ItemComments = false;
    }
    AddToHistory(options, FindText());
}

std::array<QCheckBox *, 7> TFormSearch::Boxes() const
{
    return {CbxSectionNames, CbxSectionComments, CbxItemNames,    CbxItemValues,
            CbxItemComments, CbxWholeWords,      CbxCaseSensitive};
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
