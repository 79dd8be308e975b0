// The merge conflicts dialog: one row per conflict with the three versions,
// mine kept unless theirs is chosen, by keyboard or buttons, and the choices
// fed back into the merge.
#include "../core/loadbytes.h"
#include "compare/mergeconflictsdialog.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace {

void Load(TKvMemIni &ini, const QByteArray &bytes)
{
    QVERIFY(LoadBytes(ini, bytes) >= 0);
}

// Three documents and the plan of merging THEIRS into MINE.
struct TMerge
{
    TKvMemIni Base;
    TKvMemIni Mine;
    TKvMemIni Theirs;
    TKvMergePlan Plan;

    TMerge(const QByteArray &base, const QByteArray &mine, const QByteArray &theirs,
           const TKvCompareOptions &options = {})
    {
        Load(Base, base);
        Load(Mine, mine);
        Load(Theirs, theirs);
        Plan = KvMerge::Plan(Base, Mine, Theirs, options);
    }
};

// Three conflicts in [s]: a, b and c changed on both sides; d only by theirs.
const QByteArray Base = "[s]\na=0\nb=0\nc=0\nd=0\n";
const QByteArray Mine = "[s]\na=1\nb=1\nc=1\nd=0\n";
const QByteArray Theirs = "[s]\na=2\nb=2\nc=2\nd=2\n";

QString Row(const TMergeConflictRow &row)
{
    return QStringList{row.Section, row.Key, row.Base, row.Mine, row.Theirs}.join(u'|');
}

QString Keeps(const TMergeConflictsDialog &dialog)
{
    QString out;
    for (int i = 0; i < dialog.LvConflicts->topLevelItemCount(); ++i)
        out += dialog.LvConflicts->topLevelItem(i)->text(TMergeConflictsDialog::ColKeep).left(1);
    return out;
}

} // namespace

class TestMergeConflictsDialog : public QObject
{
    Q_OBJECT

private slots:
    void rows_data();
    void rows();
    void mineByDefault();
    void keyboardPicksSides();
    void buttonsSetTheSelectedRows();
    void choicesFeedTheMerge();
    void labelledAndKeyboardReachable();
    void returnMergesEscapeCancels();
};

void TestMergeConflictsDialog::rows_data()
{
    QTest::addColumn<QByteArray>("base");
    QTest::addColumn<QByteArray>("mine");
    QTest::addColumn<QByteArray>("theirs");
    QTest::addColumn<bool>("withComments");
    QTest::addColumn<QStringList>("rows");
    QTest::addRow("changed on both") << Base << Mine << Theirs << false
                                     << QStringList{QStringLiteral("s|a|0|1|2"), QStringLiteral("s|b|0|1|2"),
                                                    QStringLiteral("s|c|0|1|2")};
    QTest::addRow("removed on one side")
        << QByteArray("[s]\nk=0\n") << QByteArray("[s]\n") << QByteArray("[s]\nk=2\n") << false
        << QStringList{QStringLiteral("s|k|0|(none)|2")};
    QTest::addRow("added on both") << QByteArray("[s]\n") << QByteArray("[s]\nk=1\n")
                                   << QByteArray("[s]\nk=2\n") << false
                                   << QStringList{QStringLiteral("s|k|(none)|1|2")};
    QTest::addRow("second occurrence, before the first section")
        << QByteArray("k=0\nk=0\n") << QByteArray("k=0\nk=1\n") << QByteArray("k=0\nk=2\n") << false
        << QStringList{QStringLiteral("(before the first section)|k (occurrence 1)|0|1|2")};
    QTest::addRow("with comments") << QByteArray("[s]\nk=0\n") << QByteArray("[s]\nk=0 ;mine\n")
                                   << QByteArray("[s]\nk=0 ;theirs\n") << true
                                   << QStringList{QStringLiteral("s|k|0|0 ;mine|0 ;theirs")};
    QTest::addRow("section comment") << QByteArray("[s]\n") << QByteArray("[s] ;m\n")
                                     << QByteArray("[s] ;t\n") << true
                                     << QStringList{QStringLiteral("s|(section comment)|(no comment)|;m|;t")};
    QTest::addRow("whole section removed by theirs")
        << QByteArray("[s]\nk=0\n[t]\n") << QByteArray("[s]\nk=1\n[t]\n") << QByteArray("[t]\n") << false
        << QStringList{QStringLiteral("s|(whole section)|(present)|(changed)|(removed)")};
    QTest::addRow("whole section removed by mine")
        << QByteArray("[s]\nk=0\n[t]\n") << QByteArray("[t]\n") << QByteArray("[s]\nk=1\n[t]\n") << false
        << QStringList{QStringLiteral("s|(whole section)|(present)|(removed)|(changed)")};
    QTest::addRow("no conflict") << Base << Base << Theirs << false << QStringList();
}

void TestMergeConflictsDialog::rows()
{
    QFETCH(QByteArray, base);
    QFETCH(QByteArray, mine);
    QFETCH(QByteArray, theirs);
    QFETCH(bool, withComments);
    QFETCH(QStringList, rows);
    TKvCompareOptions options;
    options.WithComments = withComments;
    const TMerge merge(base, mine, theirs, options);
    QStringList found;
    for (const TMergeConflictRow &row : MergeConflictRows(merge.Plan, options))
        found << Row(row);
    QCOMPARE(found, rows);

    // The dialog lists the same rows.
    const TMergeConflictsDialog dialog(nullptr, merge.Plan, options);
    QCOMPARE(dialog.LvConflicts->topLevelItemCount(), rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        const QTreeWidgetItem *item = dialog.LvConflicts->topLevelItem(i);
        QStringList cells;
        for (int column = 0; column < TMergeConflictsDialog::ColKeep; ++column)
            cells << item->text(column);
        QCOMPARE(cells.join(u'|'), rows[i]);
    }
}

