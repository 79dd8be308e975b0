// The main window through its actions and models, headless.
#include "form1.h"
#include "kvart.h"
#include "kvfunctions.h"
#include "kvgradilabel.h"
#include "kvmsgbox.h"
#include "kvpixels.h"
#include "kvshell.h"
#include "sectionmodel.h"
#include "valuemodel.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QFile>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

QString WriteFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

const QByteArray Sample = "; top comment\n"
                          "[beta]\n"
                          "b=2 ;second\n"
                          ";note\n"
                          "a=1\n"
                          "\n"
                          "[alpha] ;first section\n"
                          "z=26\n"
                          "y=25\n"
                          "x=24\n"
                          "[comments only]\n"
                          ";c1\n"
                          "\n";

} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startsWithoutDocument();
    void opensTheCommandLineFile();
    void missingCommandLineFileIsIgnored();
    void unreadableFileShowsErrorAndNoDocument();
    void unparsableFileShowsErrorReading();
    void captionStates_data();
    void captionStates();
    void countersUseGrouping();
    void sectionAndValueRules();
    void readOnlyFileRules();
    void valuesOnlyCountsAndHides();
    void valuesOnlyKeepsSelection();
    void valueHeaderClicksFlipAndReset();
    void sectionHeaderClickReselects();
    void modelsPassTheTester();
    void emptyNamedFileCanTakeASection();
    void failedLoadClearsTheCounters();
    void endPiecesFollowEnabling();

private:
    TForm1 *Open(const QString &path);
    QStringList m_messages;
    QList<QUrl> m_opened;
    QTemporaryDir m_config;
    QTemporaryDir m_dir;
    QString m_samplePath;
    TForm1 *m_form = nullptr;
};

void TestForm1::initTestCase()
{
    // Settings and the first-run page stay inside the test.
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    SetShellOpener([this](const QUrl &url) { m_opened << url; });
    SetMsgBoxHook([this](const TKvMsgBoxRequest &request) {
        m_messages << request.caption + u'|' + request.text;
        return request.buttons.first();
    });
    m_samplePath = WriteFile(m_dir, QStringLiteral("sample.ini"), Sample);
}

void TestForm1::init()
{
    m_messages.clear();
}

void TestForm1::cleanup()
{
    delete m_form;
    m_form = nullptr;
}

// A window shown with a file on its command line, after the file has opened.
TForm1 *TestForm1::Open(const QString &path)
{
    m_form = new TForm1(path.isEmpty() ? QStringList() : QStringList{path});
    m_form->show();
    if (!QTest::qWaitFor([&] { return !m_form->LoadFileTimer->isActive(); }, 2000))
        return nullptr;
    QTest::qWait(1);
    return m_form;
}

void TestForm1::startsWithoutDocument()
{
    TForm1 *form = Open(QString());
    QVERIFY(form);
    QCOMPARE(form->windowTitle(), QStringLiteral("Velmora's Quillon"));
    QCOMPARE(form->LvSections->model()->rowCount(), 0);
    for (QAction *action : {form->ActReload, form->ActSaveAs, form->ActSearch, form->ActSave})
        QVERIFY(!action->isEnabled());
    QVERIFY(form->ActNewFile->isEnabled());
    QVERIFY(form->ActCreateShortcut->isEnabled());
    QVERIFY(!form->ButCreateShortcut->isEnabled());
    for (QAction *action : {form->ActCopySection, form->ActEditSection, form->ActAddSection, form->ActAddItem,
                            form->ActEditItem})
        QVERIFY(!action->isEnabled());
    QVERIFY(!form->GlSectionCopy->isEnabled());
    for (TKvGradiLabel *counter : {form->LbSectionCount, form->LbValueCount, form->LbEmptyCount})
        QCOMPARE(counter->Caption(), QStringLiteral("0"));
    QCOMPARE(form->GlNew->Caption(), QStringLiteral("New"));
    QCOMPARE(form->GlNew->Hint(), QStringLiteral(" Create a New Ini File "));
    QCOMPARE(form->GlPassword->Caption(), QStringLiteral("P"));
    QCOMPARE(form->GlInfo->Hint(), QStringLiteral(" Opens the about dialog "));
}

