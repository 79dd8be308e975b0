#pragma once

#include "formsearch.h"

// The Replace dialog: the Find dialog's panels (find text, where to look,
// options) with the replacement text below the find text. Its buttons act
// while it stays open: Find Next (the default button: Enter presses it),
// Replace and Replace All ask the commands through the signals below; Close
// (and Escape) ends it.
class TFormReplace : public TFormSearch
{
    Q_OBJECT

public:
    explicit TFormReplace(QWidget *placement);

    QWidget *PnlReplace = nullptr;
    QComboBox *CmbReplaceStr = nullptr;
    QPushButton *ButFindNext = nullptr;
    QPushButton *ButReplace = nullptr;
    QPushButton *ButReplaceAll = nullptr;
    QPushButton *ButClose = nullptr;

    // The text of the replacement field.
    QString ReplaceText() const;
    // Fills the replacement field's drop-down list, most recent first, and
    // shows the first.
    void SetReplaceHistory(const QStringList &history);

signals:
    void FindNextClicked();
    void ReplaceClicked();
    void ReplaceAllClicked();
};
