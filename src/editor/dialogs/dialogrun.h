#pragma once

#include <QtGlobal>
#include <qnamespace.h>

#include <functional>

class QDialog;

// Shows a dialog modally and returns its result. While a hook is installed
// (tests) the hook gets the dialog instead and gives the result.
int ExecDialog(QDialog &dialog);
using TKvDialogHook = std::function<int(QDialog &dialog)>;
TKvDialogHook SetDialogHook(TKvDialogHook hook);

// The keyboard modifiers held down at this moment. While a hook is installed
// (tests) the hook answers.
Qt::KeyboardModifiers KeyModifiersNow();
using TKvModifiersHook = std::function<Qt::KeyboardModifiers()>;
TKvModifiersHook SetModifiersHook(TKvModifiersHook hook);