void TestForm1::opensTheCommandLineFile()
{
    TForm1 *form = Open(m_samplePath);
    QVERIFY(form);
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(form->FileName(), m_samplePath);
    QCOMPARE(form->LvSections->model()->rowCount(), 4);
    QCOMPARE(form->SelectedSection(), form->Document().Sections[0]);
    QCOMPARE(form->LvValues->model()->rowCount(), 1);
    QVERIFY(form->LvValues->selectionModel()->isRowSelected(0, {}));
    QVERIFY(form->ActReload->isEnabled());
    QVERIFY(!form->ActSave->isEnabled());
    QVERIFY(form->ButCreateShortcut->isEnabled());
    QCOMPARE(form->LbSectionCount->Caption(), QStringLiteral("4"));
    QCOMPARE(form->LbValueCount->Caption(), QStringLiteral("5"));
    QCOMPARE(form->LbCommentCount->Caption(), QStringLiteral("3"));
    QCOMPARE(form->LbEmptyCount->Caption(), QStringLiteral("2"));
    QCOMPARE(form->LbErrorCount->Caption(), QStringLiteral("0"));

    const QAbstractItemModel *sections = form->LvSections->model();
    QCOMPARE(sections->data(sections->index(1, TKvSectionModel::NameColumn)).toString(),
             QStringLiteral("beta"));
    QCOMPARE(sections->data(sections->index(1, TKvSectionModel::CountColumn)).toString(),
             QStringLiteral("4"));
    QCOMPARE(sections->data(sections->index(2, TKvSectionModel::CommentColumn)).toString(),
             QStringLiteral("first section"));
    QCOMPARE(sections->headerData(TKvSectionModel::CountColumn, Qt::Horizontal).toString(),
             QStringLiteral("C"));
}

void TestForm1::missingCommandLineFileIsIgnored()
{
    TForm1 *form = Open(m_dir.filePath(QStringLiteral("missing.ini")));
    QVERIFY(form);
    QVERIFY(m_messages.isEmpty());
    QVERIFY(form->FileName().isEmpty());
    QCOMPARE(form->Document().Sections.Count(), 0);
    QVERIFY(!form->ActSave->isEnabled());
    QVERIFY(!form->ActReload->isEnabled());
}

void TestForm1::unreadableFileShowsErrorAndNoDocument()
{
    TForm1 *form = Open(m_samplePath);
    QVERIFY(form);
    // A socket exists but cannot be opened as a file, even by root.
    const QString socketPath = m_dir.filePath(QStringLiteral("socket.ini"));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(fd >= 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, QFile::encodeName(socketPath).constData(), sizeof address.sun_path);
    QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);

    form->RunCommand([&] { form->OpenFile(socketPath, -1); });
    ::close(fd);
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages.first().startsWith(QStringLiteral("File Error|") + socketPath),
             qPrintable(m_messages.first()));
    QCOMPARE(form->Document().Sections.Count(), 0);
    QVERIFY(form->FileName().isEmpty());
    QVERIFY(!form->Modified());
    QVERIFY(!form->ActReload->isEnabled());
    QCOMPARE(form->windowTitle(), QStringLiteral("Velmora's Quillon"));
    QCOMPARE(form->LvSections->model()->rowCount(), 0);
}

void TestForm1::unparsableFileShowsErrorReading()
{
    const QString path = WriteFile(m_dir, QStringLiteral("broken.ini"), "[ok]\nk=v\n[broken\n");
    TForm1 *form = Open(path);
    QVERIFY(form);
    QCOMPARE(m_messages, QStringList{QStringLiteral("File Error|Error Reading File\r\n") + path});
    QCOMPARE(form->Document().Sections.Count(), 0);
    QVERIFY(form->FileName().isEmpty());
    QVERIFY(!form->ActSaveAs->isEnabled());
    QCOMPARE(form->windowTitle(), QStringLiteral("Velmora's Quillon"));
}

void TestForm1::captionStates_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("encoding");
    QTest::addRow("utf-8") << QByteArray("\xEF\xBB\xBFk=v") << false << "UTF-8";
    QTest::addRow("ansi") << QByteArray("k=v") << false << "ANSI";
    QTest::addRow("utf-16 le") << QByteArray("\xFF\xFEk\0=\0v\0", 8) << false << "UTF-16LE";
    QTest::addRow("utf-16 be") << QByteArray("\xFE\xFF\0k\0=\0v", 8) << false << "UTF-16BE";
    QTest::addRow("read-only") << QByteArray("k=v") << true << "ANSI";
}

