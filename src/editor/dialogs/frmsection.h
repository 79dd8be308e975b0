#pragma once

#include "entrydialogbase.h"

// The section dialog of Add, Insert, Copy and Edit section. It remembers the
// name and comment it was given; Apply needs a name and, for a given section,
// a change other than letter case.
class TFrmSection : public TKvEntryDialogBase
{
    Q_OBJECT

public:
    explicit TFrmSection(QWidget *owner);

    // Setting stores the text as the original, then shows it for editing.
    void SetName(const QString &name);
    void SetComment(const QString &comment);

    QString OrgName;
    QString OrgComment;

    void EdNameChange();

protected:
    void showEvent(QShowEvent *event) override;
};

// Whether two texts are equal ignoring letter case, in the user's locale.
bool SameIgnoringCase(const QString &a, const QString &b);
