// The filter box in the window: the keys that reach it, the rows and counts
// it leaves, and the commands on filtered rows, which change the document
// where the rows' entries are, not where the rows are.
#include "editortesting.h"
#include "formsearch.h"
#include "frmitem.h"
#include "frmsection.h"
#include "kvmemo.h"
#include "lists/kvfilterbar.h"
#include "lists/kvfilteredit.h"
#include "sectionmodel.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QUndoStack>

using namespace EditorTesting;

namespace {

const QByteArray Sample = "[PHP]\n"
                          "engine=On\n"
                          "memory_limit=128M\n"
                          ";memory comment\n"
                          "max_execution_time=30\n"
                          "[Session]\n"
                          "session.save_path=/tmp\n"
                          "gc_maxlifetime=1440\n"
                          "[mysql]\n"
                          "mysql.allow_persistent=On\n"
                          "[memcache]\n"
                          "hash_strategy=consistent\n"
                          "chunk_size=8192\n";

QStringList SectionRows(const TForm1 *form)
{
    QStringList rows;
    for (int row = 0; row < form->SectionModel()->rowCount(); ++row)
        rows << form->SectionModel()->SectionAt(row)->Name;
    return rows;
}

// The document's sections and entries, "|" between sections.
QString Outline(TForm1 *form)
{
    QStringList sections;
    for (const TKvIniSection *section : form->Document().Sections) {
        QStringList names{section->Name + u':'};
        for (const TKvIniVal *val : section->Vals)
            names << (val->Kind() == ikValue ? val->Name() : QStringLiteral("~"));
        sections << names.join(u' ');
    }
    return sections.join(QStringLiteral(" | "));
}

TDialogScript::Step SectionDialog(const QString &name)
{
    return [=](QDialog &dialog) {
        static_cast<TFrmSection &>(dialog).EdName->setText(name);
        return int(QDialog::Accepted);
    };
}

TDialogScript::Step ItemDialog(const QString &name, const QString &value)
{
    return [=](QDialog &dialog) {
        auto &frm = static_cast<TFrmItem &>(dialog);
        frm.EdName->setText(name);
        frm.MemoValue->SetText(value);
        return int(QDialog::Accepted);
    };
}

using Command = std::function<void(TForm1 *, TDialogScript &)>;

} // namespace

Q_DECLARE_METATYPE(Command)

class TestFilterWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void filterThroughTheKeys();
    void commandsOnFilteredRows_data();
    void commandsOnFilteredRows();
    void findShowsAHiddenMatch();
    void modelsStayConsistent();

private:
    void Filter(const QString &text);

    QTemporaryDir m_dir;
    TForm1 *m_form = nullptr;
};

void TestFilterWindow::init()
{
    m_form = OpenForm(WriteFile(m_dir, QStringLiteral("php.ini"), Sample));
    QVERIFY(m_form);
}

void TestFilterWindow::cleanup()
{
    if (m_form)
        m_form->Doc().MarkSaved();
    delete m_form;
    m_form = nullptr;
}

void TestFilterWindow::Filter(const QString &text)
{
    m_form->FilterBar->EdFilter->setText(text);
}

