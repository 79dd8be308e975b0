// The section and item commands from the window, their dialogs, and undo/redo
// of every change they make; headless, with scripted dialogs.
#include "editortesting.h"
#include "frmitem.h"
#include "frmsection.h"
#include "kvmemo.h"
#include "sectionmodel.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUndoStack>

using namespace EditorTesting;

namespace {

const QByteArray Sample = "[Main] ;main comment\n"
                          "b=2\n"
                          ";c1\n"
                          "a=1 ;one\n"
                          "\n"
                          "[Second]\n"
                          "x=9\n"
                          "[Comments]\n"
                          ";only\n"
                          ";comments\n";

// Dialog steps.
TDialogScript::Step SectionDialog(const QString &name, const QString &comment)
{
    return [=](QDialog &dialog) {
        auto &frm = static_cast<TFrmSection &>(dialog);
        frm.EdName->setText(name);
        frm.MemoComment->SetText(comment);
        return frm.ButApply->isEnabled() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    };
}

TDialogScript::Step ItemDialog(const QString &name, const QString &value, const QString &comment,
                               bool multiLine = false)
{
    return [=](QDialog &dialog) {
        auto &frm = static_cast<TFrmItem &>(dialog);
        frm.EdName->setText(name);
        frm.MemoValue->SetText(value);
        frm.MemoComment->SetText(comment);
        if (multiLine)
            frm.CbxMultiLineComment->click();
        return int(QDialog::Accepted);
    };
}

TDialogScript::Step Cancel()
{
    return [](QDialog &) { return int(QDialog::Rejected); };
}

using Command = std::function<void(TForm1 *, TDialogScript &)>;

} // namespace

Q_DECLARE_METATYPE(Command)

class TestCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void addSectionAppendsWithBlankLine();
    void insertSectionGoesBeforeSelected();
    void sectionDialogApplyRule_data();
    void sectionDialogApplyRule();
    void deleteSectionSelection_data();
    void deleteSectionSelection();
    void deleteQuestions_data();
    void deleteQuestions();
    void cancelChangesNothing();
    void commentLines_data();
    void commentLines();
    void valuesOnlyPlacement_data();
    void valuesOnlyPlacement();
    void editItemMultiLineComment();
    void itemDialogRules();
    void commentToggleNeedsValueListFocus();
    void sortAll_data();
    void sortAll();
    void undoRedo_data();
    void undoRedo();
    void undoAcrossValuesOnlySwitch();
    void undoAfterSelectingElsewhere();
    void modifiedFollowsTheStack();
    void undoActionsNameTheStep();
    void clearingTheDocumentResetsUndo();
    void modelsStayConsistent();

private:
    TForm1 *Open(const QByteArray &bytes = Sample);
    QTemporaryDir m_config;
    QTemporaryDir m_dir;
    TForm1 *m_form = nullptr;
    int m_files = 0;
};

void TestCommands::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
}

void TestCommands::cleanup()
{
    delete m_form;
    m_form = nullptr;
}

TForm1 *TestCommands::Open(const QByteArray &bytes)
{
    const QString path = WriteFile(m_dir, QStringLiteral("f%1.ini").arg(++m_files), bytes);
    m_form = OpenForm(path);
    return m_form;
}

