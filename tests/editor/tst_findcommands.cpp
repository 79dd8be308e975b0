// Find, Find Next and Find Previous from the window: the dialog, the search
// position, the selection of a found place and the wrap rules; headless.
#include "editortesting.h"
#include "findcommands.h"
#include "formsearch.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>

using namespace EditorTesting;

namespace {

const QByteArray Sample = "[Alpha] ;first\n"
                          "key=pear\n"
                          "other=apple\n"
                          "[Beta]\n"
                          "beta=1\n"
                          "fruit=apple pie\n"
                          ";apple comment\n"
                          "[Gamma]\n"
                          "x=1\n";

const QString NotFound = QStringLiteral("Quillon Search|No Mach Vere Found!");

// Types the find text and presses Find First.
TDialogScript::Step FindDialog(const QString &text)
{
    return [=](QDialog &dialog) {
        static_cast<TFormSearch &>(dialog).CmbFindStr->setEditText(text);
        return int(QDialog::Accepted);
    };
}

} // namespace

class TestFind : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void dialogShowsTheHistory();
    void emptyTextIsStoredAndNotFound();
    void valuesOnlyTurnsCommentsOff();
    void forwardWrapsToTheTop();
    void backwardStopsThenOpensTheDialog();
    void previousAfterForwardEndSearchesFromTheEnd();
    void sectionNameMatchSelectsNoValue();
    void selectionElsewhereMovesTheSearch();
    void findNextBeforeAnySearchOpensTheDialog_data();
    void findNextBeforeAnySearchOpensTheDialog();
    void valuesOnlySelectsTheShownRow();

private:
    TForm1 *m_form = nullptr;
    QTemporaryDir m_config;
    QTemporaryDir m_dir;
    QString m_path;
};

void TestFind::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    m_path = WriteFile(m_dir, QStringLiteral("find.ini"), Sample);
}

void TestFind::init()
{
    m_form = OpenForm(m_path);
    QVERIFY(m_form);
}

void TestFind::cleanup()
{
    delete m_form;
    m_form = nullptr;
}

void TestFind::dialogShowsTheHistory()
{
    TDialogScript script;
    QStringList seen;
    auto inspect = [&](const QString &typed) {
        return [&, typed](QDialog &dialog) {
            auto &frm = static_cast<TFormSearch &>(dialog);
            QStringList items;
            for (int i = 0; i < frm.CmbFindStr->count(); ++i)
                items << frm.CmbFindStr->itemText(i);
            seen << frm.CmbFindStr->currentText() + u'|' + items.join(u',');
            frm.CmbFindStr->setEditText(typed);
            return int(QDialog::Accepted);
        };
    };
    script.Then(inspect(QStringLiteral("apple")));
    script.Then(inspect(QStringLiteral("pear")));
    script.Then(inspect(QStringLiteral("apple")));
    for (int i = 0; i < 3; ++i)
        m_form->ActSearch->trigger();
    QCOMPARE(seen, (QStringList{"|", "apple|apple", "pear|pear,apple"}));
    QCOMPARE(m_form->SearchOptions().FindStr[0], QStringLiteral("apple"));
    QCOMPARE(m_form->SearchOptions().FindStr[1], QStringLiteral("pear"));
}

void TestFind::emptyTextIsStoredAndNotFound()
{
    TDialogScript script;
    Select(m_form, 1, 0);
    script.Then(FindDialog(QString()));
    m_form->ActSearch->trigger();
    QCOMPARE(script.Messages, QStringList{NotFound});
    QCOMPARE(m_form->SearchOptions().FindStr[0], QString());
    QCOMPARE(SelectionOf(m_form), Selection(-1, -1));
    QVERIFY(!m_form->SelectedSection());
}

void TestFind::valuesOnlyTurnsCommentsOff()
{
    TDialogScript script;
    bool disabled = false;
    bool checkedAgain = true;
    script.Then([&](QDialog &dialog) {
        auto &frm = static_cast<TFormSearch &>(dialog);
        disabled = !frm.CbxSectionComments->isEnabled() && !frm.CbxItemComments->isEnabled()
                   && frm.CbxSectionComments->isChecked() && frm.CbxItemNames->isEnabled();
        frm.CmbFindStr->setEditText(QStringLiteral("apple"));
        return int(QDialog::Accepted);
    });
    m_form->ActValuesOnly->trigger();
    m_form->ActSearch->trigger();
    QVERIFY(disabled);
    QVERIFY(!m_form->SearchOptions().SectionComments);
    QVERIFY(!m_form->SearchOptions().ItemComments);
    QVERIFY(m_form->SearchOptions().ItemValues);

    m_form->ActValuesOnly->trigger();
    script.Then([&](QDialog &dialog) {
        auto &frm = static_cast<TFormSearch &>(dialog);
        checkedAgain = frm.CbxSectionComments->isChecked() || frm.CbxItemComments->isChecked()
                       || !frm.CbxItemComments->isEnabled();
        return int(QDialog::Rejected);
    });
    m_form->ActSearch->trigger();
    QVERIFY(!checkedAgain);
}

