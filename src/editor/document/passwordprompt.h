#pragma once

#include "kvcontainer.h"

#include <QString>

#include <functional>
#include <optional>

class QWidget;

// Asks for the password of an encrypted file; the warning about forgotten
// passwords is shown when a file is about to be written. Nothing on Cancel.
std::optional<QString> AskFilePassword(QWidget *owner, bool showWarning);

// The answer of the password dialog shown when a file is saved.
struct TKvSavePassword
{
    QString Password;
    TKvContainerFormat Format;
};

// Asks for the password a file is saved with, with the warning and the choice
// of container, `current` chosen at first. Nothing on Cancel.
std::optional<TKvSavePassword> AskSavePassword(QWidget *owner, TKvContainerFormat current);

// For tests: while a hook is installed no dialog is shown; the hook answers
// (a save prompt calls it with showWarning true).
using TKvPasswordHook = std::function<std::optional<QString>(bool showWarning)>;
TKvPasswordHook SetPasswordHook(TKvPasswordHook hook);
// For tests: the container a save prompt answered by the password hook
// chooses, given the one offered; without this hook the offered one.
using TKvFormatHook = std::function<TKvContainerFormat(TKvContainerFormat offered)>;
TKvFormatHook SetFormatHook(TKvFormatHook hook);