void TestCommands::addSectionAppendsWithBlankLine()
{
    TForm1 *form = Open();
    QVERIFY(form);
    TDialogScript script;
    script.Then([](QDialog &dialog) {
        auto &frm = static_cast<TFrmSection &>(dialog);
        // Needs a name: Apply starts disabled.
        if (frm.windowTitle() != QStringLiteral("Add Section") || frm.ButApply->isEnabled())
            return int(QDialog::Rejected);
        frm.EdName->setText(QStringLiteral("A"));
        return frm.ButApply->isEnabled() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
    form->ActAddSection->trigger();
    TKvMemIni &ini = form->Document();
    QCOMPARE(ini.Sections.Count(), 4);
    QCOMPARE(ini.Sections[3]->Name, QStringLiteral("A"));
    QCOMPARE(ini.Sections[3]->Comment, QString());
    QCOMPARE(SelectionOf(form).first, 3);
    QCOMPARE(form->SelectedSection(), ini.Sections[3]);
    QCOMPARE(form->LvValues->model()->rowCount(), 1);
    QCOMPARE(form->ValueModel()->ValAt(0)->Kind(), ikBlank);
    QCOMPARE(
        form->SectionModel()->data(form->SectionModel()->index(3, TKvSectionModel::CountColumn)).toString(),
        QStringLiteral("1"));
    QVERIFY(form->Modified());
}

void TestCommands::insertSectionGoesBeforeSelected()
{
    TForm1 *form = Open();
    QVERIFY(form);
    Select(form, 1, -1);
    TDialogScript script;
    script.Then(SectionDialog(QStringLiteral("New"), QStringLiteral("c")));
    form->ActInsertSection->trigger();
    TKvMemIni &ini = form->Document();
    QCOMPARE(ini.Sections[1]->Name, QStringLiteral("New"));
    QCOMPARE(ini.Sections[1]->Comment, QStringLiteral("c"));
    QCOMPARE(ini.Sections[2]->Name, QStringLiteral("Second"));
    QCOMPARE(SelectionOf(form), Selection(1, -1));
    QCOMPARE(form->LvSections->model()->rowCount(), 4);
}

void TestCommands::sectionDialogApplyRule_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<bool>("enabled");
    QTest::addRow("unchanged") << "Main"
                               << "note" << false;
    QTest::addRow("name in other case") << "MAIN"
                                        << "note" << false;
    QTest::addRow("comment in other case") << "Main"
                                           << "NOTE" << false;
    QTest::addRow("new name") << "Main2"
                              << "note" << true;
    QTest::addRow("new comment") << "Main"
                                 << "note 2" << true;
    QTest::addRow("empty name") << ""
                                << "other" << false;
    QTest::addRow("name that would not read back") << "Ma]in"
                                                   << "note" << false;
    QTest::addRow("comment that would not read back") << "Main"
                                                      << "two\nlines" << false;
}

void TestCommands::sectionDialogApplyRule()
{
    QFETCH(QString, name);
    QFETCH(QString, comment);
    QFETCH(bool, enabled);
    TFrmSection dialog(nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Add Section"));
    dialog.SetName(QStringLiteral("Main"));
    dialog.SetComment(QStringLiteral("note"));
    QCOMPARE(dialog.OrgName, QStringLiteral("Main"));
    QVERIFY(!dialog.ButApply->isEnabled());
    dialog.EdName->setText(name);
    dialog.MemoComment->SetText(comment);
    QCOMPARE(dialog.ButApply->isEnabled(), enabled);
    // A text that would not read back as typed says why.
    QCOMPARE(!dialog.LbHint->text().isEmpty(), name.contains(u']') || comment.contains(u'\n'));
    QCOMPARE(dialog.Name(), name);
    QCOMPARE(dialog.Comment(), comment);
}

void TestCommands::deleteSectionSelection_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("selectedAfter");
    QTest::addColumn<int>("valueRowsAfter");
    QTest::addRow("first") << Sample << 0 << 0 << 1;
    QTest::addRow("last selects the new last") << Sample << 2 << 1 << 1;
    QTest::addRow("only leaves both lists empty") << QByteArray("[Only]\nk=v\n") << 0 << -1 << 0;
}

void TestCommands::deleteSectionSelection()
{
    QFETCH(QByteArray, file);
    QFETCH(int, row);
    QFETCH(int, selectedAfter);
    QFETCH(int, valueRowsAfter);
    TForm1 *form = Open(file);
    QVERIFY(form);
    Select(form, row, -1);
    TDialogScript script;
    script.HoldKeys(Qt::ShiftModifier);
    form->ActDeleteSection->trigger();
    QCOMPARE(SelectionOf(form).first, selectedAfter);
    QCOMPARE(form->LvValues->model()->rowCount(), valueRowsAfter);
    QCOMPARE(form->SelectedSection() == nullptr, selectedAfter < 0);
    QVERIFY(script.Messages.isEmpty());
}

void TestCommands::deleteQuestions_data()
{
    QTest::addColumn<bool>("section");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("question");
    QTest::addColumn<bool>("deleted");
    const QString sectionQuestion = "Delete Section ?|Are You sure You want to delete the section "
                                    "named:\r\n\"Main\"\r\nAnd all its Items ?";
    const QString itemQuestion =
        "Delete Value Item ?|Are You sure You want to delete the Item named:\r\n\"a\" ?";
    QTest::addRow("section, yes") << true << false << int(tmrYes) << sectionQuestion << true;
    QTest::addRow("section, no") << true << false << int(tmrNo) << sectionQuestion << false;
    QTest::addRow("section, shift") << true << true << int(tmrNo) << QString() << true;
    QTest::addRow("item, yes") << false << false << int(tmrYes) << itemQuestion << true;
    QTest::addRow("item, no") << false << false << int(tmrNo) << itemQuestion << false;
    QTest::addRow("item, shift") << false << true << int(tmrNo) << QString() << true;
}

void TestCommands::deleteQuestions()
{
    QFETCH(bool, section);
    QFETCH(bool, shift);
    QFETCH(int, answer);
    QFETCH(QString, question);
    QFETCH(bool, deleted);
    TForm1 *form = Open();
    QVERIFY(form);
    Select(form, 0, 2); // Main, a=1
    const QString before = form->Document().GetText();
    TDialogScript script;
    script.AnswerBoxes(TKvModalResult(answer));
    if (shift)
        script.HoldKeys(Qt::ShiftModifier);
    (section ? form->ActDeleteSection : form->ActDeleteItem)->trigger();
    QCOMPARE(script.Messages, question.isEmpty() ? QStringList() : QStringList{question});
    QCOMPARE(form->Document().GetText() != before, deleted);
    if (section)
        QCOMPARE(form->Document().Sections.Count(), deleted ? 2 : 3);
    else
        QCOMPARE(form->LvValues->model()->rowCount(), deleted ? 3 : 4);
    // The item that follows takes the deleted one's place in the selection.
    if (deleted && !section)
        QCOMPARE(SelectionOf(form), Selection(0, 2));
}

void TestCommands::cancelChangesNothing()
{
    TForm1 *form = Open();
    QVERIFY(form);
    Select(form, 0, 1);
    const QString before = form->Document().GetText();
    TDialogScript script;
    for (QAction *action : {form->ActAddSection, form->ActInsertSection, form->ActCopySection,
                            form->ActEditSection, form->ActAddItem, form->ActInsertItem, form->ActEditItem}) {
        script.Then(Cancel());
        action->trigger();
    }
    QCOMPARE(script.DialogsShown(), 7);
    QCOMPARE(form->Document().GetText(), before);
    QCOMPARE(SelectionOf(form), Selection(0, 1));
    QVERIFY(!form->Modified());
    QVERIFY(!form->UndoStack()->canUndo());
}

void TestCommands::commentLines_data()
{
    QTest::addColumn<bool>("insert");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("selected");
    QTest::addRow("added at the end") << false << QStringList{"b=2", ";c1", "a=1", "", ";l1", "", ";l3"} << 6;
    QTest::addRow("inserted before the selected")
        << true << QStringList{"b=2", ";l1", "", ";l3", ";c1", "a=1", ""} << 3;
}

void TestCommands::commentLines()
{
    QFETCH(bool, insert);
    QFETCH(QStringList, rows);
    QFETCH(int, selected);
    TForm1 *form = Open();
    QVERIFY(form);
    Select(form, 0, 1);
    TDialogScript script;
    script.Then(ItemDialog(QString(), QString(), QStringLiteral("l1\n\nl3"), true));
    (insert ? form->ActInsertItem : form->ActAddItem)->trigger();
    QCOMPARE(ValueRows(form), rows);
    QCOMPARE(SelectionOf(form), Selection(0, selected));
    // The empty line is a blank entry; the others are comments.
    const TKvIniSection *main = form->Document().Sections[0];
    QCOMPARE(main->Vals.Count(), 7);
    QCOMPARE(
        form->SectionModel()->data(form->SectionModel()->index(0, TKvSectionModel::CountColumn)).toString(),
        QStringLiteral("7"));
    form->ActUndo->trigger();
    QCOMPARE(main->Vals.Count(), 4);
    QCOMPARE(SelectionOf(form), Selection(0, 1));
}

void TestCommands::valuesOnlyPlacement_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("insert");
    QTest::addColumn<int>("valueRow");
    QTest::addColumn<QString>("expected");
    QTest::addRow("add after the last value item")
        << QByteArray("[S]\nv=1\n;c1\n;c2\n") << false << 0 << "[S]\r\nv=1\r\nn=new\r\n;c1\r\n;c2\r\n\r\n";
    QTest::addRow("add on comments only goes to the top")
        << QByteArray("[S]\n;c1\n;c2\n") << false << -1 << "[S]\r\nn=new\r\n;c1\r\n;c2\r\n\r\n";
    QTest::addRow("insert before the second visible item")
        << QByteArray("[S]\nv=1\n;c1\n;c2\nw=2\n") << true << 1
        << "[S]\r\nv=1\r\n;c1\r\n;c2\r\nn=new\r\nw=2\r\n\r\n";
}