void TestMergeConflictsDialog::mineByDefault()
{
    const TMerge merge(Base, Mine, Theirs);
    const TMergeConflictsDialog dialog(nullptr, merge.Plan);
    QCOMPARE(dialog.TakeTheirs(), (std::vector<bool>{false, false, false}));
    QCOMPARE(Keeps(dialog), QStringLiteral("MMM"));
    // The version kept is shown in bold.
    const QTreeWidgetItem *first = dialog.LvConflicts->topLevelItem(0);
    QVERIFY(first->font(TMergeConflictsDialog::ColMine).bold());
    QVERIFY(!first->font(TMergeConflictsDialog::ColTheirs).bold());
}

void TestMergeConflictsDialog::keyboardPicksSides()
{
    const TMerge merge(Base, Mine, Theirs);
    TMergeConflictsDialog dialog(nullptr, merge.Plan);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTreeWidget *list = dialog.LvConflicts;
    QCOMPARE(QApplication::focusWidget(), list);
    QCOMPARE(list->currentItem(), list->topLevelItem(0));

    QTest::keyClick(list, Qt::Key_Space); // first: theirs
    QCOMPARE(Keeps(dialog), QStringLiteral("TMM"));
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_T); // third: theirs
    QCOMPARE(Keeps(dialog), QStringLiteral("TMT"));
    QTest::keyClick(list, Qt::Key_Space); // third back to mine
    QCOMPARE(Keeps(dialog), QStringLiteral("TMM"));
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier); // all rows
    QTest::keyClick(list, Qt::Key_T);
    QCOMPARE(Keeps(dialog), QStringLiteral("TTT"));
    QTest::keyClick(list, Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_M); // the current row alone is selected now
    QCOMPARE(Keeps(dialog), QStringLiteral("TMT"));
    QCOMPARE(dialog.TakeTheirs(), (std::vector<bool>{true, false, true}));
}

void TestMergeConflictsDialog::buttonsSetTheSelectedRows()
{
    const TMerge merge(Base, Mine, Theirs);
    TMergeConflictsDialog dialog(nullptr, merge.Plan);
    QTreeWidget *list = dialog.LvConflicts;
    list->clearSelection();
    list->topLevelItem(1)->setSelected(true);
    list->topLevelItem(2)->setSelected(true);
    QTest::mouseClick(dialog.ButTheirs, Qt::LeftButton);
    QCOMPARE(Keeps(dialog), QStringLiteral("MTT"));
    list->topLevelItem(1)->setSelected(false);
    QTest::mouseClick(dialog.ButMine, Qt::LeftButton);
    QCOMPARE(Keeps(dialog), QStringLiteral("MTM"));
}

// What the person picks decides each conflict of the merge, nothing else.
void TestMergeConflictsDialog::choicesFeedTheMerge()
{
    TMerge merge(Base, Mine, Theirs);
    TMergeConflictsDialog dialog(nullptr, merge.Plan);
    dialog.SetTakeTheirs(1, true);
    dialog.ApplyChoices(merge.Plan);
    KvMerge::Apply(merge.Mine, merge.Plan);
    merge.Mine.KeepLayout = true;
    QCOMPARE(merge.Mine.Encode(merge.Mine.Encoding), QByteArray("[s]\na=1\nb=2\nc=1\nd=2\n"));
}

void TestMergeConflictsDialog::labelledAndKeyboardReachable()
{
    const TMerge merge(Base, Mine, Theirs);
    TMergeConflictsDialog dialog(nullptr, merge.Plan);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Merge Conflicts"));
    QCOMPARE(dialog.LbConflicts->buddy(), dialog.LvConflicts);
    QVERIFY(dialog.LbConflicts->text().contains(QStringLiteral("&C")));
    QCOMPARE(dialog.LvConflicts->accessibleName(), QStringLiteral("Conflicts"));
    QCOMPARE(dialog.ButMine->text(), QStringLiteral("Keep &Mine"));
    QCOMPARE(dialog.ButTheirs->text(), QStringLiteral("Take &Theirs"));
    QVERIFY(dialog.ButMerge->isDefault());
    // Tab goes from the list through the buttons in their row's order.
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QWidget *focus = dialog.LvConflicts;
    for (QWidget *next :
         {static_cast<QWidget *>(dialog.ButMine), static_cast<QWidget *>(dialog.ButTheirs),
          static_cast<QWidget *>(dialog.ButMerge), static_cast<QWidget *>(dialog.ButCancel)}) {
        focus = focus->nextInFocusChain();
        while (focus->focusPolicy() == Qt::NoFocus)
            focus = focus->nextInFocusChain();
        QCOMPARE(focus, next);
    }
    // Alt+T on the dialog takes theirs for the selected row.
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(dialog.windowHandle(), Qt::Key_T, Qt::AltModifier);
    QTRY_COMPARE(Keeps(dialog), QStringLiteral("TMM")); // a mnemonic clicks after a short show
}

void TestMergeConflictsDialog::returnMergesEscapeCancels()
{
    const TMerge merge(Base, Mine, Theirs);
    {
        TMergeConflictsDialog dialog(nullptr, merge.Plan);
        QTimer::singleShot(0, &dialog, [&] { QTest::keyClick(dialog.LvConflicts, Qt::Key_Return); });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    }
    {
        TMergeConflictsDialog dialog(nullptr, merge.Plan);
        QTimer::singleShot(0, &dialog, [&] { QTest::keyClick(dialog.LvConflicts, Qt::Key_Escape); });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    }
}

QTEST_MAIN(TestMergeConflictsDialog)
#include "tst_mergeconflictsdialog.moc"
