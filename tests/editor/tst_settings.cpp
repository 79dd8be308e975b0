// The settings store, the recent-file list and its menu.
#include "formfixture.h"
#include "kvgradilabel.h"
#include "kvsearchoptions.h"
#include "settings/kvstringrc.h"
#include "settings/recentfiles.h"
#include "settings/settingsstore.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QScreen>
#include <QSplitter>
#include <QtEndian>

namespace {

QSettings Store()
{
    return QSettings(QStringLiteral("Velmora"), QStringLiteral("Quillon"));
}

void Put(const QString &name, const QVariant &value)
{
    QSettings settings(QStringLiteral("Velmora"), QStringLiteral("Quillon"));
    settings.setValue(name, value);
    settings.sync();
}

TKvStringRC List(const QStringList &paths)
{
    TKvStringRC list;
    for (const QString &path : paths)
        list.Strings.append({path, 0, {}});
    return list;
}

QStringList Paths(const TKvStringRC &list)
{
    QStringList paths;
    for (const TKvStringRC::Entry &entry : list.Strings)
        paths << entry.Path;
    return paths;
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void addRecentFile_data();
    void addRecentFile();
    void placementRecordLayout();
    void placeOnScreens_data();
    void placeOnScreens();

    void firstStart();
    void roundTripOfEveryValue();
    void valuesOnlyOffRoundTrips();
    void findStrBools_data();
    void findStrBools();
    void recentPathWithEncodingDigit();
    void staleEntriesAreRemoved();
    void hashCommentChoiceGoesWithItsFile();
    void blockErrorsAreReportedByThemselves();
    void offScreenPlacementComesBack();
    void checkRemovesMissingFiles();
    void longPressOpensRecentMenu();
    void longPressWithEmptyListThenRelease();

private:
    TForm1 *Show();
    TFormFixture m_fix;
    QTemporaryDir m_config;
    QTemporaryDir m_dir;
    std::unique_ptr<TForm1> m_form;
};

void TestSettings::initTestCase()
{
    IsolateSettings(m_config);
    m_fix.Install();
}

void TestSettings::init()
{
    m_fix.Reset();
    ClearSettings();
}

void TestSettings::cleanup()
{
    m_form.reset();
}

TForm1 *TestSettings::Show()
{
    m_form = ShowForm();
    return m_form.get();
}

// ---- The list itself ----

void TestSettings::addRecentFile_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("added");
    QTest::addColumn<QStringList>("after");
    QStringList ten;
    for (int i = 0; i < 10; ++i)
        ten << QStringLiteral("/f%1.ini").arg(i);
    QTest::addRow("empty name") << QStringList{"/a.ini"} << QString() << QStringList{"/a.ini"};
    QTest::addRow("new on top") << QStringList{"/a.ini"} << "/b.ini" << QStringList{"/b.ini", "/a.ini"};
    QTest::addRow("moves up") << QStringList{"/a.ini", "/b.ini", "/c.ini"} << "/c.ini"
                              << QStringList{"/c.ini", "/a.ini", "/b.ini"};
    QTest::addRow("letter case differs")
        << QStringList{"/a.ini"} << "/A.ini" << QStringList{"/A.ini", "/a.ini"};
    QTest::addRow("eleventh drops the oldest")
        << ten << "/new.ini" << (QStringList{"/new.ini"} + ten.mid(0, 9));
    QTest::addRow("tenth moves up") << ten << "/f9.ini" << (QStringList{"/f9.ini"} + ten.mid(0, 9));
}

void TestSettings::addRecentFile()
{
    QFETCH(QStringList, before);
    QFETCH(QString, added);
    QFETCH(QStringList, after);
    TKvStringRC list = List(before);
    list.AddRecentFile(added, 3);
    QCOMPARE(Paths(list), after);
    if (!added.isEmpty())
        QCOMPARE(list.Strings[0].EncodingIndex, 3);
}