void TestCommands::valuesOnlyPlacement()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, insert);
    QFETCH(int, valueRow);
    QFETCH(QString, expected);
    TForm1 *form = Open(file);
    QVERIFY(form);
    const QString before = form->Document().GetText();
    form->ActValuesOnly->trigger();
    Select(form, 0, valueRow);
    TDialogScript script;
    script.Then([](QDialog &dialog) {
        auto &frm = static_cast<TFrmItem &>(dialog);
        if (frm.CbxMultiLineComment->isVisibleTo(&frm))
            return int(QDialog::Rejected); // hidden in values-only mode
        frm.EdName->setText(QStringLiteral("n"));
        frm.MemoValue->SetText(QStringLiteral("new"));
        return int(QDialog::Accepted);
    });
    (insert ? form->ActInsertItem : form->ActAddItem)->trigger();
    QCOMPARE(form->Document().GetText(), expected);
    // The new row is where the command put it and selected.
    const int row = SelectedRow(form->LvValues);
    QVERIFY(row >= 0);
    QCOMPARE(form->ValueModel()->ValAt(row)->Name(), QStringLiteral("n"));
    QCOMPARE(row, insert ? valueRow : form->LvValues->model()->rowCount() - 1);
    form->ActUndo->trigger();
    QCOMPARE(form->Document().GetText(), before);
}

