#include "dialogs/formpassword.h"

#include "kvbutton.h"
#include "kvdialogbuttons.h"

#include <QLabel>
#include <QLineEdit>

namespace {
// Designed at 144 ppi.
constexpr int ClientWidth = 450;
constexpr int Label1Height = 30;
constexpr int WarningHeight = 35;
constexpr int BottomHeight = 97;
constexpr int Margin = 20;
constexpr int ButtonWidth = 105;
constexpr int RowHeight = 30;
} // namespace

TFormPassword::TFormPassword(QWidget *owner)
    : TKvGradientDialog(owner, TitleAndMenuFlags)
{
    setWindowTitle(QStringLiteral("File Password"));

    Label1 = new QLabel(QStringLiteral("Type a Password (minimum 5 characters)"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);

    LbWarning = new QLabel(QStringLiteral("Do not loose this password !!"), this);
    LbWarning->setObjectName(QStringLiteral("LbWarning"));
    LbWarning->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    QFont warningFont = font();
    warningFont.setBold(true);
    warningFont.setPixelSize(Scaled(22));
    LbWarning->setFont(warningFont);
    QPalette warningPalette = LbWarning->palette();
    warningPalette.setColor(QPalette::WindowText, Qt::red);
    LbWarning->setPalette(warningPalette);

    PnlBottom = new QWidget(this);
    PnlBottom->setObjectName(QStringLiteral("PnlBottom"));

    EdPassword = new QLineEdit(PnlBottom);
    EdPassword->setObjectName(QStringLiteral("EdPassword"));
    EdPassword->setEchoMode(QLineEdit::Password);
    EdPassword->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    // The rows follow the font: a field taller than designed pushes the
    // buttons down and the panel grows with them.
    const int row = qMax(Scaled(RowHeight), EdPassword->sizeHint().height());
    EdPassword->setGeometry(Scaled(Margin), Scaled(12), Scaled(ClientWidth - 2 * Margin), row);

    ButOk = MakeDialogButton(PnlBottom, QStringLiteral("ButOk"), QStringLiteral("OK"), tmrOK);
    ButOk->SetDefault(true);
    ButOk->setEnabled(false);
    ButCancel = MakeDialogButton(PnlBottom, QStringLiteral("ButCancel"), QStringLiteral("Cancel"));
    ButCancel->SetCancel(true);
    // Cancel answers as the window's close does: QDialog::Rejected.
    connect(ButCancel, &TKvButton::clicked, this, &QDialog::reject);
    const int buttonTop = EdPassword->geometry().bottom() + 1 + Scaled(10);
    const int buttonWidth = Scaled(ButtonWidth);
    ButCancel->setGeometry(Scaled(ClientWidth - Margin) - buttonWidth, buttonTop, buttonWidth, row);
    ButOk->setGeometry(ButCancel->x() - Scaled(10) - buttonWidth, buttonTop, buttonWidth, row);
    m_bottomHeight = qMax(Scaled(BottomHeight), ButOk->geometry().bottom() + 1 + Scaled(12));

    connect(EdPassword, &QLineEdit::textChanged, this, &TFormPassword::EdPasswordChange);
    EdPassword->setFocus();
    ArrangeRows();
}

void TFormPassword::EdPasswordChange()
{
    ButOk->setEnabled(EdPassword->text().size() >= MinimumLength);
}

void TFormPassword::ArrangeRows()
{
    const int width = Scaled(ClientWidth);
    int top = 0;
    Label1->setGeometry(0, top, width, Scaled(Label1Height));
    top += Label1->height();
    LbWarning->setGeometry(0, top, width, Scaled(WarningHeight));
    if (!LbWarning->isHidden())
        top += LbWarning->height();
    PnlBottom->setGeometry(0, top, width, m_bottomHeight);
    SetClientSize(QSize(width, PnlBottom->geometry().bottom() + 1));
}

void TFormPassword::showEvent(QShowEvent *event)
{
    ArrangeRows();
    TKvGradientDialog::showEvent(event);
}
