#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

// Asks for the password of an encrypted file; the warning about forgotten
// passwords is shown when a file is about to be written. Nothing on Cancel.
std::optional<QString> AskFilePassword(QWidget *owner, bool showWarning);

// For tests: while a hook is installed no dialog is shown; the hook answers.
using TKvPasswordHook = std::function<std::optional<QString>(bool showWarning)>;
TKvPasswordHook SetPasswordHook(TKvPasswordHook hook);