void TestCommands::editItemMultiLineComment()
{
    TForm1 *form = Open();
    QVERIFY(form);
    Select(form, 0, 1); // ;c1
    TDialogScript script;
    script.Then([](QDialog &dialog) {
        auto &frm = static_cast<TFrmItem &>(dialog);
        if (frm.windowTitle() != QStringLiteral("Edit Value Item")
            || frm.MemoComment->Text() != QStringLiteral("c1"))
            return int(QDialog::Rejected);
        frm.CbxMultiLineComment->click();
        frm.MemoComment->SetText(QStringLiteral("first\nsecond\nthird"));
        return int(QDialog::Accepted);
    });
    form->ActEditItem->trigger();
    const TKvIniSection *main = form->Document().Sections[0];
    QCOMPARE(main->Vals.Count(), 4);
    QCOMPARE(main->Vals[1]->Comment(), QStringLiteral("first second third"));
    QCOMPARE(main->Vals[1]->Kind(), ikComment);
    QCOMPARE(SelectionOf(form), Selection(0, 1));
    QCOMPARE(form->ValueModel()->data(form->ValueModel()->index(1, TKvValueModel::CommentColumn)).toString(),
             QStringLiteral("first second third"));
}

void TestCommands::itemDialogRules()
{
    TFrmItem dialog(nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Add Value Item"));
    QVERIFY(dialog.ButApply->isEnabled());
    QVERIFY(dialog.CbxMultiLineComment->isEnabled());
    dialog.CbxMultiLineComment->click();
    QVERIFY(dialog.MemoComment->WantReturns());
    QCOMPARE(dialog.MemoComment->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    // A name makes the entry an item: one line only.
    dialog.EdName->setText(QStringLiteral("k"));
    QVERIFY(!dialog.CbxMultiLineComment->isEnabled());
    QVERIFY(!dialog.MemoComment->WantReturns());
    QCOMPARE(dialog.MemoComment->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    // A name that would not read back keeps Apply disabled, with the reason shown.
    dialog.EdName->setText(QStringLiteral("a=b"));
    QVERIFY(!dialog.ButApply->isEnabled());
    QVERIFY(!dialog.LbHint->text().isEmpty());
    dialog.EdName->clear();
    QVERIFY(dialog.ButApply->isEnabled());
    QVERIFY(dialog.LbHint->text().isEmpty());
    dialog.MemoValue->SetText(QStringLiteral("v"));
    QVERIFY(!dialog.CbxMultiLineComment->isEnabled());

    // Generate a Password puts the generator's result into the value.
    {
        TDialogScript script;
        script.Then([](QDialog &generator) {
            auto *result = generator.findChild<QLineEdit *>(QStringLiteral("EdResult"));
            if (!result)
                return int(QDialog::Rejected);
            result->setText(QStringLiteral("S3cret"));
            return int(QDialog::Accepted);
        });
        dialog.ButPassword->click();
        QCOMPARE(dialog.MemoValue->Text(), QStringLiteral("S3cret"));
        script.Then(Cancel());
        dialog.ButPassword->click();
        QCOMPARE(dialog.MemoValue->Text(), QStringLiteral("S3cret"));
    }
    dialog.MemoValue->SetText(QStringLiteral("v"));

    // Enter in a memo that takes no returns presses Apply.
    bool accepted = false;
    QObject::connect(&dialog, &QDialog::accepted, [&] { accepted = true; });
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.MemoValue->setFocus();
    QTest::keyClick(dialog.MemoValue, Qt::Key_Return);
    QCOMPARE(dialog.MemoValue->Text(), QStringLiteral("v"));
    QVERIFY(accepted);
}

void TestCommands::commentToggleNeedsValueListFocus()
{
    TForm1 *form = Open();
    QVERIFY(form);
    QVERIFY(QTest::qWaitForWindowActive(form));
    Select(form, 0, 0); // b=2
    form->LvSections->setFocus();
    form->ActCommentUncomment->trigger();
    QCOMPARE(form->Document().Sections[0]->Vals[0]->Kind(), ikValue);
    form->LvValues->setFocus();
    const QString before = form->Document().GetText();
    form->ActCommentUncomment->trigger();
    QCOMPARE(form->Document().Sections[0]->Vals[0]->Kind(), ikComment);
    QCOMPARE(form->ValueModel()->data(form->ValueModel()->index(0, TKvValueModel::CommentColumn)).toString(),
             QStringLiteral("b=2"));
    QCOMPARE(form->ActUndo->toolTip(), QStringLiteral("Undo Comment Item"));
    form->ActCommentUncomment->trigger();
    QCOMPARE(form->Document().GetText(), before);
    QCOMPARE(form->ActUndo->toolTip(), QStringLiteral("Undo Uncomment Item"));
}

void TestCommands::sortAll_data()
{
    QTest::addColumn<bool>("ctrl");
    QTest::addColumn<QStringList>("sections");
    QTest::addRow("ascending") << false << QStringList{"Comments", "Main", "Second"};
    QTest::addRow("ctrl: descending") << true << QStringList{"Second", "Main", "Comments"};
}

void TestCommands::sortAll()
{
    QFETCH(bool, ctrl);
    QFETCH(QStringList, sections);
    TForm1 *form = Open();
    QVERIFY(form);
    Select(form, 0, 3); // Main, a=1
    TKvIniSection *main = form->SelectedSection();
    TKvIniVal *a = form->ValueModel()->ValAt(3);
    TDialogScript script;
    if (ctrl)
        script.HoldKeys(Qt::ControlModifier);
    form->ActSortAll->trigger();
    QStringList names;
    for (const TKvIniSection *section : form->Document().Sections)
        names << section->Name;
    QCOMPARE(names, sections);
    // The document holds what the core's sort makes of it.
    TKvMemIni reference;
    QVERIFY(reference.Parse(QString::fromLatin1(Sample)));
    reference.SortAll(skName, !ctrl);
    QCOMPARE(form->Document().GetText(), reference.GetText());
    // The section and the entry stay selected where they went.
    QCOMPARE(form->SelectedSection(), main);
    QCOMPARE(SelectedRow(form->LvSections), sections.indexOf("Main"));
    QCOMPARE(form->ValueModel()->ValAt(SelectedRow(form->LvValues)), a);
    QCOMPARE(form->ActUndo->toolTip(),
             ctrl ? QStringLiteral("Undo Sort All Descending") : QStringLiteral("Undo Sort All"));
}

void TestCommands::undoRedo_data()
{
    QTest::addColumn<int>("sectionRow");
    QTest::addColumn<int>("valueRow");
    QTest::addColumn<Command>("command");
    auto trigger = [](QAction *TForm1::*action, TDialogScript::Step step = {}) {
        return QVariant::fromValue(Command([action, step](TForm1 *form, TDialogScript &script) {
            if (step)
                script.Then(step);
            (form->*action)->trigger();
        }));
    };
    auto row = [](const char *name, int s, int v, const QVariant &command) {
        QTest::addRow("%s", name) << s << v << command.value<Command>();
    };
    row("add section", 1, 0, trigger(&TForm1::ActAddSection, SectionDialog("New", "c")));
    row("insert section", 1, 0, trigger(&TForm1::ActInsertSection, SectionDialog("New", "")));
    row("copy section", 0, 2, trigger(&TForm1::ActCopySection, SectionDialog("Main copy", "")));
    row("edit section", 0, 2, trigger(&TForm1::ActEditSection, SectionDialog("Renamed", "new comment")));
    row("delete section", 0, 2, trigger(&TForm1::ActSilentDeleteSection));
    row("delete last section", 2, 1, trigger(&TForm1::ActSilentDeleteSection));
    row("add item", 0, 1, trigger(&TForm1::ActAddItem, ItemDialog("k", "v", "c")));
    row("insert item", 0, 1, trigger(&TForm1::ActInsertItem, ItemDialog("k", "v", "")));
    row("edit item", 0, 2, trigger(&TForm1::ActEditItem, ItemDialog("a", "  changed ", "x")));
    row("delete item", 0, 2, trigger(&TForm1::ActSilentDeleteItem));
    row("delete the only item", 1, 0, trigger(&TForm1::ActSilentDeleteItem));
    row("add comment lines", 0, 1, trigger(&TForm1::ActAddItem, ItemDialog("", "", "x\ny", true)));
    row("insert comment lines", 0, 1, trigger(&TForm1::ActInsertItem, ItemDialog("", "", "x\ny", true)));
    row("comment item", 0, 0, QVariant::fromValue(Command([](TForm1 *form, TDialogScript &) {
            form->LvValues->setFocus();
            form->ActCommentUncomment->trigger();
        })));
    row("uncomment item", 0, 1, QVariant::fromValue(Command([](TForm1 *form, TDialogScript &) {
            form->LvValues->setFocus();
            form->ActCommentUncomment->trigger();
        })));
    row("sort all", 0, 3, trigger(&TForm1::ActSortAll));
    row("sort sections by name", 1, 0, QVariant::fromValue(Command([](TForm1 *form, TDialogScript &) {
            emit form->LvSections->horizontalHeader()->sectionClicked(TKvSectionModel::NameColumn);
        })));
    row("sort items by value", 0, 3, QVariant::fromValue(Command([](TForm1 *form, TDialogScript &) {
            emit form->LvValues->horizontalHeader()->sectionClicked(TKvValueModel::ValueColumn);
        })));
}

void TestCommands::undoRedo()
{
    QFETCH(int, sectionRow);
    QFETCH(int, valueRow);
    QFETCH(Command, command);
    TForm1 *form = Open();
    QVERIFY(form);
    QAbstractItemModelTester sections(form->SectionModel(),
                                      QAbstractItemModelTester::FailureReportingMode::QtTest);
    QAbstractItemModelTester values(form->ValueModel(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    Select(form, sectionRow, valueRow);
    const QString before = form->Document().GetText();
    const Selection selectionBefore = SelectionOf(form);
    const QStringList rowsBefore = ValueRows(form);

    TDialogScript script;
    command(form, script);
    QVERIFY(script.AllUsed());
    const QString after = form->Document().GetText();
    QVERIFY(after != before || QByteArray(QTest::currentDataTag()).startsWith("sort"));
    const Selection selectionAfter = SelectionOf(form);
    const QStringList rowsAfter = ValueRows(form);
    QCOMPARE(form->UndoStack()->count(), 1);
    QVERIFY(form->Modified());

    form->ActUndo->trigger();
    QCOMPARE(form->Document().GetText(), before);
    QCOMPARE(SelectionOf(form), selectionBefore);
    QCOMPARE(ValueRows(form), rowsBefore);
    QCOMPARE(form->LvSections->model()->rowCount(), form->Document().Sections.Count());
    QVERIFY(!form->Modified());

    form->ActRedo->trigger();
    QCOMPARE(form->Document().GetText(), after);
    QCOMPARE(SelectionOf(form), selectionAfter);
    QCOMPARE(ValueRows(form), rowsAfter);
    QVERIFY(form->Modified());

    // Twice more, to see the steps can go back and forth.
    form->ActUndo->trigger();
    form->ActRedo->trigger();
    form->ActUndo->trigger();
    QCOMPARE(form->Document().GetText(), before);
}

void TestCommands::undoAcrossValuesOnlySwitch()
{
    TForm1 *form = Open();
    QVERIFY(form);
    Select(form, 0, 1);
    const QString before = form->Document().GetText();
    TDialogScript script;
    script.HoldKeys(Qt::ShiftModifier);
    form->ActDeleteItem->trigger(); // ;c1
    script.Then(ItemDialog("n", "v", ""));
    form->ActAddItem->trigger();
    const QString after = form->Document().GetText();
    form->ActValuesOnly->trigger();
    form->ActUndo->trigger();
    form->ActUndo->trigger();
    QCOMPARE(form->Document().GetText(), before);
    QCOMPARE(ValueRows(form), (QStringList{"b=2", "a=1"}));
    form->ActValuesOnly->trigger();
    QCOMPARE(ValueRows(form), (QStringList{"b=2", ";c1", "a=1", ""}));
    form->ActValuesOnly->trigger();
    form->ActRedo->trigger();
    form->ActRedo->trigger();
    QCOMPARE(form->Document().GetText(), after);
    QCOMPARE(ValueRows(form), (QStringList{"b=2", "a=1", "n=v"}));
}

void TestCommands::undoAfterSelectingElsewhere()
{
    TForm1 *form = Open();
    QVERIFY(form);
    Select(form, 0, 0);
    const QString before = form->Document().GetText();
    TDialogScript script;
    script.Then(ItemDialog("k", "v", ""));
    form->ActAddItem->trigger();
    Select(form, 1, 0); // Second
    form->ActUndo->trigger();
    QCOMPARE(form->Document().GetText(), before);
    QCOMPARE(SelectionOf(form), Selection(0, 0));
    QCOMPARE(form->LvValues->model()->rowCount(), 4);
}

void TestCommands::modifiedFollowsTheStack()
{
    TForm1 *form = Open();
    QVERIFY(form);
    Select(form, 0, 0);
    QVERIFY(!form->Modified());
    TDialogScript script;
    script.HoldKeys(Qt::ShiftModifier);
    form->ActDeleteItem->trigger();
    QVERIFY(form->Modified());
    QVERIFY(form->ActSave->isEnabled());
    form->ActUndo->trigger();
    QVERIFY(!form->Modified());
    form->ActRedo->trigger();
    QVERIFY(form->Modified());
    form->Doc().MarkSaved();
    QVERIFY(!form->Modified());
    form->ActUndo->trigger();
    QVERIFY(form->Modified());
    form->ActRedo->trigger();
    QVERIFY(!form->Modified());
    form->ActUndo->trigger();
    // A new change after undoing past the saved state can never get back to it.
    form->ActDeleteItem->trigger();
    QVERIFY(form->Modified());
    form->ActUndo->trigger();
    QVERIFY(form->Modified());
}

void TestCommands::undoActionsNameTheStep()
{
    TForm1 *form = Open();
    QVERIFY(form);
    QVERIFY(!form->ActUndo->isEnabled());
    QVERIFY(!form->ActRedo->isEnabled());
    QCOMPARE(form->ActUndo->shortcuts(), QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Z)});
    QCOMPARE(form->ActRedo->shortcuts(), (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                                                              QKeySequence(Qt::CTRL | Qt::Key_Y)}));
    TDialogScript script;
    script.Then(SectionDialog("A", ""));
    form->ActAddSection->trigger();
    QVERIFY(form->ActUndo->isEnabled());
    QCOMPARE(form->ActUndo->text(), QStringLiteral("Undo Add Section"));
    QCOMPARE(form->ActUndo->toolTip(), QStringLiteral("Undo Add Section"));
    QCOMPARE(form->ActUndo->statusTip(), QStringLiteral("Undo Add Section"));
    form->ActUndo->trigger();
    QCOMPARE(form->ActRedo->toolTip(), QStringLiteral("Redo Add Section"));
    QCOMPARE(form->ActUndo->toolTip(), QStringLiteral("Undo"));
}

void TestCommands::clearingTheDocumentResetsUndo()
{
    // Steps that keep parsed entries go before the document's sections do.
    TForm1 *form = Open();
    QVERIFY(form);
    Select(form, 0, 1);
    TDialogScript script;
    script.HoldKeys(Qt::ShiftModifier);
    form->ActDeleteItem->trigger();
    form->ActDeleteSection->trigger();
    script.Then(ItemDialog("e", "f", ""));
    Select(form, 0, 0);
    form->ActEditItem->trigger();
    QCOMPARE(form->UndoStack()->count(), 3);
    form->ClearDocument();
    QCOMPARE(form->UndoStack()->count(), 0);
    QVERIFY(!form->ActUndo->isEnabled());
    delete m_form;
    m_form = nullptr;

    // The window closing with steps that hold parsed entries.
    form = Open();
    Select(form, 0, 1);
    form->ActDeleteItem->trigger();
    form->ActDeleteSection->trigger();
}

void TestCommands::modelsStayConsistent()
{
    TForm1 *form = Open();
    QVERIFY(form);
    QAbstractItemModelTester sections(form->SectionModel(),
                                      QAbstractItemModelTester::FailureReportingMode::QtTest);
    QAbstractItemModelTester values(form->ValueModel(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    const QString before = form->Document().GetText();
    TDialogScript script;
    script.HoldKeys(Qt::ShiftModifier);
    Select(form, 0, 0);
    for (int i = 0; i < 4; ++i)
        form->ActDeleteItem->trigger();
    QCOMPARE(form->LvValues->model()->rowCount(), 0);
    for (int i = 0; i < 3; ++i)
        form->ActDeleteSection->trigger();
    QCOMPARE(form->LvSections->model()->rowCount(), 0);
    while (form->UndoStack()->canUndo())
        form->ActUndo->trigger();
    QCOMPARE(form->Document().GetText(), before);
    while (form->UndoStack()->canRedo())
        form->ActRedo->trigger();
    QCOMPARE(form->Document().Sections.Count(), 0);
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
