// What assistive technology learns of the custom controls: a bar of gradient
// labels and custom buttons walked through QAccessible, as a screen reader
// walks it through AT-SPI.

#include "kvaccessiblecontrols.h"
#include "kvbutton.h"
#include "kvgradilabel.h"
#include "kvwidgettest.h"

#include <QAccessible>
#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

// The states a row checks; each is compared, so a row says all of them.
enum Flag { None = 0, Disabled = 1, Checkable = 2, Checked = 4, DefaultButton = 8 };

int FlagsOf(const QAccessible::State &s)
{
    return (s.disabled ? Disabled : 0) | (s.checkable ? Checkable : 0) | (s.checked ? Checked : 0)
           | (s.defaultButton ? DefaultButton : 0);
}

// The controls of the status bar and the toolbar as the window builds them,
// on one bar, each bound to an action where the window binds one.
struct TBar
{
    QWidget bar;
    TKvImageList *images = SolidImageList(16, {0x0000FF}, &bar);
    QAction find{QStringLiteral("Find")};
    QAction save{QStringLiteral("Save")};
    QAction valuesOnly{QStringLiteral("Values Only")};
    QAction help{QString()};
    QAction shortcut{QString()};

    TBar()
    {
        auto *layout = new QHBoxLayout(&bar);
        find.setStatusTip(QStringLiteral(" Search the Ini File "));
        find.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
        save.setStatusTip(QStringLiteral(" Save Ini File to Disk "));
        save.setEnabled(false);
        valuesOnly.setStatusTip(QStringLiteral("Hide Comment, Empty Items and Error Items. "));
        valuesOnly.setCheckable(true);
        help.setStatusTip(QStringLiteral("Opens the help on the internet in Your browser "));
        shortcut.setStatusTip(QStringLiteral(" Opens the Create Shortcut Dialog "));

        auto add = [&](QWidget *widget, const char *name) {
            widget->setObjectName(QString::fromLatin1(name));
            layout->addWidget(widget);
        };
        auto button = [&](QAction *action, const char *name) {
            auto *label = new TKvGradiLabel(&bar);
            label->SetLabelType(altButton);
            label->SetAction(action);
            add(label, name);
            return label;
        };
        button(&find, "GlFind");
        button(&save, "GlSave");
        button(&valuesOnly, "GlValuesOnly");
        button(&help, "GlHelp")->SetCaption(QStringLiteral("?"));
        TKvGradiLabel *picture = button(&shortcut, "ButCreateShortcut");
        picture->SetImages(images);
        picture->SetImageIndex(0);

        // A label switched by the window rather than by a checkable action.
        auto *own = new TKvGradiLabel(&bar);
        own->SetLabelType(altButton);
        own->SetCaption(QStringLiteral("Wrap"));
        own->SetCheckable(true);
        own->SetChecked(true);
        add(own, "GlWrap");

        auto passive = [&](const char *name, const char *caption, const char *hint) {
            auto *label = new TKvGradiLabel(&bar);
            label->SetAlive(false);
            label->SetCaption(QString::fromLatin1(caption));
            label->SetHint(QString::fromLatin1(hint));
            add(label, name);
            return label;
        };
        passive("LbLoadCaption", "LoadTime:", " Loading Time in Milliseconds ");
        passive("LbSectionCount", "2", " Section Count ")
            ->SetCountNouns(QStringLiteral("section"), QStringLiteral("sections"));
        passive("LbCommentCount", "1", " Comment Count ")
            ->SetCountNouns(QStringLiteral("comment"), QStringLiteral("comments"));
        passive("LbValueCount", "1,234", " Item Value Count ")
            ->SetCountNouns(QStringLiteral("item"), QStringLiteral("items"));
        passive("LbShowTime", "0", " Showing Time in Milliseconds ");
        auto *spacer = passive("Spacer", "ignored", "");
        spacer->SetLabelType(altSpace);

        auto *yes = new TKvButton(&bar);
        yes->SetCaption(QStringLiteral("&Yes"));
        yes->SetDefault(true);
        add(yes, "ButYes");
        auto *twoLines = new TKvButton(&bar);
        twoLines->SetCaption(QStringLiteral("Copy||to Clipboard"));
        twoLines->SetHint(QStringLiteral("Copies||the text"));
        add(twoLines, "ButTwoLines");
        auto *copy = new TKvButton(&bar);
        copy->SetShowCaption(false);
        copy->SetCaption(QStringLiteral("unseen"));
        copy->SetHint(QStringLiteral(" Copy password to clipboard "));
        add(copy, "ButCopyToClip");
        auto *off = new TKvButton(&bar);
        off->SetCaption(QStringLiteral("A&&B"));
        off->setEnabled(false);
        add(off, "ButOff");
        auto *grouped = new TKvButton(&bar);
        grouped->SetCaption(QStringLiteral("Bold"));
        grouped->SetGroupIndex(1);
        grouped->SetAllowAllUp(true);
        grouped->SetDown(true);
        add(grouped, "ButBold");
    }

