#pragma once

#include "kvgradientdialog.h"
#include "kvmerge.h"

#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// One conflict of a merge as the dialog lists it: where it is and what
// each version holds.
struct TMergeConflictRow
{
    QString Section;
    QString Key;
    QString Base;
    QString Mine;
    QString Theirs;
};

// The rows for the conflicts of a plan, in plan order. An item's version is
// its value (with its comment when comments are compared), "(none)" where
// that version lacks it; a conflict over a whole section shows "(whole
// section)" as its key and which version changed or removed it.
std::vector<TMergeConflictRow> MergeConflictRows(const TKvMergePlan &plan, const TKvCompareOptions &options);

// The conflicts of a merge, one row each, where the person picks the version
// to keep: the own one ("mine", the unsaved document) unless "theirs" (the
// file as the other program left it) is chosen. Space switches the current
// row; M and T, or the two buttons, set the selected rows; Merge accepts.
class TMergeConflictsDialog : public TKvGradientDialog
{
    Q_OBJECT

public:
    TMergeConflictsDialog(QWidget *owner, const TKvMergePlan &plan, const TKvCompareOptions &options = {});

    // Per conflict, in plan order: whether THEIRS wins it.
    std::vector<bool> TakeTheirs() const;
    void SetTakeTheirs(qsizetype conflict, bool theirs);
    // Writes the choices into the plan's conflicts (TKvMergeStep::TakeTheirs).
    void ApplyChoices(TKvMergePlan &plan) const;

    QLabel *LbIntro = nullptr;
    QLabel *LbConflicts = nullptr;
    QTreeWidget *LvConflicts = nullptr;
    QPushButton *ButMine = nullptr;
    QPushButton *ButTheirs = nullptr;
    QPushButton *ButMerge = nullptr;
    QPushButton *ButCancel = nullptr;

    enum Column { ColSection, ColKey, ColBase, ColMine, ColTheirs, ColKeep, ColumnCount };

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void SetRowTakesTheirs(QTreeWidgetItem *row, bool theirs);
    void SetSelectedTakeTheirs(bool theirs);

    std::vector<bool> m_takeTheirs;
};