void TestSettings::placementRecordLayout()
{
    TKvPlacement placement;
    placement.Left = -8;
    placement.Top = 20;
    placement.Width = 1000;
    placement.Height = 700;
    placement.SectionWidth = 377;
    placement.ValuesOnly = true;
    placement.Colours[7] = 0x00123456;
    const QByteArray record = placement.Encode();
    QCOMPARE(record.size(), 64);
    QCOMPARE(record.mid(0, 4), QByteArray("\xF8\xFF\xFF\xFF", 4));
    QCOMPARE(qFromLittleEndian<qint32>(record.constData() + 8), 1000);
    QCOMPARE(qFromLittleEndian<qint32>(record.constData() + 20), 1);
    QCOMPARE(qFromLittleEndian<quint32>(record.constData() + 24),
             quint32(0x00FFEBDE)); // DEEBFF as 0x00BBGGRR
    QCOMPARE(record.mid(52, 4), QByteArray("\x56\x34\x12\x00", 4));
    QCOMPARE(record.mid(56), QByteArray(8, '\0'));
    const std::optional<TKvPlacement> back = TKvPlacement::Decode(record);
    QVERIFY(back);
    QCOMPARE(back->Left, -8);
    QCOMPARE(back->SectionWidth, 377);
    QVERIFY(back->ValuesOnly);
    QVERIFY(back->Colours == placement.Colours);
    QVERIFY(!TKvPlacement::Decode(record.left(63)));
}

void TestSettings::placeOnScreens_data()
{
    QTest::addColumn<QRect>("window");
    QTest::addColumn<QRect>("placed");
    // Two screens side by side, the right one lower and smaller.
    QTest::addRow("visible stays") << QRect(100, 100, 800, 600) << QRect(100, 100, 800, 600);
    QTest::addRow("partly off stays") << QRect(-300, 100, 800, 600) << QRect(-300, 100, 800, 600);
    QTest::addRow("far right") << QRect(5000, 100, 800, 600) << QRect(2400, 100, 800, 600);
    QTest::addRow("far above left") << QRect(-4000, -4000, 800, 600) << QRect(0, 0, 800, 600);
    QTest::addRow("too big, shrunk") << QRect(9000, 9000, 3000, 2000) << QRect(1920, 0, 1280, 1000);
    QTest::addRow("below both") << QRect(1915, 1070, 800, 600) << QRect(1920, 400, 800, 600);
    QTest::addRow("only a sliver visible") << QRect(1900, 1030, 800, 600) << QRect(1920, 400, 800, 600);
}

void TestSettings::placeOnScreens()
{
    QFETCH(QRect, window);
    QFETCH(QRect, placed);
    const QList<QRect> areas = {QRect(0, 0, 1920, 1040), QRect(1920, 0, 1280, 1000)};
    QCOMPARE(PlaceOnScreens(window, areas), placed);
}

// ---- Through the window ----

void TestSettings::firstStart()
{
    TForm1 *form = Show();
    QVERIFY(form);
    const QRect area = form->screen()->availableGeometry();
    // Centred; the layout may still settle the width by a few pixels.
    QVERIFY(qAbs(form->geometry().center().x() - area.center().x()) <= 4);
    QVERIFY(qAbs(form->geometry().center().y() - area.center().y()) <= 4);
    QVERIFY(!form->ValuesOnly());
    QVERIFY(form->Colours() == TForm1::DefaultColourScheme);
    QCOMPARE(form->MRUList->Count(), 0);
    QVERIFY(m_fix.Messages.isEmpty());
}

// Values-only mode comes back off as well as on: off with a section list of
// its own width, in the record and through a restart of the window.
void TestSettings::valuesOnlyOffRoundTrips()
{
    TKvPlacement placement;
    placement.Width = 900;
    placement.Height = 600;
    placement.SectionWidth = 377;
    placement.ValuesOnly = false;
    const std::optional<TKvPlacement> back = TKvPlacement::Decode(placement.Encode());
    QVERIFY(back);
    QVERIFY(!back->ValuesOnly);
    QCOMPARE(back->SectionWidth, 377);
    {
        TForm1 *form = Show();
        QVERIFY(form);
        form->SetValuesOnly(true);
        form->SetValuesOnly(false);
        form->Splitter1->setSizes({320, 600});
        QVERIFY(form->close());
    }
    TForm1 *form = Show();
    QVERIFY(form);
    QVERIFY(!form->ValuesOnly());
    QCOMPARE(form->Splitter1->sizes().value(0), 320);
}

