// The toolbar and the status bar: rows of gradient labels framed by end pieces.
#include "form1.h"

#include "kvpictures.h"

#include "kvart.h"
#include "kvgradilabel.h"
#include "kvimagelist.h"

#include <QAction>
#include <QHBoxLayout>
#include <QImage>

namespace {

QWidget *MakeBar(QWidget *parent, const QString &name)
{
    auto *bar = new QWidget(parent);
    bar->setObjectName(name);
    bar->setAutoFillBackground(true);
    auto *layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return bar;
}

} // namespace

// Builds one group: a left end piece, the labels, a right end piece.
static void AddGroup(QWidget *bar, const QList<TKvGradiLabel *> &labels, int endWidth,
                     TKvArt **lastArt = nullptr)
{
    auto *layout = static_cast<QHBoxLayout *>(bar->layout());
    auto *left = new TKvArt(bar);
    left->SetArtType(aatEndLeft);
    left->setFixedWidth(endWidth);
    left->SetLabelAfter(labels.first());
    layout->addWidget(left);
    for (TKvGradiLabel *label : labels)
        layout->addWidget(label);
    auto *right = new TKvArt(bar);
    right->SetArtType(aatEndRight);
    right->setFixedWidth(endWidth);
    right->SetLabelBefore(labels.last());
    layout->addWidget(right);
    if (lastArt)
        *lastArt = right;
}

void TForm1::LoadImageLists()
{
    IlItems = new TKvImageList(12, 12, this);
    IlItems->AddStrip(QImage(QStringLiteral(":/ilitems.png")).convertToFormat(QImage::Format_ARGB32));
    IlButtons = new TKvImageList(16, 16, this);
    IlButtons->AddStrip(QImage(QStringLiteral(":/ilbuttons.png")).convertToFormat(QImage::Format_ARGB32));

    auto icon = [this](int index) {
        return IlItems->IsValidIndex(index) ? QIcon(QPixmap::fromImage(IlItems->Image(index))) : QIcon();
    };
    m_sectionIcon = icon(IconSection);
    m_kindIcons = {icon(IconBlank), icon(IconValue), icon(IconComment), icon(IconError)};
}

void TForm1::CreateToolbar()
{
    PnlTop = MakeBar(this, QStringLiteral("PnlTop"));
    PnlTop->setFixedHeight(Scaled(26));

    // The buttons come from the action table, one group per category.
    const int endWidth = Scaled(23);
    CreateToolbarButtons(
        [&](const QList<TKvGradiLabel *> &group) { AddGroup(PnlTop, group, endWidth, &LastToolbarArt); });
    static_cast<QHBoxLayout *>(PnlTop->layout())->addStretch(1);
}

