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

} // namespace

std::optional<QString> AskFilePassword(QWidget *owner, bool showWarning)
{
    if (Hook())
        return Hook()(showWarning);
    TFormPassword dialog(owner);
    dialog.LbWarning->setVisible(showWarning);
    if (dialog.exec() == QDialog::Accepted)
        return dialog.EdPassword->text();
    return std::nullopt;
}

TKvPasswordHook SetPasswordHook(TKvPasswordHook hook)
{
    return std::exchange(Hook(), std::move(hook));
}
