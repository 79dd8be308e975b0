#pragma once

#include <QAccessibleWidget>

class QAccessibleInterface;
class QLabel;
class QObject;
class QString;
class TKvButton;
class TKvGradiLabel;

// What assistive technology (a screen reader through AT-SPI) learns of the
// custom-painted controls, whose pictures say nothing to it by themselves.
// The painting stays as it is; these interfaces only describe the controls.

// A gradient label: a push button (or a check box, when checkable) with a
// "press" action when it acts as a button, a label whose name is its caption
// (with what it counts, for a counter) when it is a caption field, an empty
// filler when it is a spacer.
class TKvGradiLabelAccessible : public QAccessibleWidget
{
public:
    explicit TKvGradiLabelAccessible(TKvGradiLabel *label);

    QAccessible::Role role() const override;
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

private:
    TKvGradiLabel *label() const;
    bool isButton() const;
};

// The custom button: a push button named by its caption (without the
// access-key marker and line-break pairs) or, without one, by its hint.
class TKvButtonAccessible : public QAccessibleWidget
{
public:
    explicit TKvButtonAccessible(TKvButton *button);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

private:
    TKvButton *button() const;
};

// For QAccessible::installFactory: the interface of a custom control, or null
// for any other object.
QAccessibleInterface *KvControlsAccessibleFactory(const QString &className, QObject *object);

// Labels a dialog's field: the label becomes the field's buddy, so assistive
// technology reads the label as the field's name. Qt looks for a buddy's label
// only among the field's siblings; a label elsewhere names the field itself.
void KvLabelField(QLabel *label, QWidget *field);

// A caption as read aloud: "&&" is one ampersand, a single "&" (the access-key
// marker) disappears, and line breaks are spaces.
QString KvSpokenCaption(const QString &caption);
