#include "entrydialogbase.h"

#include "kvaccessiblecontrols.h"
#include "kvmemo.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TKvEntryDialogBase::TKvEntryDialogBase(QWidget *owner, const QString &objectName, const QString &title)
    : TKvGradientDialog(owner, TitleAndMenuFlags)
{
    setObjectName(objectName);
    setWindowTitle(title);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(Scaled(18));
    setFont(font);
}

QString TKvEntryDialogBase::Name() const
{
    return EdName->text();
}

QString TKvEntryDialogBase::Comment() const
{
    return MemoComment->Text();
}

void TKvEntryDialogBase::AddNameField(const QString &caption)
{
    Label1 = new QLabel(caption, this);
    EdName = new QLineEdit(this);
    EdName->setObjectName(QStringLiteral("EdName"));
    KvLabelField(Label1, EdName);
}

void TKvEntryDialogBase::AddCommentField(const QString &caption, int designedHeight)
{
    Label2 = new QLabel(caption, this);
    MemoComment = new TKvMemo(this);
    MemoComment->setObjectName(QStringLiteral("MemoComment"));
    MemoComment->setFixedHeight(Scaled(designedHeight));
    KvLabelField(Label2, MemoComment);
}

void TKvEntryDialogBase::AddHintAndButtons()
{
    LbHint = new QLabel(this);
    LbHint->setObjectName(QStringLiteral("LbHint"));
    LbHint->setStyleSheet(QStringLiteral("color: #A00000;"));
    LbHint->setWordWrap(true);
    LbHint->hide();
    ButApply = new QPushButton(QStringLiteral("Apply"), this);
    ButApply->setObjectName(QStringLiteral("ButApply"));
    ButApply->setDefault(true);
    ButCancel = new QPushButton(QStringLiteral("Cancel"), this);
    ButCancel->setObjectName(QStringLiteral("ButCancel"));
    connect(ButApply, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QVBoxLayout *TKvEntryDialogBase::BeginLayout()
{
    auto *layout = new QVBoxLayout(this);
    const int margin = Scaled(18);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->addWidget(Label1);
    layout->addWidget(EdName);
    layout->addSpacing(Scaled(8));
    return layout;
}

void TKvEntryDialogBase::EndLayout(QVBoxLayout *layout, QWidget *underComment, int designedMinimumWidth)
{
    layout->addWidget(Label2);
    layout->addWidget(MemoComment);
    if (underComment)
        layout->addWidget(underComment);
    layout->addWidget(LbHint);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(ButApply);
    buttons->addStretch(1);
    buttons->addWidget(ButCancel);
    layout->addSpacing(Scaled(8));
    layout->addLayout(buttons);
    setMinimumWidth(Scaled(designedMinimumWidth));
}

void TKvEntryDialogBase::ShowProblem(const QString &problem)
{
    LbHint->setText(problem);
    LbHint->setVisible(!problem.isEmpty());
}