void TestSettings::roundTripOfEveryValue()
{
    const QString a = WriteFile(m_dir.filePath(QStringLiteral("a.ini")), "[a]\r\n");
    const QString b = WriteFile(m_dir.filePath(QStringLiteral("b & c.ini")), "[b]\r\n");
    TForm1::ColourScheme colours = TForm1::DefaultColourScheme;
    colours[2] = 0x00010203;
    {
        TForm1 *form = Show();
        QVERIFY(form);
        form->move(40, 30);
        form->resize(1000, 640);
        form->Splitter1->setSizes({300, 694});
        form->SetValuesOnly(true);
        form->SetColours(colours);
        form->MRUList->Strings = {{a, 2, {}}, {b, 1, {}}};
        TSearchStruct &search = form->SearchOptions();
        search.SectionNames = false;
        search.WholeWords = true;
        search.Backwards = true;
        search.FindStr[0] = QStringLiteral("needle");
        search.FindStr[1] = QStringLiteral("hay stack");
        QVERIFY(form->close());
    }
    {
        QSettings store = Store();
        QCOMPARE(store.value(QStringLiteral("MRUPath0")).toString(), a + u'2');
        QCOMPARE(store.value(QStringLiteral("MRUPath1")).toString(), b + u'1');
        QCOMPARE(store.value(QStringLiteral("FindStrBools")).toString(), QStringLiteral("01111101"));
        QCOMPARE(store.value(QStringLiteral("FindStr1")).toString(), QStringLiteral("hay stack"));
        QCOMPARE(store.value(QStringLiteral("FormSettings")).toByteArray().size(), 64);
    }
    TForm1 *form = Show();
    QVERIFY(form);
    QCOMPARE(form->pos(), QPoint(40, 30));
    QCOMPARE(form->size(), QSize(1000, 640));
    QCOMPARE(form->Splitter1->sizes().value(0), 300);
    QVERIFY(form->ValuesOnly());
    QVERIFY(form->Colours() == colours);
    QCOMPARE(form->MRUList->Strings, (QList<TKvStringRC::Entry>{{a, 2, {}}, {b, 1, {}}}));
    const TSearchStruct &search = form->SearchOptions();
    QVERIFY(!search.SectionNames && search.SectionComments && search.WholeWords && !search.CaseSensitive);
    QVERIFY(search.Backwards);
    QCOMPARE(search.FindStr[0], QStringLiteral("needle"));
    QCOMPARE(search.FindStr[1], QStringLiteral("hay stack"));
    QVERIFY(search.FindStr[2].isEmpty());
    QVERIFY(m_fix.Messages.isEmpty());
}

void TestSettings::findStrBools_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("flags"); // the eight flags read back, as 0 and 1
    QTest::addRow("any character but 0 is on") << "10x10000"
                                               << "10110000";
    QTest::addRow("all off") << "00000000"
                             << "00000000";
    QTest::addRow("too short: defaults") << "1010"
                                         << "11111000";
    QTest::addRow("too long: defaults") << "000000000"
                                        << "11111000";
}

void TestSettings::findStrBools()
{
    QFETCH(QString, stored);
    QFETCH(QString, flags);
    QSettings store = Store();
    store.setValue(QStringLiteral("FindStrBools"), stored);
    store.setValue(QStringLiteral("FindStr0"), QStringLiteral("first"));
    store.setValue(QStringLiteral("FindStr2"), QStringLiteral("after a gap"));
    TSearchStruct options;
    ReadSearchSettings(store, QStringLiteral("FindStr"), options);
    const bool read[] = {options.SectionNames,  options.SectionComments, options.ItemNames,
                         options.ItemValues,    options.ItemComments,    options.WholeWords,
                         options.CaseSensitive, options.Backwards};
    QString got;
    for (bool flag : read)
        got += flag ? u'1' : u'0';
    QCOMPARE(got, flags);
    QCOMPARE(options.FindStr[0], QStringLiteral("first"));
    QVERIFY(options.FindStr[2].isEmpty()); // reading stops at the first missing number
}

