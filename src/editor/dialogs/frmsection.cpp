#include "frmsection.h"

#include "fieldcheck.h"
#include "kvaccessiblecontrols.h"
#include "kvmemo.h"

#include <QCollator>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

bool SameIgnoringCase(const QString &a, const QString &b)
{
    QCollator collator; // the user's locale
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator.compare(a, b) == 0;
}

TFrmSection::TFrmSection(QWidget *owner)
    : TKvGradientDialog(owner, TitleAndMenuFlags)
{
    setObjectName(QStringLiteral("FrmSection"));
    setWindowTitle(QStringLiteral("Add Section"));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(Scaled(18));
    setFont(font);

    Label1 = new QLabel(QStringLiteral("Section Title:"), this);
    EdName = new QLineEdit(this);
    EdName->setObjectName(QStringLiteral("EdName"));
    Label2 = new QLabel(QStringLiteral("Section Comment:"), this);
    MemoComment = new TKvMemo(this);
    MemoComment->setObjectName(QStringLiteral("MemoComment"));
    MemoComment->setFixedHeight(Scaled(90));
    LbHint = new QLabel(this);
    LbHint->setObjectName(QStringLiteral("LbHint"));
    LbHint->setStyleSheet(QStringLiteral("color: #A00000;"));
    LbHint->setWordWrap(true);
    LbHint->hide();
    ButApply = new QPushButton(QStringLiteral("Apply"), this);
    ButApply->setObjectName(QStringLiteral("ButApply"));
    ButApply->setDefault(true);
    ButApply->setEnabled(false);
    ButCancel = new QPushButton(QStringLiteral("Cancel"), this);
    ButCancel->setObjectName(QStringLiteral("ButCancel"));

    auto *layout = new QVBoxLayout(this);
    const int margin = Scaled(18);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->addWidget(Label1);
    layout->addWidget(EdName);
    layout->addSpacing(Scaled(8));
    layout->addWidget(Label2);
    layout->addWidget(MemoComment);
    layout->addWidget(LbHint);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(ButApply);
    buttons->addStretch(1);
    buttons->addWidget(ButCancel);
    layout->addSpacing(Scaled(8));
    layout->addLayout(buttons);
    setMinimumWidth(Scaled(700));
    KvLabelField(Label1, EdName);
    KvLabelField(Label2, MemoComment);

    connect(EdName, &QLineEdit::textChanged, this, &TFrmSection::EdNameChange);
    connect(MemoComment, &QPlainTextEdit::textChanged, this, &TFrmSection::EdNameChange);
    connect(ButApply, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButCancel, &QPushButton::clicked, this, &QDialog::reject);
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

QString TFrmSection::Name() const
{
    return EdName->text();
}

QString TFrmSection::Comment() const
{
    return MemoComment->Text();
}

void TFrmSection::EdNameChange()
{
    const QString name = Name();
    const QString comment = Comment();
    // An empty name needs no hint: Apply waits for a name anyway.
    QString problem = name.isEmpty() ? QString() : DialogFieldProblem(TKvDialogField::SectionName, name);
    if (problem.isEmpty())
        problem = DialogFieldProblem(TKvDialogField::SectionComment, comment);
    LbHint->setText(problem);
    LbHint->setVisible(!problem.isEmpty());
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