void TForm1::CreateStatusBar()
{
    PnlBottom = MakeBar(this, QStringLiteral("PnlBottom"));
    PnlBottom->setFixedHeight(Scaled(26));
    auto *layout = static_cast<QHBoxLayout *>(PnlBottom->layout());
    const int endWidth = Scaled(23);

    // Captions and values are passive: no hot or pressed look.
    auto passive = [this](const QString &name, const QString &caption, const QString &hint) {
        auto *label = new TKvGradiLabel(PnlBottom);
        label->setObjectName(name);
        label->SetAlign(alLeft);
        label->SetAlive(false);
        label->SetCaption(caption);
        label->SetHint(hint);
        return label;
    };
    auto spacer = [this](int width) {
        auto *label = new TKvGradiLabel(PnlBottom);
        label->SetLabelType(altSpace);
        label->SetAutoSize(false);
        label->SetAlive(false);
        label->setFixedWidth(width);
        return label;
    };
    auto counter = [&](const QString &name, int icon, const QString &hint) {
        TKvGradiLabel *label = passive(name, QStringLiteral("0"), hint);
        label->SetImages(IlItems);
        label->SetImageIndex(icon);
        return label;
    };

    const QString loadHint = QStringLiteral(" Loading Time in Milliseconds ");
    const QString showHint = QStringLiteral(" Showing Time in Milliseconds ");
    LbLoadTime = passive(QStringLiteral("LbLoadTime"), QStringLiteral("0"), loadHint);
    LbShowTime = passive(QStringLiteral("LbShowTime"), QStringLiteral("0"), showHint);
    AddGroup(PnlBottom,
             {passive(QStringLiteral("LbLoadCaption"), QStringLiteral("LoadTime:"), loadHint), LbLoadTime,
              spacer(Scaled(20)),
              passive(QStringLiteral("LbShowCaption"), QStringLiteral("ShowTime:"), showHint), LbShowTime,
              spacer(Scaled(20))},
             endWidth);

    LbSectionCount =
        counter(QStringLiteral("LbSectionCount"), IconSection, QStringLiteral(" Section Count "));
    LbValueCount = counter(QStringLiteral("LbValueCount"), IconValue, QStringLiteral(" Item Value Count "));
    LbCommentCount =
        counter(QStringLiteral("LbCommentCount"), IconComment, QStringLiteral(" Comment Count "));
    LbErrorCount = counter(QStringLiteral("LbErrorCount"), IconError, QStringLiteral(" Item Error Count "));
    LbEmptyCount = counter(QStringLiteral("LbEmptyCount"), IconBlank, QStringLiteral(" Blank Line Count "));
    AddGroup(PnlBottom, {LbSectionCount, LbValueCount, LbCommentCount, LbErrorCount, LbEmptyCount}, endWidth);
    // What a screen reader says of each counter ("2 sections").
    LbSectionCount->SetCountNouns(QStringLiteral("section"), QStringLiteral("sections"));
    LbValueCount->SetCountNouns(QStringLiteral("item"), QStringLiteral("items"));
    LbCommentCount->SetCountNouns(QStringLiteral("comment"), QStringLiteral("comments"));
    LbErrorCount->SetCountNouns(QStringLiteral("unparsable line"), QStringLiteral("unparsable lines"));
    LbEmptyCount->SetCountNouns(QStringLiteral("blank line"), QStringLiteral("blank lines"));

    GlValuesOnly = new TKvGradiLabel(PnlBottom);
    GlValuesOnly->setObjectName(QStringLiteral("GlValuesOnly"));
    GlValuesOnly->SetLabelType(altButton);
    GlValuesOnly->SetAlign(alLeft);
    GlValuesOnly->SetImages(IlItems);
    GlValuesOnly->SetAction(ActValuesOnly);
    GlValuesOnly->SetCheckable(true);
    GlHashComments = new TKvGradiLabel(PnlBottom);
    GlHashComments->setObjectName(QStringLiteral("GlHashComments"));
    GlHashComments->SetLabelType(altButton);
    GlHashComments->SetAlign(alLeft);
    GlHashComments->SetImages(IlItems);
    GlHashComments->SetAction(ActHashComments);
    GlHashComments->SetCheckable(true);
    GlHashComments->hide(); // until a file looks written with "#" comments
    AddGroup(PnlBottom, {GlValuesOnly, GlHashComments}, endWidth);
    CreateCompareLabels([&](const QList<TKvGradiLabel *> &group) { AddGroup(PnlBottom, group, endWidth); });

    layout->addStretch(1);

    auto programButton = [this](QAction *action, const QString &name, const QString &caption) {
        auto *label = new TKvGradiLabel(PnlBottom);
        label->setObjectName(name);
        label->SetLabelType(altButton);
        label->SetAlign(alRight);
        label->SetAction(action);
        label->SetCaption(caption);
        return label;
    };
    ButCreateShortcut = programButton(ActCreateShortcut, QStringLiteral("ButCreateShortcut"), QString());
    ButCreateShortcut->SetImages(IlButtons);
    ButCreateShortcut->SetImageIndex(PicShortcut);
    ButCreateShortcut->SetImageDisabledIndex(PicShortcutDisabled);
    ButCreateShortcut->SetHint(QStringLiteral(" Opens the Create Shortcut Dialog "));
    GlPassword = programButton(ActGeneratePassword, QStringLiteral("GlPassword"), QStringLiteral("P"));
    GlHelp = programButton(ActHelp, QStringLiteral("GlHelp"), QStringLiteral("?"));
    GlInfo = programButton(ActAbout, QStringLiteral("GlInfo"), QStringLiteral("i"));
    GlInfo->SetHint(QStringLiteral(" Opens the about dialog "));
    GlPreferences = programButton(ActPreferences, QStringLiteral("GlPreferences"), QStringLiteral("\u2699"));
    GlPreferences->SetHint(QStringLiteral(" Opens the Preferences (Ctrl+,) "));
    AddGroup(PnlBottom, {ButCreateShortcut, GlPassword, GlHelp, GlInfo, GlPreferences}, endWidth);
}

void TForm1::ApplyColourScheme()
{
    const ColourScheme &c = m_colourScheme;
    for (QWidget *bar : {PnlTop, PnlBottom}) {
        QPalette palette = bar->palette();
        palette.setColor(QPalette::Window, KvToQColor(c[3]));
        bar->setPalette(palette);
        for (TKvGradiLabel *label : bar->findChildren<TKvGradiLabel *>(Qt::FindDirectChildrenOnly)) {
            label->SetClGradiLight(c[2]);
            label->SetClGradiDark(c[3]);
            label->SetClHotLight(c[4]);
            label->SetClPressLight(c[4]);
            label->SetClHotDark(c[5]);
            label->SetClPressDark(c[5]);
            label->SetClFontHot(c[6]);
            label->SetFontColor(c[7]);
        }
        for (TKvArt *art : bar->findChildren<TKvArt *>(Qt::FindDirectChildrenOnly)) {
            art->SetClGradiLight(c[2]);
            art->SetClGradiDark(c[3]);
        }
    }
}
