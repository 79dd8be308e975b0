#include "dialogs/passwordfrm.h"

#include "kvaccessiblecontrols.h"
#include "kvbutton.h"
#include "kvdialogbuttons.h"
#include "kvimagelist.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRandomGenerator>

QString PasswordPool(bool lower, bool upper, bool numbers)
{
    QString pool;
    if (lower)
        pool += QStringLiteral("abcdefghijklmnopqrstuvwxyz");
    if (upper)
        pool += QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    if (numbers)
        pool += QStringLiteral("0123456789");
    return pool;
}

TKvDraw32 SystemDraw32()
{
    // A seeded, predictable generator would let one password reveal the
    // others; the system generator cannot be replayed.
    return [] { return QRandomGenerator::system()->generate(); };
}

QString GeneratePassword(const QString &pool, int length, const TKvDraw32 &draw)
{
    QString result;
    if (pool.isEmpty() || length <= 0)
        return result;
    result.reserve(length);
    const quint64 poolLength = quint64(pool.size());
    for (int i = 0; i < length; ++i)
        result += pool.at(qsizetype((poolLength * draw()) >> 32));
    return result;
}

TKvUpDown::TKvUpDown(QWidget *parent)
    : QSpinBox(parent)
{
    // The number changes only through the arrows (buttons and keys).
    lineEdit()->setReadOnly(true);
    setWrapping(false);
}

namespace {
// Designed at 144 ppi.
constexpr int ClientWidth = 470;
constexpr int Margin = 20;
constexpr int RowHeight = 34;
constexpr int ButtonWidth = 120;
} // namespace

TPasswordFrm::TPasswordFrm(QWidget *owner)
    : TKvGradientDialog(owner, TitleAndMenuFlags)
{
    setWindowTitle(QStringLiteral("Password Generator"));

    IlButtons = new TKvImageList(16, 16, this);
    IlButtons->AddStrip(QImage(QStringLiteral(":/ilbuttons.png")).convertToFormat(QImage::Format_ARGB32));

    Label1 = new QLabel(QStringLiteral("Length:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    UpDownLength = new TKvUpDown(this);
    UpDownLength->setObjectName(QStringLiteral("UpDownLength"));
    UpDownLength->setRange(0, 100);
    UpDownLength->setSingleStep(1);
    UpDownLength->setValue(8);
    EdLength = UpDownLength->Edit();
    EdLength->setObjectName(QStringLiteral("EdLength"));
    KvLabelField(Label1, UpDownLength);
    QPalette lengthPalette = UpDownLength->palette();
    lengthPalette.setColor(QPalette::Base, QColor(0xED, 0xED, 0xE9));
    UpDownLength->setPalette(lengthPalette);

    auto checkBox = [this](const char *name, const char *caption) {
        auto *box = new QCheckBox(QString::fromLatin1(caption), this);
        box->setObjectName(QString::fromLatin1(name));
        box->setChecked(true);
        return box;
    };
    CbxLower = checkBox("CbxLower", "Lowercase (a-z)");
    CbxUpper = checkBox("CbxUpper", "Uppercase (A-Z)");
    CbxNumbers = checkBox("CbxNumbers", "Numbers (0-9)");

    ButGenerate = MakeDialogButton(this, QStringLiteral("ButGenerate"), QStringLiteral("Generate"));

    EdResult = new QLineEdit(this);
    EdResult->setObjectName(QStringLiteral("EdResult"));
    // The result has no label of its own on the form.
    EdResult->setAccessibleName(QStringLiteral("Generated password"));

    ButCopyToClip = MakeDialogButton(this, QStringLiteral("ButCopyToClip"), QString());
    ButCopyToClip->SetShowCaption(false);
    ButCopyToClip->SetImages(IlButtons);
    ButCopyToClip->SetImageAlignment(tiaCenter);
    ButCopyToClip->SetImageIndex(PicCopyDisabled);
    ButCopyToClip->SetHint(QStringLiteral(" Copy password to clipboard "));

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);

    ButApply = MakeDialogButton(this, QStringLiteral("ButApply"), QStringLiteral("Apply"), tmrOK);
    ButApply->SetDefault(true);
    ButCancel = MakeDialogButton(this, QStringLiteral("ButCancel"), QStringLiteral("Cancel"));
    ButCancel->SetCancel(true);
    // Cancel answers as the window's close does: QDialog::Rejected.
    connect(ButCancel, &TKvButton::clicked, this, &QDialog::reject);

    // The buttons take the height of the result field; the copy button is square.
    const int row = qMax(Scaled(RowHeight), EdResult->sizeHint().height());
    const int left = Scaled(Margin);
    const int right = Scaled(ClientWidth - Margin);
    const int buttonWidth = Scaled(ButtonWidth);
    int top = Scaled(Margin);
    Label1->setGeometry(left, top, Scaled(90), row);
    UpDownLength->setGeometry(Label1->geometry().right() + 1, top, Scaled(100), row);
    ButGenerate->setGeometry(right - buttonWidth, top, buttonWidth, row);
    top += row + Scaled(12);
    for (QCheckBox *box : {CbxLower, CbxUpper, CbxNumbers}) {
        box->setGeometry(left, top, right - left, Scaled(32));
        top += Scaled(32);
    }
    top += Scaled(12);
    ButCopyToClip->setGeometry(right - row, top, row, row);
    EdResult->setGeometry(left, top, ButCopyToClip->x() - Scaled(8) - left, row);
    top += row + Scaled(16);
    Bevel1->setGeometry(left, top, right - left, Scaled(4));
    top += Scaled(4) + Scaled(16);
    ButCancel->setGeometry(right - buttonWidth, top, buttonWidth, row);
    ButApply->setGeometry(ButCancel->x() - Scaled(10) - buttonWidth, top, buttonWidth, row);
    top += row + Scaled(Margin);
    SetClientSize(QSize(Scaled(ClientWidth), top));

    connect(ButGenerate, &TKvButton::clicked, this, &TPasswordFrm::ButGenerateClick);
    connect(ButCopyToClip, &TKvButton::clicked, this, &TPasswordFrm::ButCopyToClipClick);
    connect(EdResult, &QLineEdit::textChanged, this, &TPasswordFrm::EdResultChange);
    ButGenerate->setFocus();
}

TPasswordFrm::~TPasswordFrm() = default;

void TPasswordFrm::ButGenerateClick()
{
    const QString pool = PasswordPool(CbxLower->isChecked(), CbxUpper->isChecked(), CbxNumbers->isChecked());
    if (pool.isEmpty())
        return;
    EdResult->setText(GeneratePassword(pool, UpDownLength->value(), Draw));
}

void TPasswordFrm::ButCopyToClipClick()
{
    QApplication::clipboard()->setText(EdResult->text());
}

// A result shorter than the length setting, generated or typed, is not offered.
void TPasswordFrm::EdResultChange()
{
    const bool complete = EdResult->text().size() >= UpDownLength->value();
    ButApply->setEnabled(complete);
    ButCopyToClip->setEnabled(complete);
    ButCopyToClip->SetImageIndex(complete ? PicCopy : PicCopyDisabled);
}
