#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QTableView;
class TFormSearch;
class TKvDocument;
class TKvFindAllModel;
class TKvIniSection;
class TKvIniVal;
class TKvSelection;
struct TSearchStruct;

// The results of Find All below the lists: a line that says what was found,
// a Close button and the list of results (section, item, field, and the text
// with each match marked). Making a result current (a click, the arrow keys)
// or activating it (Enter, a double click) asks for its section and entry to
// be selected; a greyed result that was removed asks for nothing.
class TFindAllPane : public QWidget
{
    Q_OBJECT

public:
    explicit TFindAllPane(const TKvDocument &document, QWidget *parent = nullptr);

    // Lists the matches of the find text with the options' choices, shows the
    // pane and puts the focus on the results.
    void Run(const QString &findText, const TSearchStruct &options);

    TKvFindAllModel *Model() const { return m_model; }
    QTableView *LvResults = nullptr;
    QLabel *LbSummary = nullptr;
    QPushButton *ButClose = nullptr;

    // "12 matches of "memory"", with how many no longer match.
    QString SummaryText() const;

signals:
    // Select this section and, unless null, this entry of it.
    void SelectRequested(TKvIniSection *section, TKvIniVal *val);
    // The pane was closed (Close, or Escape in the results).
    void Closed();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void AskToSelect(int row);
    void UpdateSummary();
    TKvFindAllModel *m_model;
};

// Selects a result in the lists: the section's row and, unless val is null,
// the entry's row; the lists' sort arrows stay as they are.
void SelectResult(TKvSelection &selection, TKvIniSection *section, TKvIniVal *val);

// Find All (Ctrl+Shift+F): the Find dialog with Find All as its default
// button; on Find All the choices are stored and the pane lists the matches.
// Returns whether the pane was filled.
bool ActFindAllExecute(TFindAllPane &pane, TSearchStruct &options, bool valuesOnly, QWidget *dialogParent);
// Shows the Find dialog's Find All button and makes it the default.
void MakeFindAllDialog(TFormSearch &dialog);
