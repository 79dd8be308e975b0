#include "mergeconflictsdialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString None = QStringLiteral("(none)");

QString Occurrence(qint32 occurrence)
{
    return occurrence > 0 ? QStringLiteral(" (occurrence %1)").arg(occurrence) : QString();
}

QString ItemVersion(const TKvIniVal *val, const TKvCompareOptions &options)
{
    if (!val)
        return None;
    QString text = val->Value();
    if (options.WithComments && !val->CommentView().isEmpty())
        text += QStringLiteral(" ;") + val->Comment();
    return text;
}

QString CommentVersion(const TKvIniSection *section)
{
    if (!section)
        return None;
    return section->Comment.isEmpty() ? QStringLiteral("(no comment)") : u';' + section->Comment;
}

} // namespace

std::vector<TMergeConflictRow> MergeConflictRows(const TKvMergePlan &plan, const TKvCompareOptions &options)
{
    std::vector<TMergeConflictRow> rows;
    for (const TKvMergeStep &step : plan.Steps) {
        if (!step.IsConflict())
            continue;
        const TKvDifference &d = step.Change;
        TMergeConflictRow row;
        const QStringView name = d.SectionName();
        row.Section = (name.isEmpty() ? QStringLiteral("(before the first section)") : name.toString())
                      + Occurrence(d.SectionOccurrence);
        if (d.Change == TKvChange::SectionChanged) {
            row.Key = QStringLiteral("(section comment)");
            row.Base = CommentVersion(step.SectionBase);
            row.Mine = CommentVersion(d.SectionA);
            row.Theirs = CommentVersion(d.SectionB);
        } else if (d.IsSectionChange()) {
            // One side removed the section, the other changed something in it.
            const bool mineRemoved = step.Conflict == TKvConflict::RemovedByMine;
            row.Key = QStringLiteral("(whole section)");
            row.Base = QStringLiteral("(present)");
            row.Mine = mineRemoved ? QStringLiteral("(removed)") : QStringLiteral("(changed)");
            row.Theirs = mineRemoved ? QStringLiteral("(changed)") : QStringLiteral("(removed)");
        } else {
            row.Key = d.KeyName().toString() + Occurrence(d.KeyOccurrence);
            row.Base = ItemVersion(step.ValBase, options);
            row.Mine = ItemVersion(d.ValA, options);
            row.Theirs = ItemVersion(d.ValB, options);
        }
        rows.push_back(row);
    }
    return rows;
}

TMergeConflictsDialog::TMergeConflictsDialog(QWidget *owner, const TKvMergePlan &plan,
                                             const TKvCompareOptions &options)
    : TKvGradientDialog(owner)
{
    setObjectName(QStringLiteral("MergeConflictsDialog"));
    setWindowTitle(QStringLiteral("Merge Conflicts"));

    LbIntro = new QLabel(
        QStringLiteral(
            "The file was changed on disk while you changed it too. The changes that do not meet are "
            "merged. For each place below both sides changed, choose the version to keep: yours "
            "(mine) unless you choose theirs."),
        this);
    LbIntro->setObjectName(QStringLiteral("LbIntro"));
    LbIntro->setWordWrap(true);

    LbConflicts =
        new QLabel(QStringLiteral("&Conflicts (Space switches, M keeps mine, T takes theirs):"), this);
    LbConflicts->setObjectName(QStringLiteral("LbConflicts"));
    LvConflicts = new QTreeWidget(this);
    LvConflicts->setObjectName(QStringLiteral("LvConflicts"));
    LvConflicts->setAccessibleName(QStringLiteral("Conflicts"));
    LvConflicts->setColumnCount(ColumnCount);
    LvConflicts->setHeaderLabels({QStringLiteral("Section"), QStringLiteral("Key"), QStringLiteral("Base"),
                                  QStringLiteral("Mine"), QStringLiteral("Theirs"), QStringLiteral("Keep")});
    LvConflicts->setRootIsDecorated(false);
    LvConflicts->setUniformRowHeights(true);
    LvConflicts->setAllColumnsShowFocus(true);
    LvConflicts->setSelectionMode(QAbstractItemView::ExtendedSelection);
    LbConflicts->setBuddy(LvConflicts);

    const std::vector<TMergeConflictRow> rows = MergeConflictRows(plan, options);
    m_takeTheirs.assign(rows.size(), false);
    for (size_t i = 0; i < rows.size(); ++i) {
        const TMergeConflictRow &conflict = rows[i];
        auto *row = new QTreeWidgetItem(LvConflicts, {conflict.Section, conflict.Key, conflict.Base,
                                                      conflict.Mine, conflict.Theirs, QString()});
        row->setData(0, Qt::UserRole, qulonglong(i));
        for (int column = 0; column < ColKeep; ++column)
            row->setToolTip(column, row->text(column));
        SetRowTakesTheirs(row, false);
    }
    for (int column = 0; column < ColumnCount; ++column) {
        LvConflicts->resizeColumnToContents(column);
        LvConflicts->setColumnWidth(column, qMin(LvConflicts->columnWidth(column) + Scaled(24), Scaled(300)));
    }
    if (LvConflicts->topLevelItemCount() > 0) {
        LvConflicts->setCurrentItem(LvConflicts->topLevelItem(0));
        LvConflicts->topLevelItem(0)->setSelected(true);
    }
    LvConflicts->installEventFilter(this);

    ButMine = new QPushButton(QStringLiteral("Keep &Mine"), this);
    ButMine->setObjectName(QStringLiteral("ButMine"));
    ButMine->setToolTip(QStringLiteral("Keep your version at the selected conflicts"));
    ButTheirs = new QPushButton(QStringLiteral("Take &Theirs"), this);
    ButTheirs->setObjectName(QStringLiteral("ButTheirs"));
    ButTheirs->setToolTip(QStringLiteral("Take the version on disk at the selected conflicts"));
    ButMerge = new QPushButton(QStringLiteral("Merge"), this);
    ButMerge->setObjectName(QStringLiteral("ButMerge"));
    ButMerge->setDefault(true);
    ButCancel = new QPushButton(QStringLiteral("Cancel"), this);
    ButCancel->setObjectName(QStringLiteral("ButCancel"));
    // The list keeps the keyboard: Return reaches Merge through it.
    for (QPushButton *button : {ButMine, ButTheirs})
        button->setAutoDefault(false);

    auto *layout = new QVBoxLayout(this);
    const int margin = Scaled(18);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->addWidget(LbIntro);
    layout->addSpacing(Scaled(8));
    layout->addWidget(LbConflicts);
    layout->addWidget(LvConflicts, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(ButMine);
    buttons->addWidget(ButTheirs);
    buttons->addStretch(1);
    buttons->addWidget(ButMerge);
    buttons->addWidget(ButCancel);
    layout->addSpacing(Scaled(8));
    layout->addLayout(buttons);
    setTabOrder(LvConflicts, ButMine);
    setTabOrder(ButMine, ButTheirs);
    setTabOrder(ButTheirs, ButMerge);
    setTabOrder(ButMerge, ButCancel);
    LvConflicts->setFocus();

    // Wide enough for every column, up to a limit past which the list scrolls.
    int width =
        2 * margin + 2 * LvConflicts->frameWidth() + LvConflicts->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < ColumnCount; ++column)
        width += LvConflicts->columnWidth(column);
    SetClientSize(QSize(qBound(Scaled(900), width, Scaled(1500)), Scaled(560)));

    connect(ButMine, &QPushButton::clicked, this, [this] { SetSelectedTakeTheirs(false); });
    connect(ButTheirs, &QPushButton::clicked, this, [this] { SetSelectedTakeTheirs(true); });
    connect(ButMerge, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(LvConflicts, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *row, int column) {
        // A double click on a version takes it; elsewhere it switches.
        const size_t conflict = row->data(0, Qt::UserRole).toULongLong();
        SetRowTakesTheirs(row, column == ColTheirs || (column != ColMine && !m_takeTheirs[conflict]));
    });
}