    QWidget *Control(const QString &name) const { return bar.findChild<QWidget *>(name); }
};

QAccessibleInterface *Interface(QWidget *widget)
{
    return widget ? QAccessible::queryAccessibleInterface(widget) : nullptr;
}

QAccessibleActionInterface *Actions(QWidget *widget)
{
    QAccessibleInterface *iface = Interface(widget);
    return iface ? iface->actionInterface() : nullptr;
}

} // namespace

class TestAccessible : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void describesEachControl_data();
    void describesEachControl();
    void pressRunsTheCommandAfterTheCall_data();
    void pressRunsTheCommandAfterTheCall();
    void disabledActionDisablesTheLabel();
    void checkBoxFollowsItsAction();
    void counterNameFollowsTheCaption();
    void keyBindings_data();
    void keyBindings();
    void spokenCaption_data();
    void spokenCaption();
    void labelledField();
    void otherWidgetsKeepQtsInterfaces();

private:
    std::unique_ptr<TBar> m_bar;
};

void TestAccessible::initTestCase()
{
    QAccessible::installFactory(KvControlsAccessibleFactory);
}

void TestAccessible::init()
{
    m_bar = std::make_unique<TBar>();
    m_bar->bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_bar->bar));
}

void TestAccessible::cleanup()
{
    m_bar.reset();
}

void TestAccessible::describesEachControl_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::addColumn<int>("flags");
    QTest::addColumn<QStringList>("actions");

    const QString press = QAccessibleActionInterface::pressAction();
    const QString toggle = QAccessibleActionInterface::toggleAction();
    const QString focus = QAccessibleActionInterface::setFocusAction();

    QTest::addRow("a toolbar button is named by its caption, described by its hint")
        << "GlFind" << int(QAccessible::PushButton) << "Find"
        << "Search the Ini File" << int(None) << QStringList{press};
    QTest::addRow("a button of a disabled action is disabled and cannot be pressed")
        << "GlSave" << int(QAccessible::PushButton) << "Save"
        << "Save Ini File to Disk" << int(Disabled) << QStringList{};
    QTest::addRow("a button of a checkable action is a check box")
        << "GlValuesOnly" << int(QAccessible::CheckBox) << "Values Only"
        << "Hide Comment, Empty Items and Error Items." << int(Checkable) << QStringList{press, toggle};
    QTest::addRow("a one-character caption is a symbol: the hint names the button")
        << "GlHelp" << int(QAccessible::PushButton) << "Opens the help on the internet in Your browser"
        << "Opens the help on the internet in Your browser" << int(None) << QStringList{press};
    QTest::addRow("a picture-only button is named by its hint")
        << "ButCreateShortcut" << int(QAccessible::PushButton) << "Opens the Create Shortcut Dialog"
        << "Opens the Create Shortcut Dialog" << int(None) << QStringList{press};
    QTest::addRow("a label the window checks is a checked check box")
        << "GlWrap" << int(QAccessible::CheckBox) << "Wrap"
        << "" << int(Checkable | Checked) << QStringList{press, toggle};
    QTest::addRow("a caption field is a label")
        << "LbLoadCaption" << int(QAccessible::StaticText) << "LoadTime:"
        << "Loading Time in Milliseconds" << int(None) << QStringList{};
    QTest::addRow("a counter says what it counts")
        << "LbSectionCount" << int(QAccessible::StaticText) << "2 sections"
        << "Section Count" << int(None) << QStringList{};
    QTest::addRow("a count of one is singular")
        << "LbCommentCount" << int(QAccessible::StaticText) << "1 comment"
        << "Comment Count" << int(None) << QStringList{};
    QTest::addRow("a grouped count is plural")
        << "LbValueCount" << int(QAccessible::StaticText) << "1,234 items"
        << "Item Value Count" << int(None) << QStringList{};
    QTest::addRow("a value without nouns is its number")
        << "LbShowTime" << int(QAccessible::StaticText) << "0"
        << "Showing Time in Milliseconds" << int(None) << QStringList{};
    QTest::addRow("a spacer is blank space without a name") << "Spacer" << int(QAccessible::Whitespace) << ""
                                                            << "" << int(None) << QStringList{};
    QTest::addRow("a custom button loses its access-key marker")
        << "ButYes" << int(QAccessible::PushButton) << "Yes"
        << "" << int(DefaultButton) << QStringList{press, focus};
    QTest::addRow("a two-line caption and hint are read on one line")
        << "ButTwoLines" << int(QAccessible::PushButton) << "Copy to Clipboard"
        << "Copies the text" << int(None) << QStringList{press, focus};
    QTest::addRow("a custom button showing no caption is named by its hint")
        << "ButCopyToClip" << int(QAccessible::PushButton) << "Copy password to clipboard"
        << "Copy password to clipboard" << int(None) << QStringList{press, focus};
    QTest::addRow("a disabled custom button cannot be pressed; && is an ampersand")
        << "ButOff" << int(QAccessible::PushButton) << "A&B"
        << "" << int(Disabled) << QStringList{};
    QTest::addRow("a custom button of a group is checkable and down is checked")
        << "ButBold" << int(QAccessible::PushButton) << "Bold"
        << "" << int(Checkable | Checked) << QStringList{press, focus};
}