void TestSettings::recentPathWithEncodingDigit()
{
    Put(QStringLiteral("MRUPath0"), QStringLiteral("/srv/a.ini2"));
    Put(QStringLiteral("MRUPath1"), QStringLiteral("/srv/path2/b.ini0"));
    Put(QStringLiteral("MRUPath3"), QStringLiteral("/after/a/gap.ini1"));
    QSettings store = Store();
    TKvStringRC list;
    QVERIFY(ReadRecentFiles(store, list, nullptr));
    QCOMPARE(list.Strings, (QList<TKvStringRC::Entry>{{"/srv/a.ini", 2, {}}, {"/srv/path2/b.ini", 0, {}}}));
}

void TestSettings::staleEntriesAreRemoved()
{
    QSettings store = Store();
    for (int n = 0; n < 10; ++n) {
        store.setValue(QStringLiteral("MRUPath%1").arg(n), QStringLiteral("/old%1.ini0").arg(n));
        store.setValue(QStringLiteral("FindStr%1").arg(n), QStringLiteral("old%1").arg(n));
    }
    WriteRecentFiles(store, List({"/x.ini", "/y.ini"}));
    TSearchStruct options;
    options.FindStr[0] = QStringLiteral("new");
    WriteSearchSettings(store, QStringLiteral("FindStr"), options);
    store.sync();
    QCOMPARE(store.value(QStringLiteral("MRUPath1")).toString(), QStringLiteral("/y.ini0"));
    for (int n = 2; n < 10; ++n)
        QVERIFY2(!store.contains(QStringLiteral("MRUPath%1").arg(n)), qPrintable(QString::number(n)));
    QCOMPARE(store.value(QStringLiteral("FindStr0")).toString(), QStringLiteral("new"));
    for (int n = 1; n < 10; ++n)
        QVERIFY(!store.contains(QStringLiteral("FindStr%1").arg(n)));
}

// The "#" choice is kept beside the path ("MRUHash<n>"), moves up with its
// file, and a file without a choice leaves no value behind.
void TestSettings::hashCommentChoiceGoesWithItsFile()
{
    TKvStringRC list = List({"/a.ini", "/b.ini", "/c.ini"});
    list.SetHashComments(QStringLiteral("/b.ini"), true);
    list.SetHashComments(QStringLiteral("/c.ini"), false);
    list.SetHashComments(QStringLiteral("/missing.ini"), true); // not in the list: nothing
    list.AddRecentFile(QStringLiteral("/b.ini"), 0);
    QCOMPARE(Paths(list), (QStringList{"/b.ini", "/a.ini", "/c.ini"}));
    QCOMPARE(list.HashCommentsOf(QStringLiteral("/b.ini")), std::optional<bool>(true));
    QCOMPARE(list.HashCommentsOf(QStringLiteral("/a.ini")), std::optional<bool>());
    QCOMPARE(list.HashCommentsOf(QStringLiteral("/missing.ini")), std::optional<bool>());

    QSettings store = Store();
    store.setValue(QStringLiteral("MRUHash1"), QStringLiteral("1")); // left by an earlier list
    store.setValue(QStringLiteral("MRUHash5"), QStringLiteral("1"));
    WriteRecentFiles(store, list);
    store.sync();
    QCOMPARE(store.value(QStringLiteral("MRUPath0")).toString(), QStringLiteral("/b.ini0"));
    QCOMPARE(store.value(QStringLiteral("MRUHash0")).toString(), QStringLiteral("1"));
    QVERIFY(!store.contains(QStringLiteral("MRUHash1")));
    QCOMPARE(store.value(QStringLiteral("MRUHash2")).toString(), QStringLiteral("0"));
    QVERIFY(!store.contains(QStringLiteral("MRUHash5")));
    TKvStringRC read;
    QVERIFY(ReadRecentFiles(store, read, nullptr));
    QCOMPARE(read.Strings, list.Strings);
}

