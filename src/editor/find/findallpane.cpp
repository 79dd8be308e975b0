#include "findallpane.h"

#include "dialogrun.h"
#include "document/kvselection.h"
#include "findallmodel.h"
#include "formsearch.h"
#include "kvfunctions.h"
#include "kvmemini.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTextLayout>
#include <QVBoxLayout>

namespace {

// Paints a text cell with its matches marked: bold on a yellow ground, so
// that they stand out in a selected row too.
class TMatchDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QList<int> marks = index.data(TKvFindAllModel::MatchesRole).value<QList<int>>();
        if (marks.isEmpty()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        const QWidget *widget = opt.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        // Ground, selection and focus frame as any cell has them.
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const QRect textRect =
            style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget).adjusted(margin, 0, -margin, 0);

        QList<QTextLayout::FormatRange> formats;
        for (qsizetype i = 0; i + 1 < marks.size(); i += 2) {
            QTextLayout::FormatRange range;
            range.start = marks[i];
            range.length = marks[i + 1];
            range.format.setBackground(QColor(0xFF, 0xE0, 0x40));
            range.format.setForeground(QColor(Qt::black));
            range.format.setFontWeight(QFont::Bold);
            formats << range;
        }
        QTextLayout layout(text, opt.font);
        QTextOption textOption;
        textOption.setWrapMode(QTextOption::NoWrap);
        layout.setTextOption(textOption);
        layout.setFormats(formats);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setNumColumns(int(text.size()));
        layout.endLayout();

        painter->save();
        painter->setClipRect(textRect);
        const bool selected = opt.state & QStyle::State_Selected;
        painter->setPen(opt.palette.color(QPalette::Normal, selected ? QPalette::HighlightedText : QPalette::Text));
        layout.draw(painter, QPointF(textRect.left(), textRect.top() + (textRect.height() - line.height()) / 2));
        painter->restore();
    }
};

} // namespace

TFindAllPane::TFindAllPane(const TKvDocument &document, QWidget *parent)
    : QWidget(parent)
    , m_model(new TKvFindAllModel(document, this))
{
    setObjectName(QStringLiteral("FindAllPane"));
    LbSummary = new QLabel(this);
    LbSummary->setObjectName(QStringLiteral("LbSummary"));
    ButClose = new QPushButton(QStringLiteral("Close"), this);
    ButClose->setObjectName(QStringLiteral("ButClose"));
    ButClose->setAccessibleName(QStringLiteral("Close the results"));

    LvResults = new QTableView(this);
    LvResults->setObjectName(QStringLiteral("LvResults"));
    LvResults->setAccessibleName(QStringLiteral("Find All results"));
    LvResults->setModel(m_model);
    LvResults->setSelectionBehavior(QAbstractItemView::SelectRows);
    LvResults->setSelectionMode(QAbstractItemView::SingleSelection);
    LvResults->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LvResults->setTabKeyNavigation(false);
    LvResults->setShowGrid(false);
    LvResults->setWordWrap(false);
    LvResults->setItemDelegateForColumn(TKvFindAllModel::TextColumn, new TMatchDelegate(LvResults));
    // Rows of one height and columns of set widths: nothing is measured per
    // row, so a million results show as fast as ten.
    QHeaderView *rows = LvResults->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 6);
    QHeaderView *columns = LvResults->horizontalHeader();
    columns->setStretchLastSection(true);
    columns->setHighlightSections(false);
    const int em = fontMetrics().averageCharWidth();
    columns->resizeSection(TKvFindAllModel::SectionColumn, 16 * em);
    columns->resizeSection(TKvFindAllModel::ItemColumn, 20 * em);
    columns->resizeSection(TKvFindAllModel::FieldColumn, 19 * em);

    auto *top = new QHBoxLayout;
    top->setContentsMargins(4, 2, 4, 2);
    top->addWidget(LbSummary, 1);
    top->addWidget(ButClose);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(top);
    layout->addWidget(LvResults, 1);

    connect(LvResults->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { AskToSelect(current.row()); });
    connect(LvResults, &QAbstractItemView::activated, this,
            [this](const QModelIndex &index) { AskToSelect(index.row()); });
    connect(ButClose, &QPushButton::clicked, this, [this] {
        hide();
        emit Closed();
    });
    connect(m_model, &TKvFindAllModel::LiveCountChanged, this, &TFindAllPane::UpdateSummary);
    connect(m_model, &QAbstractItemModel::modelReset, this, &TFindAllPane::UpdateSummary);
    UpdateSummary();
}

void TFindAllPane::Run(const QString &findText, const TSearchStruct &options)
{
    m_model->Run(findText, options);
    show();
    LvResults->setFocus();
}

QString TFindAllPane::SummaryText() const
{
    const qsizetype rows = m_model->rowCount();
    if (rows == 0 && m_model->FindText().isEmpty())
        return QString();
    QString text = QStringLiteral("%1 match%2 of \"%3\"")
                       .arg(GroupThousands(QString::number(rows)), rows == 1 ? QString() : QStringLiteral("es"),
                            m_model->FindText());
    if (const qsizetype stale = rows - m_model->LiveCount(); stale > 0)
        text += QStringLiteral(", %1 no longer match%2")
                    .arg(GroupThousands(QString::number(stale)), stale == 1 ? QStringLiteral("es") : QString());
    return text;
}

void TFindAllPane::UpdateSummary()
{
    LbSummary->setText(SummaryText());
}

void TFindAllPane::AskToSelect(int row)
{
    TKvIniSection *section = m_model->SectionAt(row);
    if (section)
        emit SelectRequested(section, m_model->ValAt(row));
}

void TFindAllPane::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        hide();
        emit Closed();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SelectResult(TKvSelection &selection, TKvIniSection *section, TKvIniVal *val)
{
    TKvListSelection selected = selection.Current();
    selected.Section = section;
    selected.Val = val;
    selected.Position = val ? section->IndexOfVal(val) : -1;
    selection.Restore(selected);
}

void MakeFindAllDialog(TFormSearch &dialog)
{
    dialog.setWindowTitle(QStringLiteral("Find All"));
    dialog.ButFindFirst->setDefault(false);
    dialog.ButFindFirst->setVisible(false);
    dialog.ShowFindAll(true);
    dialog.ButFindAll->setDefault(true);
}

bool ActFindAllExecute(TFindAllPane &pane, TSearchStruct &options, bool valuesOnly, QWidget *dialogParent)
{
    TFormSearch dialog(dialogParent);
    MakeFindAllDialog(dialog);
    dialog.LoadOptions(options, valuesOnly);
    if (ExecDialog(dialog) != TFormSearch::FindAllResult)
        return false;
    dialog.StoreOptions(options, valuesOnly);
    pane.Run(dialog.FindText(), options);
    return true;
}