void TestAccessible::describesEachControl()
{
    QFETCH(QString, control);
    QFETCH(int, role);
    QFETCH(QString, name);
    QFETCH(QString, description);
    QFETCH(int, flags);
    QFETCH(QStringList, actions);

    QAccessibleInterface *iface = Interface(m_bar->Control(control));
    QVERIFY(iface);
    QCOMPARE(int(iface->role()), role);
    QCOMPARE(iface->text(QAccessible::Name), name);
    QCOMPARE(iface->text(QAccessible::Description), description);
    QCOMPARE(FlagsOf(iface->state()), flags);
    QVERIFY(iface->actionInterface());
    QCOMPARE(iface->actionInterface()->actionNames(), actions);

    // Found from the bar as a screen reader walks it.
    QAccessibleInterface *bar = Interface(&m_bar->bar);
    QVERIFY(bar->indexOfChild(iface) >= 0);
    QCOMPARE(iface->parent()->object(), &m_bar->bar);
}

void TestAccessible::pressRunsTheCommandAfterTheCall_data()
{
    QTest::addColumn<QString>("control");
    QTest::addRow("toolbar button") << "GlFind";
    QTest::addRow("picture-only button") << "ButCreateShortcut";
    QTest::addRow("custom button") << "ButYes";
}

void TestAccessible::pressRunsTheCommandAfterTheCall()
{
    QFETCH(QString, control);
    QWidget *widget = m_bar->Control(control);
    QSignalSpy clicks(widget, SIGNAL(clicked()));
    QSignalSpy finds(&m_bar->find, &QAction::triggered);
    QSignalSpy shortcuts(&m_bar->shortcut, &QAction::triggered);

    Actions(widget)->doAction(QAccessibleActionInterface::pressAction());
    // The screen reader's call returns before the command runs (it may open
    // a modal dialog).
    QCOMPARE(clicks.count(), 0);
    QTRY_COMPARE(clicks.count(), 1);
    QCOMPARE(finds.count(), control == u"GlFind" ? 1 : 0);
    QCOMPARE(shortcuts.count(), control == u"ButCreateShortcut" ? 1 : 0);
}

