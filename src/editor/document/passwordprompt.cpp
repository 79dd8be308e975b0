#include "passwordprompt.h"

#if __has_include("dialogs/formpassword.h")
#include "dialogs/formpassword.h"
#define KV_HAVE_FORM_PASSWORD 1
#else
#include <QInputDialog>
#include <QLineEdit>
#endif

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
#ifdef KV_HAVE_FORM_PASSWORD
    TFormPassword dialog(owner);
    dialog.LbWarning->setVisible(showWarning);
    if (dialog.exec() == QDialog::Accepted)
        return dialog.EdPassword->text();
    return std::nullopt;
#else
    Q_UNUSED(showWarning);
    bool ok = false;
    const QString password = QInputDialog::getText(owner, QStringLiteral("Password"), QStringLiteral("Password:"),
                                                   QLineEdit::Password, QString(), &ok);
    return ok ? std::optional<QString>(password) : std::nullopt;
#endif
}

TKvPasswordHook SetPasswordHook(TKvPasswordHook hook)
{
    return std::exchange(Hook(), std::move(hook));
}
