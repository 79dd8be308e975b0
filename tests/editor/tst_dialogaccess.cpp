// Every dialog as assistive technology sees it: each control that takes the
// keyboard focus has a name (a field is named by its label), and the message
// box is an alert whose title and text are readable.

#include "dialogs/formpassword.h"
#include "dialogs/frmitem.h"
#include "dialogs/frmsection.h"
#include "dialogs/passwordfrm.h"
#include "dialogs/preferencesdlg.h"
#include "find/formreplace.h"
#include "find/formsearch.h"
#include "infoform.h"
#include "kvaccessibility.h"
#include "kvbutton.h"
#include "kvmsgbox.h"
#include "shortcutfrm.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QTest>

#include <functional>
#include <memory>

namespace {

using TDialogMaker = std::function<QDialog *()>;

// The controls a user reaches with Tab; the line edit inside a combo box or a
// spin box is part of that control, which carries the name.
QList<QWidget *> FocusableControls(QWidget *dialog)
{
    QList<QWidget *> controls;
    for (QWidget *widget : dialog->findChildren<QWidget *>()) {
        if (!(widget->focusPolicy() & Qt::TabFocus) || !widget->isVisibleTo(dialog))
            continue;
        QWidget *parent = widget->parentWidget();
        if (qobject_cast<QComboBox *>(parent) || qobject_cast<QAbstractSpinBox *>(parent))
            continue;
        controls << widget;
    }
    return controls;
}

bool IsField(QAccessible::Role role)
{
    return role == QAccessible::EditableText || role == QAccessible::ComboBox || role == QAccessible::SpinBox;
}

// What a screen reader says a control is: its label when a label is related
// to it, else its name.
QString HeardName(QAccessibleInterface *iface)
{
    const auto labels = iface->relations(QAccessible::Label);
    return labels.isEmpty() ? iface->text(QAccessible::Name) : labels.first().first->text(QAccessible::Name);
}

} // namespace

Q_DECLARE_METATYPE(TDialogMaker)

class TestDialogAccess : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void everyControlIsNamed_data();
    void everyControlIsNamed();
    void fieldsAreNamedByTheirLabels_data();
    void fieldsAreNamedByTheirLabels();
    void messageBoxIsAnAlert_data();
    void messageBoxIsAnAlert();
};

void TestDialogAccess::initTestCase()
{
    InstallKvAccessibility();
}

static void AddDialogRows()
{
    QTest::addColumn<TDialogMaker>("make");
    QTest::addRow("item") << TDialogMaker([] { return new TFrmItem(nullptr); });
    QTest::addRow("section") << TDialogMaker([] { return new TFrmSection(nullptr); });
    QTest::addRow("file password") << TDialogMaker([] { return new TFormPassword(nullptr); });
    QTest::addRow("password generator") << TDialogMaker([] { return new TPasswordFrm(nullptr); });
    QTest::addRow("preferences") << TDialogMaker([] { return new TFrmPreferences(nullptr); });
    QTest::addRow("find") << TDialogMaker([] { return new TFormSearch(nullptr); });
    QTest::addRow("replace") << TDialogMaker([] { return new TFormReplace(nullptr); });
    QTest::addRow("shortcut") << TDialogMaker([] { return new TFrmShortcut(QStringLiteral("/tmp/a.ini")); });
    QTest::addRow("about") << TDialogMaker([] { return new TInfoForm(nullptr); });
}

void TestDialogAccess::everyControlIsNamed_data()
{
    AddDialogRows();
}

void TestDialogAccess::everyControlIsNamed()
{
    QFETCH(TDialogMaker, make);
    const std::unique_ptr<QDialog> dialog(make());
    const QList<QWidget *> controls = FocusableControls(dialog.get());
    QVERIFY(!controls.isEmpty());
    for (QWidget *control : controls) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(control);
        QVERIFY(iface);
        const QByteArray what =
            (control->objectName() + u' ' + QString::fromLatin1(control->metaObject()->className())).toUtf8();
        QVERIFY2(!HeardName(iface).trimmed().isEmpty(), what.constData());
        // A field's own name is its content (a combo box's is its current
        // entry): what it is for comes from a label or a name given to it.
        if (IsField(iface->role()))
            QVERIFY2(!iface->relations(QAccessible::Label).isEmpty() || !control->accessibleName().isEmpty(),
                     what.constData());
    }
}

