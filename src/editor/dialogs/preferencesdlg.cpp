#include "dialogs/preferencesdlg.h"

#include "kvaccessiblecontrols.h"
#include "kvbutton.h"
#include "kvdialogbuttons.h"
#include "kvtextcodec.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

namespace {
// Designed at 144 ppi.
constexpr int ClientWidth = 600;
constexpr int Margin = 20;
constexpr int RowHeight = 36;
constexpr int ButtonWidth = 105;

QString CodePageItem(quint32 codePage)
{
    return QStringLiteral("%1 (%2)").arg(KvTextCodec::CodePageName(codePage)).arg(codePage);
}
} // namespace

TFrmPreferences::TFrmPreferences(QWidget *owner)
    : TKvGradientDialog(owner, TitleAndMenuFlags)
{
    setWindowTitle(QStringLiteral("Preferences"));
    const int width = Scaled(ClientWidth - 2 * Margin);
    const int rowHeight = Scaled(RowHeight);
    int top = Scaled(Margin);

    LbCodePage = new QLabel(QStringLiteral("System code page (for files read and written as ANSI):"), this);
    LbCodePage->setObjectName(QStringLiteral("LbCodePage"));
    LbCodePage->setGeometry(Scaled(Margin), top, width, rowHeight);
    top += rowHeight;

    CbxCodePage = new QComboBox(this);
    CbxCodePage->setObjectName(QStringLiteral("CbxCodePage"));
    CbxCodePage->addItem(QStringLiteral("The locale's: ") + CodePageItem(KvTextCodec::LocaleCodePage()), 0u);
    for (quint32 codePage : KvTextCodec::SelectableCodePages())
        CbxCodePage->addItem(CodePageItem(codePage), codePage);
    KvLabelField(LbCodePage, CbxCodePage);
    const int comboHeight = qMax(rowHeight, CbxCodePage->sizeHint().height());
    CbxCodePage->setGeometry(Scaled(Margin), top, width, comboHeight);
    top += comboHeight;

    LbCodePageNote =
        new QLabel(QStringLiteral("Files already open keep the characters they were read with."), this);
    LbCodePageNote->setObjectName(QStringLiteral("LbCodePageNote"));
    LbCodePageNote->setGeometry(Scaled(Margin), top, width, rowHeight);
    top += rowHeight + Scaled(10);

    CbxKeepLayout = new QCheckBox(QStringLiteral("Keep each file's layout when saving"), this);
    CbxKeepLayout->setObjectName(QStringLiteral("CbxKeepLayout"));
    CbxKeepLayout->setGeometry(Scaled(Margin), top, width, rowHeight);
    top += rowHeight;

    CbxHashComments = new QCheckBox(QStringLiteral("Lines starting with # are comments"), this);
    CbxHashComments->setObjectName(QStringLiteral("CbxHashComments"));
    CbxHashComments->setGeometry(Scaled(Margin), top, width, rowHeight);
    top += rowHeight + Scaled(Margin);

    ButOk = MakeDialogButton(this, QStringLiteral("ButOk"), QStringLiteral("OK"), tmrOK);
    ButOk->SetDefault(true);
    ButCancel = MakeDialogButton(this, QStringLiteral("ButCancel"), QStringLiteral("Cancel"));
    ButCancel->SetCancel(true);
    connect(ButCancel, &TKvButton::clicked, this, &QDialog::reject);
    const int buttonWidth = Scaled(ButtonWidth);
    ButCancel->setGeometry(Scaled(ClientWidth - Margin) - buttonWidth, top, buttonWidth, rowHeight);
    ButOk->setGeometry(ButCancel->x() - Scaled(10) - buttonWidth, top, buttonWidth, rowHeight);
    top += rowHeight + Scaled(Margin);

    SetClientSize(QSize(Scaled(ClientWidth), top));
    SetPreferences(TKvPreferences());
    CbxCodePage->setFocus();
}

void TFrmPreferences::SetPreferences(const TKvPreferences &preferences)
{
    const int index = CbxCodePage->findData(preferences.AnsiCodePage);
    CbxCodePage->setCurrentIndex(index >= 0 ? index : 0);
    CbxKeepLayout->setChecked(preferences.KeepLayout);
    CbxHashComments->setChecked(preferences.HashComments);
}

TKvPreferences TFrmPreferences::Preferences() const
{
    TKvPreferences preferences;
    preferences.AnsiCodePage = CbxCodePage->currentData().toUInt();
    preferences.KeepLayout = CbxKeepLayout->isChecked();
    preferences.HashComments = CbxHashComments->isChecked();
    return preferences;
}

void ActPreferencesExecute(QWidget *owner)
{
    TFrmPreferences dialog(owner);
    dialog.SetPreferences(CurrentPreferences());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const TKvPreferences chosen = dialog.Preferences();
    SavePreferences(chosen);
    ApplyPreferences(chosen);
}