std::vector<bool> TMergeConflictsDialog::TakeTheirs() const
{
    return m_takeTheirs;
}

void TMergeConflictsDialog::SetTakeTheirs(qsizetype conflict, bool theirs)
{
    if (conflict >= 0 && conflict < LvConflicts->topLevelItemCount())
        SetRowTakesTheirs(LvConflicts->topLevelItem(int(conflict)), theirs);
}

void TMergeConflictsDialog::ApplyChoices(TKvMergePlan &plan) const
{
    size_t conflict = 0;
    for (TKvMergeStep &step : plan.Steps) {
        if (step.IsConflict() && conflict < m_takeTheirs.size())
            step.TakeTheirs = m_takeTheirs[conflict++];
    }
}

void TMergeConflictsDialog::SetRowTakesTheirs(QTreeWidgetItem *row, bool theirs)
{
    m_takeTheirs[row->data(0, Qt::UserRole).toULongLong()] = theirs;
    row->setText(ColKeep, theirs ? QStringLiteral("Theirs") : QStringLiteral("Mine"));
    // The version kept stands out.
    QFont kept = LvConflicts->font();
    kept.setBold(true);
    row->setFont(ColMine, theirs ? LvConflicts->font() : kept);
    row->setFont(ColTheirs, theirs ? kept : LvConflicts->font());
    row->setFont(ColKeep, kept);
}

void TMergeConflictsDialog::SetSelectedTakeTheirs(bool theirs)
{
    const QList<QTreeWidgetItem *> selected = LvConflicts->selectedItems();
    for (QTreeWidgetItem *row : selected)
        SetRowTakesTheirs(row, theirs);
    if (selected.isEmpty() && LvConflicts->currentItem())
        SetRowTakesTheirs(LvConflicts->currentItem(), theirs);
}

bool TMergeConflictsDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == LvConflicts && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() & ~Qt::KeypadModifier)
            return TKvGradientDialog::eventFilter(watched, event);
        switch (key->key()) {
        case Qt::Key_Space:
            if (QTreeWidgetItem *row = LvConflicts->currentItem())
                SetRowTakesTheirs(row, !m_takeTheirs[row->data(0, Qt::UserRole).toULongLong()]);
            return true;
        case Qt::Key_M:
            SetSelectedTakeTheirs(false);
            return true;
        case Qt::Key_T:
            SetSelectedTakeTheirs(true);
            return true;
        default:
            break;
        }
    }
    return TKvGradientDialog::eventFilter(watched, event);
}