void TestDialogAccess::fieldsAreNamedByTheirLabels_data()
{
    QTest::addColumn<TDialogMaker>("make");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("name");
    const auto item = TDialogMaker([] { return new TFrmItem(nullptr); });
    QTest::addRow("item name") << item << "EdName"
                               << "Item Name:";
    QTest::addRow("item value") << item << "MemoValue"
                                << "Item Value";
    QTest::addRow("item comment") << item << "MemoComment"
                                  << "Item Comment:";
    const auto section = TDialogMaker([] { return new TFrmSection(nullptr); });
    QTest::addRow("section title") << section << "EdName"
                                   << "Section Title:";
    QTest::addRow("section comment") << section << "MemoComment"
                                     << "Section Comment:";
    QTest::addRow("file password (label outside the field's panel)")
        << TDialogMaker([] { return new TFormPassword(nullptr); }) << "EdPassword"
        << "Type a Password (minimum 5 characters)";
    QTest::addRow("generator length")
        << TDialogMaker([] { return new TPasswordFrm(nullptr); }) << "UpDownLength"
        << "Length:";
    QTest::addRow("code page") << TDialogMaker([] { return new TFrmPreferences(nullptr); }) << "CbxCodePage"
                               << "System code page (for files read and written as ANSI):";
    QTest::addRow("look for") << TDialogMaker([] { return new TFormSearch(nullptr); }) << "CmbFindStr"
                              << "Look For:";
    QTest::addRow("replace with") << TDialogMaker([] { return new TFormReplace(nullptr); }) << "CmbReplaceStr"
                                  << "Replace With:";
    const auto shortcut = TDialogMaker([] { return new TFrmShortcut(QStringLiteral("/tmp/a.ini")); });
    QTest::addRow("shortcut name") << shortcut << "EdShortcutName"
                                   << "Shortcut Name:";
    QTest::addRow("custom directory") << shortcut << "EdCustomShortcut"
                                      << "Custom Directory:";
}

void TestDialogAccess::fieldsAreNamedByTheirLabels()
{
    QFETCH(TDialogMaker, make);
    QFETCH(QString, field);
    QFETCH(QString, name);
    const std::unique_ptr<QDialog> dialog(make());
    auto *widget = dialog->findChild<QWidget *>(field);
    QVERIFY(widget);
    QCOMPARE(HeardName(QAccessible::queryAccessibleInterface(widget)), name);
}

void TestDialogAccess::messageBoxIsAnAlert_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("picture");
    QTest::addRow("one line error") << "Cannot open the file." << int(kvIconError) << "Error";
    QTest::addRow("several lines") << "Delete the item\r\nname=value ?" << int(kvIconQuestion) << "Question";
    QTest::addRow("markup stays text") << "<b>not bold</b>" << int(kvIconInfo) << "Information";
}

void TestDialogAccess::messageBoxIsAnAlert()
{
    QFETCH(QString, text);
    QFETCH(int, kind);
    QFETCH(QString, picture);
    TKvMsgBox box;
    box.setWindowTitle(QStringLiteral("File Error"));
    box.SetMessage(text);
    box.SetIcon(kind);
    box.AddButton(box.ButOk);

    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&box);
    QCOMPARE(iface->role(), QAccessible::AlertMessage);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("File Error"));
    QCOMPARE(iface->text(QAccessible::Description), text);
    // The text is also read where it is shown, line breaks as the label shows them.
    QAccessibleInterface *label = QAccessible::queryAccessibleInterface(box.LbMsg);
    QCOMPARE(label->role(), QAccessible::StaticText);
    QCOMPARE(label->text(QAccessible::Name),
             QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    QCOMPARE(box.PaintBox->accessibleName(), picture);
    // Its button can be pressed.
    QAccessibleInterface *ok = QAccessible::queryAccessibleInterface(box.ButOk);
    QCOMPARE(ok->role(), QAccessible::PushButton);
    QCOMPARE(ok->text(QAccessible::Name), QStringLiteral("Ok"));
    QVERIFY(ok->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
}

QTEST_MAIN(TestDialogAccess)
#include "tst_dialogaccess.moc"
