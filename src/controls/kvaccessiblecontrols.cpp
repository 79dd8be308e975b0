// What assistive technology learns of the custom-painted controls.
#include "kvaccessiblecontrols.h"

#include "kvbutton.h"
#include "kvgradilabel.h"

#include <QAction>
#include <QKeySequence>
#include <QLabel>
#include <QMetaObject>
#include <QPointer>

namespace {

// A press from assistive technology runs after the call that asked for it has
// returned: a command may open a modal dialog, and the screen reader's call
// must not wait for that dialog to close.
template <typename Control> void QueueClick(Control *control)
{
    QMetaObject::invokeMethod(
        control,
        [guard = QPointer<Control>(control)] {
            if (guard && guard->isEnabled())
                guard->Click();
        },
        Qt::QueuedConnection);
}

bool IsPressAction(const QString &actionName)
{
    return actionName == QAccessibleActionInterface::pressAction()
           || actionName == QAccessibleActionInterface::toggleAction();
}

} // namespace

QString KvSpokenCaption(const QString &caption)
{
    QString spoken;
    spoken.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const QChar c = caption.at(i);
        if (c == u'&') {
            // "&&" is a plain ampersand; a single one marks the access key.
            if (i + 1 < caption.size() && caption.at(i + 1) == u'&') {
                spoken.append(u'&');
                ++i;
            }
        } else {
            spoken.append(c);
        }
    }
    return spoken.simplified(); // line breaks become spaces
}

void KvLabelField(QLabel *label, QWidget *field)
{
    label->setBuddy(field);
    if (field->parentWidget() != label->parentWidget())
        field->setAccessibleName(KvSpokenCaption(label->text()));
}

// ---- TKvGradiLabelAccessible --------------------------------------------------

TKvGradiLabelAccessible::TKvGradiLabelAccessible(TKvGradiLabel *label)
    : QAccessibleWidget(label)
{}

TKvGradiLabel *TKvGradiLabelAccessible::label() const
{
    return static_cast<TKvGradiLabel *>(widget());
}

bool TKvGradiLabelAccessible::isButton() const
{
    return label()->LabelType() == altButton;
}

QAccessible::Role TKvGradiLabelAccessible::role() const
{
    switch (label()->LabelType()) {
    case altButton:
        return label()->Checkable() ? QAccessible::CheckBox : QAccessible::PushButton;
    case altLabel:
        return QAccessible::StaticText;
    case altSpace:
        break;
    }
    return QAccessible::Whitespace;
}

QString TKvGradiLabelAccessible::text(QAccessible::Text t) const
{
    const TKvGradiLabel *l = label();
    const QString hint = l->Hint().simplified();
    switch (t) {
    case QAccessible::Name: {
        if (!l->accessibleName().isEmpty())
            return l->accessibleName();
        if (l->LabelType() == altSpace)
            return QString();
        const QString caption = KvSpokenCaption(l->Caption());
        if (l->LabelType() == altLabel) {
            if (l->CountNounMany().isEmpty())
                return caption;
            return caption + u' ' + (caption == u"1" ? l->CountNounOne() : l->CountNounMany());
        }
        // A one-character caption ("P", "?", "i") is a symbol, not a name.
        if (caption.size() > 1)
            return caption;
        if (!hint.isEmpty())
            return hint;
        return l->Action() ? KvSpokenCaption(l->Action()->text()) : caption;
    }
    case QAccessible::Description:
        return l->accessibleDescription().isEmpty() ? hint : l->accessibleDescription();
    case QAccessible::Accelerator:
        return l->Action() ? l->Action()->shortcut().toString(QKeySequence::NativeText) : QString();
    default:
        return QAccessibleWidget::text(t);
    }
}

QAccessible::State TKvGradiLabelAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    const TKvGradiLabel *l = label();
    if (l->Action() && !l->Action()->isEnabled())
        s.disabled = true;
    if (isButton() && l->Checkable()) {
        s.checkable = true;
        s.checked = l->Checked();
    }
    return s;
}

QStringList TKvGradiLabelAccessible::actionNames() const
{
    QStringList names;
    if (isButton() && !state().disabled) {
        names << pressAction();
        if (label()->Checkable())
            names << toggleAction();
    }
    return names + QAccessibleWidget::actionNames();
}

void TKvGradiLabelAccessible::doAction(const QString &actionName)
{
    if (!IsPressAction(actionName))
        return QAccessibleWidget::doAction(actionName);
    if (isButton() && !state().disabled)
        QueueClick(label());
}

QStringList TKvGradiLabelAccessible::keyBindingsForAction(const QString &actionName) const
{
    const QAction *action = label()->Action();
    if (!IsPressAction(actionName) || !action || action->shortcut().isEmpty())
        return QAccessibleWidget::keyBindingsForAction(actionName);
    return {action->shortcut().toString(QKeySequence::NativeText)};
}

// ---- TKvButtonAccessible ---------------------------------------------------------

TKvButtonAccessible::TKvButtonAccessible(TKvButton *button)
    : QAccessibleWidget(button, QAccessible::PushButton)
{}

TKvButton *TKvButtonAccessible::button() const
{
    return static_cast<TKvButton *>(widget());
}

QString TKvButtonAccessible::text(QAccessible::Text t) const
{
    const TKvButton *b = button();
    switch (t) {
    case QAccessible::Name: {
        if (!b->accessibleName().isEmpty())
            return b->accessibleName();
        const QString caption = b->ShowCaption() ? KvSpokenCaption(b->LayoutCaption()) : QString();
        return caption.isEmpty() ? b->HintText().simplified() : caption;
    }
    case QAccessible::Description:
        return b->accessibleDescription().isEmpty() ? b->HintText().simplified() : b->accessibleDescription();
    case QAccessible::Accelerator:
        return QKeySequence::mnemonic(b->Caption()).toString(QKeySequence::NativeText);
    default:
        return QAccessibleWidget::text(t);
    }
}

QAccessible::State TKvButtonAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    const TKvButton *b = button();
    s.defaultButton = b->Default();
    if (b->GroupIndex() != 0) {
        s.checkable = true;
        s.checked = b->Down();
    }
    return s;
}

QStringList TKvButtonAccessible::actionNames() const
{
    QStringList names;
    if (widget()->isEnabled())
        names << pressAction();
    return names + QAccessibleWidget::actionNames();
}

void TKvButtonAccessible::doAction(const QString &actionName)
{
    if (actionName != pressAction())
        return QAccessibleWidget::doAction(actionName);
    if (widget()->isEnabled())
        QueueClick(button());
}

QStringList TKvButtonAccessible::keyBindingsForAction(const QString &actionName) const
{
    const QKeySequence mnemonic = QKeySequence::mnemonic(button()->Caption());
    if (actionName != pressAction() || mnemonic.isEmpty())
        return QAccessibleWidget::keyBindingsForAction(actionName);
    return {mnemonic.toString(QKeySequence::NativeText)};
}

// ---- Factory ------------------------------------------------------------------

QAccessibleInterface *KvControlsAccessibleFactory(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    if (className == QLatin1String("TKvGradiLabel"))
        return new TKvGradiLabelAccessible(static_cast<TKvGradiLabel *>(object));
    if (className == QLatin1String("TKvButton"))
        return new TKvButtonAccessible(static_cast<TKvButton *>(object));
    return nullptr;
}
