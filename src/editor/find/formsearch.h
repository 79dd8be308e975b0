#pragma once

#include "kvgradientdialog.h"

#include <array>

class QBoxLayout;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
struct TSearchStruct;

// The Find dialog: the find text with its history, where to look and how.
class TFormSearch : public TKvGradientDialog
{
    Q_OBJECT

public:
    // The result of the Find All button, besides Accepted (Find First) and
    // Rejected (Cancel).
    static constexpr int FindAllResult = 2;

    explicit TFormSearch(QWidget *placement);

    QWidget *Panel1 = nullptr;
    QLabel *LbLookFor = nullptr;
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
    // Hidden until ShowFindAll(true); ends the dialog with FindAllResult.
    QPushButton *ButFindAll = nullptr;

    // The text of the find field.
    QString FindText() const;
    void ShowFindAll(bool show);

    // Sets the seven check boxes from the options and the find field from the
    // history (its most recent text shown). The values-only view searches no
    // comments: their boxes are disabled, their marks kept.
    void LoadOptions(const TSearchStruct &options, bool valuesOnly);
    // Stores the check boxes into the options (both comment flags off in the
    // values-only view) and puts the find text at the head of the history.
    void StoreOptions(TSearchStruct &options, bool valuesOnly) const;

protected:
    // For a dialog that builds on the find panels (Replace): the panels
    // without the bottom buttons, which it adds to BottomLayout() itself.
    struct WithoutButtons
    {};
    TFormSearch(QWidget *placement, WithoutButtons);
    // The panels from top to bottom, and the row of buttons.
    QBoxLayout *PanelLayout() const { return m_panels; }
    QBoxLayout *BottomLayout() const { return m_bottom; }
    void showEvent(QShowEvent *event) override;

private:
    void BuildPanels();
    // The seven check boxes in the order of the options' first seven flags.
    std::array<QCheckBox *, 7> Boxes() const;
    QWidget *m_placement;
    QBoxLayout *m_panels = nullptr;
    QBoxLayout *m_bottom = nullptr;
};
