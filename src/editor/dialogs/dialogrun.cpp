#include "dialogrun.h"

#include <QDialog>
#include <QGuiApplication>

#include <utility>

namespace {
TKvDialogHook &DialogHook()
{
    static TKvDialogHook hook;
    return hook;
}
TKvModifiersHook &ModifiersHook()
{
    static TKvModifiersHook hook;
    return hook;
}
} // namespace

int ExecDialog(QDialog &dialog)
{
    if (const TKvDialogHook &hook = DialogHook())
        return hook(dialog);
    return dialog.exec();
}

TKvDialogHook SetDialogHook(TKvDialogHook hook)
{
    return std::exchange(DialogHook(), std::move(hook));
}

Qt::KeyboardModifiers KeyModifiersNow()
{
    if (const TKvModifiersHook &hook = ModifiersHook())
        return hook();
    // The keyboard's state now, not that of the last event: a toolbar click
    // with Shift held counts too.
    return QGuiApplication::queryKeyboardModifiers();
}

TKvModifiersHook SetModifiersHook(TKvModifiersHook hook)
{
    return std::exchange(ModifiersHook(), std::move(hook));
}