void TestAccessible::disabledActionDisablesTheLabel()
{
    QWidget *widget = m_bar->Control(QStringLiteral("GlSave"));
    QSignalSpy saves(&m_bar->save, &QAction::triggered);
    Actions(widget)->doAction(QAccessibleActionInterface::pressAction());
    QTest::qWait(20);
    QCOMPARE(saves.count(), 0);

    m_bar->save.setEnabled(true);
    QAccessibleInterface *iface = Interface(widget);
    QVERIFY(!iface->state().disabled);
    QCOMPARE(iface->actionInterface()->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    // Disabled again before the queued press runs: nothing happens.
    m_bar->save.setEnabled(false);
    QTest::qWait(20);
    QCOMPARE(saves.count(), 0);
    QVERIFY(iface->state().disabled);
}

void TestAccessible::checkBoxFollowsItsAction()
{
    QAccessibleInterface *iface = Interface(m_bar->Control(QStringLiteral("GlValuesOnly")));
    QVERIFY(!iface->state().checked);
    iface->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QTRY_VERIFY(m_bar->valuesOnly.isChecked());
    QVERIFY(iface->state().checked);
    m_bar->valuesOnly.setChecked(false);
    QVERIFY(!iface->state().checked);

    // The window's own switch.
    auto *wrap = m_bar->bar.findChild<TKvGradiLabel *>(QStringLiteral("GlWrap"));
    QAccessibleInterface *own = Interface(wrap);
    wrap->SetChecked(false);
    QVERIFY(!own->state().checked);
    wrap->SetCheckable(false);
    QCOMPARE(own->role(), QAccessible::PushButton);
    QVERIFY(!own->state().checkable);
}

void TestAccessible::counterNameFollowsTheCaption()
{
    auto *counter = m_bar->bar.findChild<TKvGradiLabel *>(QStringLiteral("LbSectionCount"));
    QAccessibleInterface *iface = Interface(counter);
    counter->SetCaption(QStringLiteral("1"));
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("1 section"));
    counter->SetCaption(QStringLiteral("0"));
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("0 sections"));
    // A name the window gives wins.
    counter->setAccessibleName(QStringLiteral("No sections"));
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("No sections"));
}

void TestAccessible::keyBindings_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("binding");
    QTest::addRow("the action's shortcut")
        << "GlFind" << QKeySequence(Qt::CTRL | Qt::Key_F).toString(QKeySequence::NativeText);
    QTest::addRow("no shortcut") << "ButCreateShortcut"
                                 << "";
    QTest::addRow("the caption's access key")
        << "ButYes" << QKeySequence(Qt::ALT | Qt::Key_Y).toString(QKeySequence::NativeText);
}

void TestAccessible::keyBindings()
{
    QFETCH(QString, control);
    QFETCH(QString, binding);
    QAccessibleInterface *iface = Interface(m_bar->Control(control));
    QCOMPARE(iface->text(QAccessible::Accelerator), binding);
    const QStringList bindings =
        iface->actionInterface()->keyBindingsForAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(bindings, binding.isEmpty() ? QStringList{} : QStringList{binding});
}

void TestAccessible::spokenCaption_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("spoken");
    QTest::addRow("access key") << "&Yes"
                                << "Yes";
    QTest::addRow("access key inside") << "A&ll No"
                                       << "All No";
    QTest::addRow("double ampersand") << "Save && Close"
                                      << "Save & Close";
    QTest::addRow("trailing ampersand") << "Odd&"
                                        << "Odd";
    QTest::addRow("line breaks") << "Copy\r\nto\nClipboard"
                                 << "Copy to Clipboard";
    QTest::addRow("empty") << ""
                           << "";
}

void TestAccessible::spokenCaption()
{
    QFETCH(QString, caption);
    QFETCH(QString, spoken);
    QCOMPARE(KvSpokenCaption(caption), spoken);
}

void TestAccessible::labelledField()
{
    QWidget dialog;
    auto *sibling = new QLabel(QStringLiteral("Item Name:"), &dialog);
    auto *name = new QLineEdit(&dialog);
    KvLabelField(sibling, name);
    auto *elsewhere = new QLabel(QStringLiteral("Type a &Password"), &dialog);
    auto *panel = new QWidget(&dialog);
    auto *password = new QLineEdit(panel);
    KvLabelField(elsewhere, password);

    QCOMPARE(sibling->buddy(), name);
    QCOMPARE(Interface(name)->text(QAccessible::Name), QStringLiteral("Item Name:"));
    QCOMPARE(elsewhere->buddy(), password);
    QCOMPARE(Interface(password)->text(QAccessible::Name), QStringLiteral("Type a Password"));
}

void TestAccessible::otherWidgetsKeepQtsInterfaces()
{
    QVERIFY(!KvControlsAccessibleFactory(QStringLiteral("QWidget"), &m_bar->bar));
    QVERIFY(!KvControlsAccessibleFactory(QStringLiteral("TKvGradiLabel"), &m_bar->find));
    QLineEdit edit;
    QCOMPARE(Interface(&edit)->role(), QAccessible::EditableText);
}

QTEST_MAIN(TestAccessible)
#include "tst_accessible.moc"
