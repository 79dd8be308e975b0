// The open and save dialogs: filters in any letter case, encoding lists, options.
#include "dialogs/filedialogs.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <memory>

namespace {

QComboBox *EncodingList(QFileDialog &dialog)
{
    return dialog.findChild<QComboBox *>(QStringLiteral("CbxEncoding"));
}

QStringList Items(const QComboBox &list)
{
    QStringList items;
    for (int i = 0; i < list.count(); ++i)
        items << list.itemText(i);
    return items;
}

} // namespace

class TestFileDialogs : public QObject
{
    Q_OBJECT

private slots:
    void openDialog();
    void saveDialog();
    void filtersIgnoreLetterCase_data();
    void filtersIgnoreLetterCase();
    void detailColumnsAreWhole_data();
    void detailColumnsAreWhole();
};

void TestFileDialogs::openDialog()
{
    std::unique_ptr<QFileDialog> dialog(CreateOpenTextFileDialog(nullptr));
    QVERIFY(dialog->testOption(QFileDialog::DontUseNativeDialog));
    QCOMPARE(dialog->nameFilters(), (QStringList{"All Quillon Files (*.Ini *.IniCry)", "Ini Files (*.Ini)",
                                                 "Ini Files Encrypted (*.IniCry)", "All Files (*)"}));
    QCOMPARE(dialog->selectedNameFilter(), QStringLiteral("All Quillon Files (*.Ini *.IniCry)"));
    QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
    QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(dialog->defaultSuffix(), QStringLiteral("Ini"));
    QVERIFY(dialog->isSizeGripEnabled());
    QComboBox *list = EncodingList(*dialog);
    QVERIFY(list);
    QCOMPARE(Items(*list), (QStringList{"Utf-8", "ANSI (System locale)", "Unicode (Utf-16 LE)",
                                        "Big Endian Unicode (Utf-16 BE)", "Auto"}));
    QCOMPARE(list->currentText(), QStringLiteral("Auto"));
    QCOMPARE(ChosenEncodingIndex(*dialog), 4);
    list->setCurrentIndex(2);
    QCOMPARE(ChosenEncodingIndex(*dialog), 2);

    QTemporaryDir dir;
    std::unique_ptr<QFileDialog> inFolder(
        CreateOpenTextFileDialog(nullptr, dir.filePath(QStringLiteral("a.ini"))));
    QCOMPARE(inFolder->directory().absolutePath(), QDir(dir.path()).absolutePath());
}

void TestFileDialogs::saveDialog()
{
    QTemporaryDir dir;
    const QString current = dir.filePath(QStringLiteral("current.ini"));
    std::unique_ptr<QFileDialog> dialog(CreateSaveTextFileDialog(nullptr, current));
    QVERIFY(dialog->testOption(QFileDialog::DontUseNativeDialog));
    QVERIFY(!dialog->testOption(QFileDialog::DontConfirmOverwrite));
    QCOMPARE(dialog->nameFilters(),
             (QStringList{"Ini File (*.Ini)", "Ini File Encrypted (*.IniCry)", "Other File (*)"}));
    QCOMPARE(dialog->selectedNameFilter(), QStringLiteral("Ini File (*.Ini)"));
    QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
    QCOMPARE(dialog->defaultSuffix(), QStringLiteral("ini"));
    QCOMPARE(dialog->selectedFiles().value(0), current);
    QComboBox *list = EncodingList(*dialog);
    QVERIFY(list);
    QCOMPARE(Items(*list), (QStringList{"Utf-8", "ANSI (System locale)", "Unicode (Utf-16 LE)",
                                        "Big Endian Unicode (Utf-16 BE)"}));
    QCOMPARE(list->currentIndex(), 0);
    // A name typed without an extension takes the chosen type's.
    dialog->selectNameFilter(QStringLiteral("Ini File Encrypted (*.IniCry)"));
    emit dialog->filterSelected(QStringLiteral("Ini File Encrypted (*.IniCry)"));
    QCOMPARE(dialog->defaultSuffix(), QStringLiteral("IniCry"));
}

void TestFileDialogs::filtersIgnoreLetterCase_data()
{
    QTest::addColumn<int>("filter");
    QTest::addColumn<QStringList>("shown");
    QTest::addRow("all quillon files") << 0 << QStringList{"SETUP.INI", "a.IniCry", "b.INICRY", "php.ini"};
    QTest::addRow("ini files") << 1 << QStringList{"SETUP.INI", "php.ini"};
    QTest::addRow("encrypted") << 2 << QStringList{"a.IniCry", "b.INICRY"};
}

void TestFileDialogs::filtersIgnoreLetterCase()
{
    QFETCH(int, filter);
    QFETCH(QStringList, shown);
    QTemporaryDir dir;
    for (const char *name : {"php.ini", "SETUP.INI", "a.IniCry", "b.INICRY", "notes.txt"}) {
        QFile file(dir.filePath(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    std::unique_ptr<QFileDialog> dialog(CreateOpenTextFileDialog(nullptr));
    dialog->setDirectory(dir.path());
    dialog->selectNameFilter(dialog->nameFilters().at(filter));
    dialog->show();
    auto *view = dialog->findChild<QListView *>(QStringLiteral("listView"));
    QVERIFY(view);
    auto names = [view] {
        QStringList found;
        const QAbstractItemModel *model = view->model();
        for (int row = 0; row < model->rowCount(view->rootIndex()); ++row)
            found << model->index(row, 0, view->rootIndex()).data().toString();
        found.sort();
        return found;
    };
    QTRY_COMPARE(names(), shown);
}

void TestFileDialogs::detailColumnsAreWhole_data()
{
    QTest::addColumn<bool>("open");
    QTest::addRow("open") << true;
    QTest::addRow("save") << false;
}

// Size, type and date are never cut; the name gets what is left.
void TestFileDialogs::detailColumnsAreWhole()
{
    QFETCH(bool, open);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("a rather long file name for the column.ini"));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(QByteArray(123456, 'x'));
    out.close();
    std::unique_ptr<QFileDialog> dialog(open ? CreateOpenTextFileDialog(nullptr, file)
                                             : CreateSaveTextFileDialog(nullptr, file));
    dialog->setViewMode(QFileDialog::Detail);
    dialog->resize(560, 400); // smaller than it opens: the name column gives way
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    auto *view = dialog->findChild<QTreeView *>(QStringLiteral("treeView"));
    QVERIFY(view);
    QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 1);
    QHeaderView *header = view->header();
    QCOMPARE(header->count(), 4);
    const QModelIndex row = view->model()->index(0, 0, view->rootIndex());
    for (int column = 1; column < 4; ++column) {
        // The cell's text and the column's title, each whole.
        const QString text = row.siblingAtColumn(column).data().toString();
        const QString title = view->model()->headerData(column, Qt::Horizontal).toString();
        const int needed =
            qMax(view->fontMetrics().horizontalAdvance(text), header->fontMetrics().horizontalAdvance(title));
        QVERIFY(!text.isEmpty());
        QCOMPARE(header->sectionResizeMode(column), QHeaderView::ResizeToContents);
        QTRY_VERIFY2(header->sectionSize(column) > needed,
                     qPrintable(QStringLiteral("column %1 (%2): %3 <= %4")
                                    .arg(column)
                                    .arg(text)
                                    .arg(header->sectionSize(column))
                                    .arg(needed)));
    }
    QVERIFY(header->sectionSize(0) > 0);
    QCOMPARE(header->sectionResizeMode(0), QHeaderView::Stretch);
}

QTEST_MAIN(TestFileDialogs)
#include "tst_filedialogs.moc"