void TestSettings::blockErrorsAreReportedByThemselves()
{
    Put(QStringLiteral("FormSettings"), QByteArray(10, 'x'));
    Put(QStringLiteral("MRUPath0"), QStringLiteral("/ok.ini0"));
    Put(QStringLiteral("MRUPath1"), QStringLiteral("3"));
    Put(QStringLiteral("FindStr0"), QStringLiteral("still read"));
    TForm1 *form = Show();
    QVERIFY(form);
    QCOMPARE(m_fix.Messages.size(), 2);
    QVERIFY(m_fix.Messages[0].startsWith(QStringLiteral("plain|FormSettings\r\n")));
    QVERIFY(m_fix.Messages[1].startsWith(QStringLiteral("plain|MRUPath\r\nMRUPath1 ")));
    QCOMPARE(form->SearchOptions().FindStr[0], QStringLiteral("still read"));
    QVERIFY(form->Colours() == TForm1::DefaultColourScheme);
}

void TestSettings::offScreenPlacementComesBack()
{
    TKvPlacement placement;
    placement.Left = 40000;
    placement.Top = 30000;
    placement.Width = 900;
    placement.Height = 500;
    placement.SectionWidth = 200;
    Put(QStringLiteral("FormSettings"), placement.Encode());
    TForm1 *form = Show();
    QVERIFY(form);
    const QRect area = form->screen()->availableGeometry();
    QVERIFY2(area.intersects(form->geometry()),
             qPrintable(QStringLiteral("%1,%2").arg(form->x()).arg(form->y())));
    QVERIFY(form->x() >= area.x() && form->y() >= area.y());
}

void TestSettings::checkRemovesMissingFiles()
{
    const QString kept1 = WriteFile(m_dir.filePath(QStringLiteral("kept1.ini")), "");
    const QString kept2 = WriteFile(m_dir.filePath(QStringLiteral("kept2.ini")), "");
    const QStringList stored = {kept1, m_dir.filePath(QStringLiteral("gone1.ini")), kept2,
                                m_dir.filePath(QStringLiteral("gone2.ini"))};
    for (int n = 0; n < stored.size(); ++n)
        Put(QStringLiteral("MRUPath%1").arg(n), stored[n] + u'0');
    TForm1 *form = Show();
    QVERIFY(form);
    QCOMPARE(form->MRUList->Count(), 4);
    QVERIFY(form->MruCheck->isActive());
    QTRY_COMPARE(form->MRUList->Count(), 2);
    QCOMPARE(Paths(*form->MRUList), (QStringList{kept1, kept2}));
    QVERIFY(form->close());
    QVERIFY(!Store().contains(QStringLiteral("MRUPath2")));
}

void TestSettings::longPressOpensRecentMenu()
{
    const QString path = WriteFile(m_dir.filePath(QStringLiteral("recent & co.ini")), "[r]\r\nk=v\r\n");
    TForm1 *form = Show();
    QVERIFY(form);
    form->MRUList->Strings = {{path, 1, {}}};
    QTest::mousePress(form->GlOpen, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(form->MruTimer->isActive());
    QTRY_VERIFY(form->PopupMRU->isVisible());
    QCOMPARE(form->PopupMRU->actions().size(), 1);
    QAction *item = form->PopupMRU->actions().first();
    QCOMPARE(item->text(), QStringLiteral("recent && co.ini").prepend(m_dir.path() + u'/'));
    QCOMPARE(item->data().toInt(), 1);
    // The press has ended: the real release over the menu does not run Open.
    QTest::mouseRelease(form->GlOpen, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(m_fix.Dialogs.isEmpty());
    item->trigger();
    form->PopupMRU->hide();
    QCOMPARE(form->FileName(), path);
    QCOMPARE(form->EncodingIdx(), int(TForm1::EncAnsi));
}

void TestSettings::longPressWithEmptyListThenRelease()
{
    TForm1 *form = Show();
    QVERIFY(form);
    QTest::mousePress(form->GlOpen, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::qWait(TKvRecentFiles::LongPressMs + 200);
    QVERIFY(!form->MruTimer->isActive());
    QVERIFY(!form->PopupMRU->isVisible());
    QTest::mouseRelease(form->GlOpen, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(m_fix.Dialogs, QStringList{QStringLiteral("open")});
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
