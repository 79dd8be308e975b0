#include "dialogs/formpassword.h"

#include "kvaccessiblecontrols.h"
#include "kvbutton.h"
#include "kvdialogbuttons.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>

namespace {
// Designed at 144 ppi.
constexpr int ClientWidth = 450;
constexpr int Label1Height = 30;
constexpr int WarningHeight = 35;
constexpr int BottomHeight = 97;
constexpr int Margin = 20;
constexpr int ButtonWidth = 105;
constexpr int RowHeight = 30;
constexpr int HintFontHeight = 15;
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
    KvLabelField(Label1, EdPassword);
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

    // The choice of container sits between the warning and the field.
    PnlFormat = new QWidget(this);
    PnlFormat->setObjectName(QStringLiteral("PnlFormat"));
    RbStrong = new QRadioButton(QStringLiteral("strong"), PnlFormat);
    RbStrong->setObjectName(QStringLiteral("RbStrong"));
    RbCompatible = new QRadioButton(QStringLiteral("compatible with older versions"), PnlFormat);
    RbCompatible->setObjectName(QStringLiteral("RbCompatible"));
    RbStrong->setChecked(true);
    LbFormatHint = new QLabel(QStringLiteral("Compatible: easily read without the password"), PnlFormat);
    LbFormatHint->setObjectName(QStringLiteral("LbFormatHint"));
    QFont hintFont = font();
    hintFont.setPixelSize(Scaled(HintFontHeight));
    LbFormatHint->setFont(hintFont);
    const int choiceRow = qMax(Scaled(RowHeight), RbStrong->sizeHint().height());
    RbStrong->setGeometry(Scaled(Margin), Scaled(8), RbStrong->sizeHint().width(), choiceRow);
    RbCompatible->setGeometry(Scaled(Margin), RbStrong->geometry().bottom() + 1,
                              RbCompatible->sizeHint().width(), choiceRow);
    // The hint starts under the text of its radio button.
    const int indent = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, RbCompatible)
                       + style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, RbCompatible);
    LbFormatHint->setGeometry(Scaled(Margin) + indent, RbCompatible->geometry().bottom() + 1,
                              Scaled(ClientWidth - 2 * Margin) - indent, LbFormatHint->sizeHint().height());
    m_formatHeight = LbFormatHint->geometry().bottom() + 1;
    PnlFormat->hide();
    setTabOrder(EdPassword, RbStrong);
    setTabOrder(RbStrong, RbCompatible);
    setTabOrder(RbCompatible, ButOk);
    setTabOrder(ButOk, ButCancel);

    connect(RbStrong, &QRadioButton::toggled, this, &TFormPassword::FormatToggled);
    FormatToggled();
    connect(EdPassword, &QLineEdit::textChanged, this, &TFormPassword::EdPasswordChange);
    EdPassword->setFocus();
    ArrangeRows();
}

TFormPassword::~TFormPassword()
{
    QString left = TakePassword();
    WipePassword(left);
}

void TFormPassword::EdPasswordChange()
{
    ButOk->setEnabled(EdPassword->text().size() >= MinimumLength);
}

void TFormPassword::OfferFormat(TKvContainerFormat current)
{
    (current == TKvContainerFormat::Strong ? RbStrong : RbCompatible)->setChecked(true);
    PnlFormat->show();
    ArrangeRows();
}

void TFormPassword::FormatToggled()
{
    // Tab reaches the chosen radio button only; the arrow keys move the choice.
    for (QRadioButton *button : {RbStrong, RbCompatible})
        button->setFocusPolicy(button->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
}

TKvContainerFormat TFormPassword::ChosenFormat() const
{
    return RbCompatible->isChecked() ? TKvContainerFormat::Legacy : TKvContainerFormat::Strong;
}

QString TFormPassword::TakePassword()
{
    QString typed = EdPassword->text(); // shares the field's buffer
    QString password(typed.constData(), typed.size());
    // Setting a text drops the field's old one and its undo steps; the
    // buffer is then ours alone and is wiped.
    EdPassword->setText(QString());
    WipePassword(typed);
    return password;
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
    PnlFormat->setGeometry(0, top, width, m_formatHeight);
    if (!PnlFormat->isHidden())
        top += PnlFormat->height();
    PnlBottom->setGeometry(0, top, width, m_bottomHeight);
    SetClientSize(QSize(width, PnlBottom->geometry().bottom() + 1));
}

void TFormPassword::showEvent(QShowEvent *event)
{
    ArrangeRows();
    TKvGradientDialog::showEvent(event);
}