void TestFind::forwardWrapsToTheTop()
{
    TDialogScript script;
    script.Then(FindDialog(QStringLiteral("apple")));
    m_form->ActSearch->trigger();
    QCOMPARE(SelectionOf(m_form), Selection(0, 1));
    m_form->ActFindNext->trigger();
    QCOMPARE(SelectionOf(m_form), Selection(1, 1));
    m_form->ActFindNext->trigger();
    QCOMPARE(SelectionOf(m_form), Selection(1, 2));
    QVERIFY(script.Messages.isEmpty());
    m_form->ActFindNext->trigger();
    QCOMPARE(script.Messages, QStringList{NotFound});
    QCOMPARE(SelectionOf(m_form), Selection(-1, -1));
    m_form->ActFindNext->trigger();
    QCOMPARE(SelectionOf(m_form), Selection(0, 1));
    QCOMPARE(script.DialogsShown(), 1);
}

void TestFind::backwardStopsThenOpensTheDialog()
{
    TDialogScript script;
    script.Then(FindDialog(QStringLiteral("apple")));
    m_form->ActSearch->trigger();
    m_form->ActFindNext->trigger();
    m_form->ActFindNext->trigger();
    QCOMPARE(SelectionOf(m_form), Selection(1, 2));
    m_form->ActFindPrevious->trigger();
    QCOMPARE(SelectionOf(m_form), Selection(1, 1));
    m_form->ActFindPrevious->trigger();
    QCOMPARE(SelectionOf(m_form), Selection(0, 1));
    QVERIFY(m_form->SearchOptions().Backwards);
    m_form->ActFindPrevious->trigger();
    QCOMPARE(script.Messages, QStringList{NotFound});
    QCOMPARE(SelectionOf(m_form), Selection(-1, -1));
    QCOMPARE(script.DialogsShown(), 1);
    m_form->ActFindPrevious->trigger();
    QCOMPARE(script.DialogsShown(), 2); // rejected: nothing else happens
    QCOMPARE(script.Messages.size(), 1);
    // Find Next instead starts again at the top.
    m_form->ActFindNext->trigger();
    QCOMPARE(SelectionOf(m_form), Selection(0, 1));
    QCOMPARE(script.DialogsShown(), 2);
}

void TestFind::previousAfterForwardEndSearchesFromTheEnd()
{
    TDialogScript script;
    script.Then(FindDialog(QStringLiteral("apple")));
    m_form->ActSearch->trigger();
    for (int i = 0; i < 3; ++i)
        m_form->ActFindNext->trigger();
    QCOMPARE(script.Messages, QStringList{NotFound});
    m_form->ActFindPrevious->trigger();
    QCOMPARE(SelectionOf(m_form), Selection(1, 2));
    QCOMPARE(script.DialogsShown(), 1);
}

void TestFind::sectionNameMatchSelectsNoValue()
{
    TDialogScript script;
    script.Then(FindDialog(QStringLiteral("Beta")));
    m_form->ActSearch->trigger();
    QCOMPARE(SelectionOf(m_form), Selection(1, -1));
    QCOMPARE(m_form->LvValues->model()->rowCount(), 3);
    QCOMPARE(m_form->FindCommands().ItemCursor(), KvSearchCursor::Before);
    m_form->ActFindNext->trigger();
    QCOMPARE(SelectionOf(m_form), Selection(1, 0)); // beta=1
}

void TestFind::selectionElsewhereMovesTheSearch()
{
    TDialogScript script;
    script.Then(FindDialog(QStringLiteral("apple")));
    m_form->ActSearch->trigger();
    QCOMPARE(SelectionOf(m_form), Selection(0, 1));
    Select(m_form, 1, 1); // fruit=apple pie
    m_form->ActFindNext->trigger();
    QCOMPARE(SelectionOf(m_form), Selection(1, 2));
    Select(m_form, 1, 0);
    m_form->ActFindPrevious->trigger();
    QCOMPARE(SelectionOf(m_form), Selection(0, 1));
}

void TestFind::findNextBeforeAnySearchOpensTheDialog_data()
{
    QTest::addColumn<bool>("backwards");
    QTest::addRow("F3") << false;
    QTest::addRow("Shift+F3") << true;
}

void TestFind::findNextBeforeAnySearchOpensTheDialog()
{
    QFETCH(bool, backwards);
    TDialogScript script;
    QCOMPARE(m_form->ActFindNext->shortcut(), QKeySequence(Qt::Key_F3));
    QCOMPARE(m_form->ActFindPrevious->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F3));
    script.Then(FindDialog(QStringLiteral("pear")));
    (backwards ? m_form->ActFindPrevious : m_form->ActFindNext)->trigger();
    QCOMPARE(script.DialogsShown(), 1);
    // The dialog's search always goes forward.
    QCOMPARE(SelectionOf(m_form), Selection(0, 0));
    QVERIFY(!m_form->SearchOptions().Backwards);
}

void TestFind::valuesOnlySelectsTheShownRow()
{
    TDialogScript script;
    m_form->ActValuesOnly->trigger();
    script.Then(FindDialog(QStringLiteral("apple")));
    m_form->ActSearch->trigger();
    QCOMPARE(SelectionOf(m_form), Selection(0, 1));
    m_form->ActFindNext->trigger();
    QCOMPARE(SelectionOf(m_form), Selection(1, 1));
    QCOMPARE(m_form->FindCommands().ItemCursor(), 1);
    // The comment line is not searched in this view.
    m_form->ActFindNext->trigger();
    QCOMPARE(script.Messages, QStringList{NotFound});
}

QTEST_MAIN(TestFind)
#include "tst_findcommands.moc"