void TestForm1::captionStates()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, readOnly);
    QFETCH(QString, encoding);
    const QString path = WriteFile(m_dir, QStringLiteral("caption.ini"), bytes);
    if (readOnly)
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    TForm1 *form = Open(path);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QVERIFY(form);
    QString expected = QStringLiteral("Velmora's Quillon   [%1] [%2]").arg(path, encoding);
    if (readOnly)
        expected += QStringLiteral(" [Read Only]");
    QCOMPARE(form->windowTitle(), expected);
    QCOMPARE(TForm1::EncodingName(7), QStringLiteral("ANSI"));
    QCOMPARE(TForm1::EncodingName(-1), QStringLiteral("ANSI"));
}

void TestForm1::countersUseGrouping()
{
    QByteArray big = "[many]\n";
    for (int i = 0; i < 1234; ++i)
        big += "k" + QByteArray::number(i) + "=v\n";
    const QString path = WriteFile(m_dir, QStringLiteral("big.ini"), big);
    TForm1 *form = Open(path);
    QVERIFY(form);
    QCOMPARE(form->LbValueCount->Caption(), GroupThousands(QStringLiteral("1234")));
    QCOMPARE(form->LbEmptyCount->Caption(), QStringLiteral("0"));
}

void TestForm1::sectionAndValueRules()
{
    TForm1 *form = Open(m_samplePath);
    QVERIFY(form);
    // The first section and its first row are selected.
    for (QAction *action : {form->ActCopySection, form->ActInsertSection, form->ActEditSection,
                            form->ActDeleteSection, form->ActSilentDeleteSection, form->ActAddSection,
                            form->ActAddItem, form->ActInsertItem, form->ActEditItem, form->ActDeleteItem})
        QVERIFY2(action->isEnabled(), qPrintable(action->text()));
    QVERIFY(form->GlSectionEdit->isEnabled());

    // Selecting another section empties the value selection.
    form->SelectRow(form->LvSections, 2);
    QCOMPARE(form->SelectedSection()->Name, QStringLiteral("alpha"));
    QVERIFY(!form->LvValues->selectionModel()->hasSelection());
    QVERIFY(!form->ActEditItem->isEnabled());
    QVERIFY(form->ActAddItem->isEnabled());

    form->LvSections->selectionModel()->clearSelection();
    QVERIFY(!form->SelectedSection());
    QCOMPARE(form->LvValues->model()->rowCount(), 0);
    QVERIFY(!form->ActEditSection->isEnabled());
    QVERIFY(form->ActAddSection->isEnabled()); // the document has a file name
    QVERIFY(!form->ActAddItem->isEnabled());
    QVERIFY(!form->GlSectionEdit->isEnabled());
}

void TestForm1::readOnlyFileRules()
{
    const QString path = WriteFile(m_dir, QStringLiteral("locked.ini"), Sample);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    TForm1 *form = Open(path);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QVERIFY(form);
    QVERIFY(form->ReadOnly());
    form->SelectRow(form->LvSections, 1);
    form->SelectRow(form->LvValues, 0);
    for (QAction *action :
         {form->ActCopySection, form->ActInsertSection, form->ActEditSection, form->ActDeleteSection,
          form->ActInsertItem, form->ActEditItem, form->ActDeleteItem})
        QVERIFY2(!action->isEnabled(), qPrintable(action->text()));
    QVERIFY(form->ActAddSection->isEnabled());
    QVERIFY(form->ActAddItem->isEnabled());
}

