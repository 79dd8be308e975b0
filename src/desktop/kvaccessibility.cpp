// Assistive technology: the interfaces of the custom controls and the message box.
#include "kvaccessibility.h"

#include "kvaccessiblecontrols.h"
#include "kvmsgbox.h"

TKvMsgBoxAccessible::TKvMsgBoxAccessible(TKvMsgBox *box)
    : QAccessibleWidget(box, QAccessible::AlertMessage)
{}

QString TKvMsgBoxAccessible::text(QAccessible::Text t) const
{
    const auto *box = static_cast<const TKvMsgBox *>(widget());
    switch (t) {
    case QAccessible::Name:
        return box->accessibleName().isEmpty() ? box->windowTitle() : box->accessibleName();
    case QAccessible::Description:
        return box->accessibleDescription().isEmpty() ? box->Message() : box->accessibleDescription();
    default:
        return QAccessibleWidget::text(t);
    }
}

QAccessibleInterface *KvAccessibleFactory(const QString &className, QObject *object)
{
    if (QAccessibleInterface *control = KvControlsAccessibleFactory(className, object))
        return control;
    if (className == QLatin1String("TKvMsgBox") && object && object->isWidgetType())
        return new TKvMsgBoxAccessible(static_cast<TKvMsgBox *>(object));
    return nullptr;
}

void InstallKvAccessibility()
{
    QAccessible::installFactory(KvAccessibleFactory);
}