void TestFilterWindow::filterThroughTheKeys()
{
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    TKvFilterEdit *edit = m_form->FilterBar->EdFilter;
    QLabel *counts = m_form->FilterBar->LbFilterCount;
    m_form->LvSections->setFocus();
    QCOMPARE(counts->text(), QString());

    QTest::keyClick(m_form->LvSections, Qt::Key_L, Qt::ControlModifier);
    QVERIFY(edit->hasFocus());
    QTest::keyClicks(edit, QStringLiteral("mem"));
    // [PHP] has memory_limit (the comment line does not count); [memcache] passes by its name.
    QCOMPARE(SectionRows(m_form), (QStringList{"PHP", "memcache"}));
    QCOMPARE(m_form->SelectedSection()->Name, QStringLiteral("PHP"));
    QCOMPARE(ValueRows(m_form), QStringList{"memory_limit=128M"});
    QCOMPARE(counts->text(), QStringLiteral("Sections: 2 of 4    Items: 1 of 4"));
    // Of a section whose name passes, every line is shown.
    m_form->SelectRow(m_form->LvSections, 1);
    QCOMPARE(ValueRows(m_form), (QStringList{"hash_strategy=consistent", "chunk_size=8192"}));
    QCOMPARE(counts->text(), QStringLiteral("Sections: 2 of 4    Items: 2 of 2"));
    // Values-only mode and the filter together: the comment was hidden already.
    m_form->SelectRow(m_form->LvSections, 0);
    m_form->ActValuesOnly->trigger();
    QCOMPARE(ValueRows(m_form), QStringList{"memory_limit=128M"});
    QCOMPARE(counts->text(), QStringLiteral("Sections: 2 of 4    Items: 1 of 3"));
    m_form->ActValuesOnly->trigger();

    // Escape empties the box; the selection stays on its section.
    QTest::keyClick(edit, Qt::Key_Escape);
    QCOMPARE(edit->text(), QString());
    QCOMPARE(SectionRows(m_form), (QStringList{"PHP", "Session", "mysql", "memcache"}));
    QCOMPARE(m_form->SelectedSection()->Name, QStringLiteral("PHP"));
    QCOMPARE(ValueRows(m_form).size(), 4);
    QCOMPARE(counts->text(), QString());
    // Escape in the empty box goes back to the lists; "/" comes back.
    QTest::keyClick(edit, Qt::Key_Escape);
    QVERIFY(m_form->LvSections->hasFocus()); // no line of the value list is selected
    QTest::keyClick(m_form->LvSections, Qt::Key_Slash);
    QVERIFY(edit->hasFocus());
    // A text nothing contains: empty lists, no selection, and the commands that need one are off.
    QTest::keyClicks(edit, QStringLiteral("zzz"));
    QCOMPARE(SectionRows(m_form), QStringList());
    QVERIFY(!m_form->SelectedSection());
    QVERIFY(!m_form->ActEditSection->isEnabled());
    QCOMPARE(counts->text(), QStringLiteral("Sections: 0 of 4    Items: 0 of 0"));
}

void TestFilterWindow::commandsOnFilteredRows_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("sectionRow");
    QTest::addColumn<int>("valueRow");
    QTest::addColumn<Command>("command");
    QTest::addColumn<QString>("outline");   // the document after the command
    QTest::addColumn<QStringList>("values"); // the value list after it

    const QString all = QStringLiteral("PHP: engine memory_limit ~ max_execution_time | Session: "
                                       "session.save_path gc_maxlifetime | mysql: mysql.allow_persistent | "
                                       "memcache: hash_strategy chunk_size");
    QTest::addRow("delete the second shown section")
        << "mem" << 1 << -1 << Command([](TForm1 *f, TDialogScript &) { f->ActSilentDeleteSection->trigger(); })
        << "PHP: engine memory_limit ~ max_execution_time | Session: session.save_path gc_maxlifetime | "
           "mysql: mysql.allow_persistent"
        << QStringList{"memory_limit=128M"};
    QTest::addRow("insert before the second shown section")
        << "mem" << 1 << -1 << Command([](TForm1 *f, TDialogScript &script) {
               script.Then(SectionDialog(QStringLiteral("new")));
               f->ActInsertSection->trigger();
           })
        << QString(all).replace(QStringLiteral("memcache:"), QStringLiteral("new: ~ | memcache:"))
        << QStringList{""}; // shown, selected, with all its lines though none passes
    QTest::addRow("add an item that does not pass")
        << "mem" << 0 << 0 << Command([](TForm1 *f, TDialogScript &script) {
               script.Then(ItemDialog(QStringLiteral("port"), QStringLiteral("80")));
               f->ActAddItem->trigger();
           })
        << QString(all).replace(QStringLiteral("max_execution_time"), QStringLiteral("max_execution_time port"))
        << QStringList{"memory_limit=128M", "port=80"};
    QTest::addRow("insert an item before the shown one")
        << "memory" << 0 << 0 << Command([](TForm1 *f, TDialogScript &script) {
               script.Then(ItemDialog(QStringLiteral("port"), QStringLiteral("80")));
               f->ActInsertItem->trigger();
           })
        << QString(all).replace(QStringLiteral("engine memory_limit"), QStringLiteral("engine port memory_limit"))
        << QStringList{"port=80", "memory_limit=128M"};
    QTest::addRow("delete the shown item")
        << "limit" << 0 << 0 << Command([](TForm1 *f, TDialogScript &) { f->ActSilentDeleteItem->trigger(); })
        << QString(all).replace(QStringLiteral("memory_limit "), QString()) << QStringList();
    QTest::addRow("edit the shown item so that it no longer passes")
        << "limit" << 0 << 0 << Command([](TForm1 *f, TDialogScript &script) {
               script.Then(ItemDialog(QStringLiteral("memory"), QStringLiteral("1G")));
               f->ActEditItem->trigger();
           })
        << QString(all).replace(QStringLiteral("memory_limit"), QStringLiteral("memory"))
        << QStringList{"memory=1G"};
    QTest::addRow("comment out the shown item")
        << "max_exec" << 0 << 0 << Command([](TForm1 *f, TDialogScript &) { f->ActCommentUncomment->trigger(); })
        << QString(all).replace(QStringLiteral("~ max_execution_time"), QStringLiteral("~ ~"))
        << QStringList{";max_execution_time=30"};
}