void TestForm1::valuesOnlyCountsAndHides()
{
    TForm1 *form = Open(m_samplePath);
    QVERIFY(form);
    form->ActValuesOnly->trigger();
    QVERIFY(form->ValuesOnly());
    QCOMPARE(form->GlValuesOnly->ImageIndex(), 12);
    QCOMPARE(form->GlValuesOnly->ImageHotIndex(), 14);
    const QAbstractItemModel *sections = form->LvSections->model();
    QCOMPARE(sections->data(sections->index(1, TKvSectionModel::CountColumn)).toString(),
             QStringLiteral("2"));
    QCOMPARE(sections->data(sections->index(3, TKvSectionModel::CountColumn)).toString(),
             QStringLiteral("0"));
    QCOMPARE(sections->data(sections->index(2, TKvSectionModel::CommentColumn)).toString(), QString());
    QCOMPARE(form->LvSections->horizontalHeader()->sectionSize(TKvSectionModel::CommentColumn), 0);

    form->SelectRow(form->LvSections, 3);
    QCOMPARE(form->LvValues->model()->rowCount(), 0);
    form->SelectRow(form->LvSections, 1);
    QCOMPARE(form->LvValues->model()->rowCount(), 2);
    // Hidden entries have no row; shown ones do.
    const TKvIniSection *beta = form->Document().Sections[1];
    QVERIFY(form->ValueModel()->RowOf(beta->Vals[0]) >= 0);
    QVERIFY(form->ValueModel()->RowOf(beta->Vals[1]) < 0);
    QCOMPARE(form->LvValues->horizontalHeader()->sectionSize(TKvValueModel::CommentColumn), 0);

    form->ActValuesOnly->trigger();
    QVERIFY(!form->ValuesOnly());
    QCOMPARE(form->GlValuesOnly->ImageIndex(), 11);
    QCOMPARE(form->LvValues->model()->rowCount(), 4);
}

void TestForm1::valuesOnlyKeepsSelection()
{
    TForm1 *form = Open(m_samplePath);
    QVERIFY(form);
    TKvIniSection *beta = form->Document().Sections[1];
    form->SelectRow(form->LvSections, 1);
    form->SelectRow(form->LvValues, 2); // a=1
    form->ActValuesOnly->trigger();
    QCOMPARE(form->SelectedSection(), beta);
    const QModelIndexList selected = form->LvValues->selectionModel()->selectedRows();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(form->ValueModel()->ValAt(selected.first().row()), beta->Vals[2]);

    form->ActValuesOnly->trigger();
    form->SelectRow(form->LvValues, 1); // ;note
    form->ActValuesOnly->trigger();
    QCOMPARE(form->SelectedSection(), beta);
    QVERIFY(!form->LvValues->selectionModel()->hasSelection());
}

void TestForm1::valueHeaderClicksFlipAndReset()
{
    TForm1 *form = Open(m_samplePath);
    QVERIFY(form);
    form->SelectRow(form->LvSections, 2); // alpha: z, y, x
    TKvIniSection *alpha = form->SelectedSection();
    QHeaderView *header = form->LvValues->horizontalHeader();
    const auto names = [&] {
        QString text;
        for (const TKvIniVal *val : alpha->Vals)
            text += val->Name();
        return text;
    };
    const QStringList expected = {QStringLiteral("xyz"), QStringLiteral("zyx"), QStringLiteral("xyz")};
    const QList<int> states = {1, 2, 1};
    for (int click = 0; click < 3; ++click) {
        emit header->sectionClicked(TKvValueModel::NameColumn);
        QCOMPARE(form->SortState(form->LvValues, TKvValueModel::NameColumn), states[click]);
        QCOMPARE(names(), expected[click]);
    }
    QVERIFY(form->Modified());
    QVERIFY(form->ActSave->isEnabled());
    QVERIFY(header->isSortIndicatorShown());
    // Icon column clicks do nothing.
    emit header->sectionClicked(TKvValueModel::IconColumn);
    QCOMPARE(form->SortState(form->LvValues, TKvValueModel::NameColumn), 1);

    form->SelectRow(form->LvSections, 1);
    QCOMPARE(form->SortState(form->LvValues, TKvValueModel::NameColumn), 0);
    QVERIFY(!header->isSortIndicatorShown());
}

void TestForm1::sectionHeaderClickReselects()
{
    TForm1 *form = Open(m_samplePath);
    QVERIFY(form);
    form->SelectRow(form->LvSections, 1); // beta
    TKvIniSection *beta = form->SelectedSection();
    QHeaderView *header = form->LvSections->horizontalHeader();
    emit header->sectionClicked(TKvSectionModel::NameColumn);
    // The nameless section stays first; then alpha, beta, comments only.
    QCOMPARE(form->Document().Sections[2], beta);
    QCOMPARE(form->SelectedSection(), beta);
    QVERIFY(form->LvSections->selectionModel()->isRowSelected(2, {}));
    QCOMPARE(form->LvValues->model()->rowCount(), 4);
    QVERIFY(form->Modified());
    QCOMPARE(form->SortState(form->LvSections, TKvSectionModel::NameColumn), 1);

    emit header->sectionClicked(TKvSectionModel::NameColumn);
    QCOMPARE(form->SortState(form->LvSections, TKvSectionModel::NameColumn), 2);
    QCOMPARE(form->Document().Sections[0]->Name, QString());
    QCOMPARE(form->Document().Sections[1]->Name, QStringLiteral("comments only"));
    QCOMPARE(form->SelectedSection(), beta);
}

