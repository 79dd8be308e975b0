#pragma once

#include <QAccessibleWidget>

class TKvMsgBox;

// Makes the program's custom-painted controls and its message box known to
// assistive technology. Called once, after the application object exists and
// before the first window is made.
void InstallKvAccessibility();

// The message box is an alert: its name is its title, its description the
// message, so a screen reader announces both when it opens.
class TKvMsgBoxAccessible : public QAccessibleWidget
{
public:
    explicit TKvMsgBoxAccessible(TKvMsgBox *box);

    QString text(QAccessible::Text t) const override;
};

// For QAccessible::installFactory: the custom controls' interfaces and the
// message box's, or null for any other object.
QAccessibleInterface *KvAccessibleFactory(const QString &className, QObject *object);
