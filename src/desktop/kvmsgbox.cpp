// The message-box wrappers. Until the editor's own box exists they show the
// toolkit's standard box with the same buttons and pictures.
#include "kvmsgbox.h"

#include <QList>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>

#include <utility>

namespace {

TKvMsgBoxHook &Hook()
{
    static TKvMsgBoxHook hook;
    return hook;
}

// Danish captions for a Danish user, English otherwise.
QString ButtonCaption(TKvModalResult result)
{
    const bool danish = QLocale::system().territory() == QLocale::Denmark;
    switch (result) {
    case tmrYes:
        return danish ? QStringLiteral("&Ja") : QStringLiteral("&Yes");
    case tmrNo:
        return danish ? QStringLiteral("&Nej") : QStringLiteral("&No");
    case tmrCancel:
        return danish ? QStringLiteral("An&uller") : QStringLiteral("&Cancel");
    default:
        return QStringLiteral("&Ok");
    }
}

QMessageBox::Icon StandardIcon(int pictureKind)
{
    switch (pictureKind) {
    case kvIconQuestion:
        return QMessageBox::Question;
    case kvIconExclamation:
        return QMessageBox::Warning;
    case kvIconError:
        return QMessageBox::Critical;
    default:
        return QMessageBox::Information;
    }
}

TKvModalResult Show(const TKvMsgBoxRequest &request, QWidget *owner)
{
    if (Hook())
        return Hook()(request);

    QMessageBox box(owner);
    box.setWindowTitle(request.caption);
    box.setText(request.text);
    box.setIcon(StandardIcon(request.pictureKind));
    QList<std::pair<QAbstractButton *, TKvModalResult>> buttons;
    for (TKvModalResult result : request.buttons) {
        const QMessageBox::ButtonRole role = result == tmrNo       ? QMessageBox::NoRole
                                             : result == tmrCancel ? QMessageBox::RejectRole
                                                                   : QMessageBox::AcceptRole;
        buttons.append({box.addButton(ButtonCaption(result), role), result});
    }
    box.setDefaultButton(static_cast<QPushButton *>(buttons.first().first));
    // Escape answers Cancel when there is one, else No.
    for (const auto &[button, result] : buttons) {
        if (result == tmrCancel || (result == tmrNo && !request.buttons.contains(tmrCancel)))
            box.setEscapeButton(button);
    }
    box.exec();
    for (const auto &[button, result] : buttons) {
        if (box.clickedButton() == button)
            return result;
    }
    return request.buttons.contains(tmrCancel) ? tmrCancel : request.buttons.last();
}

} // namespace

TKvMsgBoxHook SetMsgBoxHook(TKvMsgBoxHook hook)
{
    return std::exchange(Hook(), std::move(hook));
}

void ShowMsgBox(const QString &caption, const QString &text, int pictureKind, QWidget *owner)
{
    Show({caption, text, pictureKind, {tmrOK}}, owner);
}

void InfoBox(const QString &caption, const QString &text, QWidget *owner)
{
    ShowMsgBox(caption, text, kvIconInfo, owner);
}

void ErrorBox(const QString &caption, const QString &text, QWidget *owner)
{
    ShowMsgBox(caption, text, kvIconError, owner);
}

bool YesNoBox(const QString &caption, const QString &text, QWidget *owner)
{
    return Show({caption, text, kvIconQuestion, {tmrYes, tmrNo}}, owner) == tmrYes;
}

TKvModalResult YesNoCancelBox(const QString &caption, const QString &text, QWidget *owner)
{
    return Show({caption, text, kvIconQuestion, {tmrYes, tmrNo, tmrCancel}}, owner);
}
