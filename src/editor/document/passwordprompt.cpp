#include "passwordprompt.h"

#include "dialogs/formpassword.h"

#include <QLabel>
#include <QLineEdit>

#include <utility>

namespace {

TKvPasswordHook &Hook()
{
    static TKvPasswordHook hook;
    return hook;
}

TKvFormatHook &FormatHook()
{
    static TKvFormatHook hook;
    return hook;
}

} // namespace

std::optional<QString> AskFilePassword(QWidget *owner, bool showWarning)
{
    if (Hook())
        return Hook()(showWarning);
    TFormPassword dialog(owner);
    dialog.LbWarning->setVisible(showWarning);
    if (dialog.exec() == QDialog::Accepted)
        return dialog.TakePassword();
    return std::nullopt;
}

std::optional<TKvSavePassword> AskSavePassword(QWidget *owner, TKvContainerFormat current)
{
    if (Hook()) {
        std::optional<QString> password = Hook()(true);
        if (!password)
            return std::nullopt;
        return TKvSavePassword{*password, FormatHook() ? FormatHook()(current) : current};
    }
    TFormPassword dialog(owner);
    dialog.OfferFormat(current);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return TKvSavePassword{dialog.TakePassword(), dialog.ChosenFormat()};
}

TKvPasswordHook SetPasswordHook(TKvPasswordHook hook)
{
    return std::exchange(Hook(), std::move(hook));
}

TKvFormatHook SetFormatHook(TKvFormatHook hook)
{
    return std::exchange(FormatHook(), std::move(hook));
}