void TestForm1::modelsPassTheTester()
{
    TForm1 *form = Open(m_samplePath);
    QVERIFY(form);
    QAbstractItemModelTester sections(form->LvSections->model(),
                                      QAbstractItemModelTester::FailureReportingMode::QtTest);
    QAbstractItemModelTester values(form->LvValues->model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    for (int row = 0; row < 4; ++row)
        form->SelectRow(form->LvSections, row);
    form->ActValuesOnly->trigger();
    emit form->LvSections->horizontalHeader()->sectionClicked(TKvSectionModel::CountColumn);
    emit form->LvValues->horizontalHeader()->sectionClicked(TKvValueModel::ValueColumn);
    form->ClearDocument();
    QCOMPARE(form->LvSections->model()->rowCount(), 0);
}

// An empty file has no section to select, but a file name: Add is on.
void TestForm1::emptyNamedFileCanTakeASection()
{
    const QString path = WriteFile(m_dir, QStringLiteral("empty.ini"), QByteArray());
    TForm1 *form = Open(path);
    QVERIFY(form);
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(form->FileName(), path);
    QCOMPARE(form->LvSections->model()->rowCount(), 0);
    QVERIFY(form->ActAddSection->isEnabled());
    QVERIFY(form->GlSectionAdd->isEnabled());
    QVERIFY(!form->ActEditSection->isEnabled());
    QVERIFY(!form->ActAddItem->isEnabled());
}

// The counters show the emptied document, not the one before the failure.
void TestForm1::failedLoadClearsTheCounters()
{
    TForm1 *form = Open(m_samplePath);
    QVERIFY(form);
    QCOMPARE(form->LbSectionCount->Caption(), QStringLiteral("4"));
    const QString broken = WriteFile(m_dir, QStringLiteral("broken2.ini"), "[ok]\nk=v\n;c\n[broken\n");
    form->RunCommand([&] { form->OpenFile(broken, -1); });
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(form->Document().Sections.Count(), 0);
    for (TKvGradiLabel *counter : {form->LbSectionCount, form->LbValueCount, form->LbCommentCount,
                                   form->LbErrorCount, form->LbEmptyCount})
        QCOMPARE(counter->Caption(), QStringLiteral("0"));
}

// The end pieces beside buttons that become enabled continue the enabled
// colours (they used to keep the grey of the disabled look).
void TestForm1::endPiecesFollowEnabling()
{
    TForm1 *form = Open(QString());
    QVERIFY(form);
    QVERIFY(QTest::qWaitForWindowExposed(form));
    QList<TKvArt *> pieces;
    for (TKvArt *art : form->PnlTop->findChildren<TKvArt *>())
        if (art->LabelBefore() == form->GlSearch || art->LabelAfter() == form->GlSectionAdd)
            pieces << art;
    QCOMPARE(pieces.size(), 2);
    const auto follows = [&] {
        for (TKvArt *art : pieces) {
            TKvGradiLabel *label = art->LabelBefore() ? art->LabelBefore() : art->LabelAfter();
            const int inner = art->LabelBefore() ? 0 : art->width() - 1;
            if (art->IsDirty() || !label->GetFullyLoaded())
                return false;
            for (int y = 0; y < art->height(); ++y)
                if (KvColorOfPixel(reinterpret_cast<const quint32 *>(art->getScanLine(y))[inner])
                    != KvColorOfPixel(reinterpret_cast<const quint32 *>(label->getScanLine(y))[0]))
                    return false;
        }
        return true;
    };
    QTRY_VERIFY(follows());
    QVERIFY(!form->GlSearch->isEnabled());
    const TColor disabled = KvColorOfPixel(reinterpret_cast<const quint32 *>(pieces[0]->getScanLine(5))[0]);

    form->RunCommand([&] { form->OpenFile(m_samplePath, -1); });
    QVERIFY(form->GlSearch->isEnabled());
    QVERIFY(form->GlSectionAdd->isEnabled());
    QTRY_VERIFY(follows());
    QVERIFY(KvColorOfPixel(reinterpret_cast<const quint32 *>(pieces[0]->getScanLine(5))[0]) != disabled);
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