void TestFilterWindow::commandsOnFilteredRows()
{
    QFETCH(QString, filter);
    QFETCH(int, sectionRow);
    QFETCH(int, valueRow);
    QFETCH(Command, command);
    QFETCH(QString, outline);
    QFETCH(QStringList, values);
    const QString before = Outline(m_form);
    Filter(filter);
    Select(m_form, sectionRow, valueRow);
    if (valueRow >= 0)
        m_form->LvValues->setFocus(); // item commands act on the list with the focus
    TDialogScript script;
    command(m_form, script);
    QVERIFY(script.AllUsed());
    QCOMPARE(Outline(m_form), outline);
    QCOMPARE(ValueRows(m_form), values);
    // One step takes it back, with the filter still on.
    m_form->UndoStack()->undo();
    QCOMPARE(Outline(m_form), before);
    QCOMPARE(m_form->FilterBar->EdFilter->text(), filter);
    m_form->UndoStack()->redo();
    QCOMPARE(Outline(m_form), outline);
}

// Find searches the document: a match the filter hides empties the box and is selected.
void TestFilterWindow::findShowsAHiddenMatch()
{
    Filter(QStringLiteral("mem"));
    TDialogScript script;
    script.Then([](QDialog &dialog) {
        static_cast<TFormSearch &>(dialog).CmbFindStr->setEditText(QStringLiteral("gc_max"));
        return int(QDialog::Accepted);
    });
    m_form->ActSearch->trigger();
    QCOMPARE(m_form->FilterBar->EdFilter->text(), QString());
    QCOMPARE(m_form->SelectedSection()->Name, QStringLiteral("Session"));
    QCOMPARE(SelectionOf(m_form), Selection(1, 1));
    // A match the filter shows leaves it on.
    Filter(QStringLiteral("mysql"));
    script.Then([](QDialog &dialog) {
        static_cast<TFormSearch &>(dialog).CmbFindStr->setEditText(QStringLiteral("persistent"));
        return int(QDialog::Accepted);
    });
    m_form->ActSearch->trigger();
    QCOMPARE(m_form->FilterBar->EdFilter->text(), QStringLiteral("mysql"));
    QCOMPARE(SelectionOf(m_form), Selection(0, 0));
}

// Qt's model tester watches both models through filtered changes and their undo.
void TestFilterWindow::modelsStayConsistent()
{
    QAbstractItemModelTester sections(m_form->SectionModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QAbstractItemModelTester values(m_form->ValueModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    Filter(QStringLiteral("e"));
    Select(m_form, 0, 1);
    m_form->ActSilentDeleteItem->trigger();
    m_form->ActSilentDeleteSection->trigger();
    m_form->UndoStack()->undo();
    m_form->UndoStack()->undo();
    Filter(QStringLiteral("session"));
    m_form->ActValuesOnly->trigger();
    Filter(QString());
    QCOMPARE(m_form->SectionModel()->rowCount(), 4);
}

QTEST_MAIN(TestFilterWindow)
#include "tst_filterwindow.moc"
