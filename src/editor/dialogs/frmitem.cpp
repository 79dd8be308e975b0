#include "frmitem.h"

#include "dialogrun.h"
#include "dialogs/passwordfrm.h"
#include "fieldcheck.h"
#include "kvaccessiblecontrols.h"
#include "kvmemo.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFrmItem::TFrmItem(QWidget *owner)
    : TKvEntryDialogBase(owner, QStringLiteral("FrmItem"), QStringLiteral("Add Value Item"))
{
    AddNameField(QStringLiteral("Item Name:"));
    Label3 = new QLabel(QStringLiteral("Item Value"), this);
    ButPassword = new QPushButton(QStringLiteral("Generate a Password"), this);
    ButPassword->setObjectName(QStringLiteral("ButPassword"));
    ButPassword->setAutoDefault(false);
    MemoValue = new TKvMemo(this);
    MemoValue->setObjectName(QStringLiteral("MemoValue"));
    MemoValue->setFixedHeight(Scaled(90));
    KvLabelField(Label3, MemoValue);
    AddCommentField(QStringLiteral("Item Comment:"), 120);
    MemoComment->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    CbxMultiLineComment = new QCheckBox(QStringLiteral("MultiLine Comment"), this);
    CbxMultiLineComment->setObjectName(QStringLiteral("CbxMultiLineComment"));
    AddHintAndButtons();
    ButCancel->setAutoDefault(false);

    QVBoxLayout *layout = BeginLayout();
    auto *valueRow = new QHBoxLayout;
    valueRow->addWidget(Label3);
    valueRow->addStretch(1);
    valueRow->addWidget(ButPassword);
    layout->addLayout(valueRow);
    layout->addWidget(MemoValue);
    layout->addSpacing(Scaled(8));
    EndLayout(layout, CbxMultiLineComment, 800);
    // Tab goes name, value, comment, then the rest.
    setTabOrder(EdName, MemoValue);
    setTabOrder(MemoValue, MemoComment);
    setTabOrder(MemoComment, CbxMultiLineComment);
    setTabOrder(CbxMultiLineComment, ButApply);
    setTabOrder(ButApply, ButCancel);
    setTabOrder(ButCancel, ButPassword);
    // The value is where typing starts.
    MemoValue->setFocus();

    connect(EdName, &QLineEdit::textChanged, this, &TFrmItem::MemoValueChange);
    connect(MemoValue, &QPlainTextEdit::textChanged, this, &TFrmItem::MemoValueChange);
    connect(MemoComment, &QPlainTextEdit::textChanged, this, &TFrmItem::CheckFields);
    connect(CbxMultiLineComment, &QCheckBox::clicked, this, &TFrmItem::CbxMultiLineCommentClick);
    connect(ButPassword, &QPushButton::clicked, this, &TFrmItem::ButPasswordClick);
    MemoValueChange();
}

void TFrmItem::SetName(const QString &name)
{
    EdName->setText(name);
}

void TFrmItem::SetValue(const QString &value)
{
    MemoValue->SetText(value);
}

void TFrmItem::SetComment(const QString &comment)
{
    MemoComment->SetText(comment);
}

QString TFrmItem::Value() const
{
    return MemoValue->Text();
}

void TFrmItem::MemoValueChange()
{
    // Only a comment line (no name, no value) can have several lines.
    CbxMultiLineComment->setEnabled(EdName->text().isEmpty() && MemoValue->Text().isEmpty());
    CbxMultiLineCommentClick();
    CheckFields();
}

void TFrmItem::CbxMultiLineCommentClick()
{
    const bool multiLine = CbxMultiLineComment->isChecked() && CbxMultiLineComment->isEnabled();
    MemoComment->SetWantReturns(multiLine);
    MemoComment->setVerticalScrollBarPolicy(multiLine ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void TFrmItem::CheckFields()
{
    QString problem = DialogFieldProblem(TKvDialogField::ItemName, Name());
    if (problem.isEmpty())
        problem = DialogFieldProblem(TKvDialogField::ItemValue, Value());
    const bool multiLine = CbxMultiLineComment->isVisibleTo(this) && CbxMultiLineComment->isEnabled()
                           && CbxMultiLineComment->isChecked();
    if (problem.isEmpty()) {
        // Each line of a multi-line comment becomes a comment line of its own.
        const QString comment = Comment();
        if (multiLine) {
            for (const QString &line : comment.split(u'\n')) {
                problem = DialogFieldProblem(TKvDialogField::ItemComment, line);
                if (!problem.isEmpty())
                    break;
            }
        } else {
            problem = DialogFieldProblem(TKvDialogField::ItemComment, comment);
        }
    }
    ShowProblem(problem);
    ButApply->setEnabled(problem.isEmpty());
}

void TFrmItem::ButPasswordClick()
{
    QString password;
    if (RunPasswordGenerator(this, password))
        MemoValue->SetText(password);
}

void TFrmItem::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr) {
        const QRect main = owner->frameGeometry();
        const QRect own = frameGeometry();
        move(main.left() + (main.width() - own.width()) / 2, main.top() + (main.height() - own.height()) / 2);
    }
    if (Name().isEmpty() && Value().isEmpty() && Comment().isEmpty()) {
        EdName->setFocus();
    } else if (!Name().isEmpty() || !Value().isEmpty()) {
        MemoValue->setFocus();
        MemoValue->selectAll();
    } else {
        MemoComment->setFocus();
        MemoComment->selectAll();
    }
}

bool RunPasswordGenerator(QWidget *owner, QString &result)
{
    TPasswordFrm generator(owner);
    if (ExecDialog(generator) != QDialog::Accepted)
        return false;
    result = generator.EdResult->text();
    return true;
}
