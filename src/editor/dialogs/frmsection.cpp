#include "frmsection.h"

#include "fieldcheck.h"
#include "kvmemo.h"

#include <QCollator>
#include <QLineEdit>
#include <QPushButton>

bool SameIgnoringCase(const QString &a, const QString &b)
{
    QCollator collator; // the user's locale
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator.compare(a, b) == 0;
}

TFrmSection::TFrmSection(QWidget *owner)
    : TKvEntryDialogBase(owner, QStringLiteral("FrmSection"), QStringLiteral("Add Section"))
{
    AddNameField(QStringLiteral("Section Title:"));
    AddCommentField(QStringLiteral("Section Comment:"), 90);
    AddHintAndButtons();
    ButApply->setEnabled(false);
    EndLayout(BeginLayout(), nullptr, 700);

    connect(EdName, &QLineEdit::textChanged, this, &TFrmSection::EdNameChange);
    connect(MemoComment, &QPlainTextEdit::textChanged, this, &TFrmSection::EdNameChange);
}

void TFrmSection::SetName(const QString &name)
{
    OrgName = name;
    EdName->setText(name);
}

void TFrmSection::SetComment(const QString &comment)
{
    OrgComment = comment;
    MemoComment->SetText(comment);
}

void TFrmSection::EdNameChange()
{
    const QString name = Name();
    const QString comment = Comment();
    // An empty name needs no hint: Apply waits for a name anyway.
    QString problem = name.isEmpty() ? QString() : DialogFieldProblem(TKvDialogField::SectionName, name);
    if (problem.isEmpty())
        problem = DialogFieldProblem(TKvDialogField::SectionComment, comment);
    ShowProblem(problem);
    const bool unchanged = SameIgnoringCase(name, OrgName) && SameIgnoringCase(comment, OrgComment);
    ButApply->setEnabled(!name.isEmpty() && !unchanged && problem.isEmpty());
}

void TFrmSection::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Left edge on the main window's left edge, centred vertically on it.
    if (const QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr) {
        const QRect main = owner->frameGeometry();
        move(main.left(), main.top() + (main.height() - frameGeometry().height()) / 2);
    }
}
