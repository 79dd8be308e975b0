// The section and value lists as a person meets them: column fitting against
// the viewport, the icon column, exact text widths, tool tips of cut-off
// cells and the keyboard.
#include "form1.h"
#include "kvmsgbox.h"
#include "kvshell.h"
#include "lists/kvlistdelegate.h"
#include "lists/kvreportview.h"
#include "lists/kvtextwidth.h"
#include "sectionmodel.h"
#include "valuemodel.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QHelpEvent>
#include <QProcess>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QToolTip>

#include <cmath>

namespace {

QString WriteFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray Lines(const QByteArray &line, int count)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += QByteArray(line).replace("#", QByteArray::number(i)) + '\n';
    return text;
}

int ColumnsWidth(const QTableView *list)
{
    const QHeaderView *header = list->horizontalHeader();
    int total = 0;
    for (int column = 0; column < header->count(); ++column)
        total += header->sectionSize(column);
    return total;
}

// The list after its scroll bars have followed its rows.
void Settle(QTableView *list)
{
    list->doItemsLayout();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

// The tool tip a person gets when resting the mouse on a cell ("" for none).
QString ToolTipAt(QTableView *list, const QPoint &at)
{
    QToolTip::hideText(); // hides after a moment
    if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 3000))
        return QStringLiteral("<the previous tool tip stays>");
    QHelpEvent event(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &event);
    if (!QToolTip::isVisible())
        return QString();
    // The tool tip's line breaks stand where the text had a space.
    QString text = QTextDocumentFragment::fromHtml(QToolTip::text()).toPlainText();
    return text.replace(u'\n', u' ').replace(QChar::LineSeparator, u' ');
}

QFont ListFont(const QTableView *list)
{
    return list->font();
}

} // namespace

class TestLists : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void textWidthIsExact_data();
    void textWidthIsExact();
    void valueColumnsFillTheViewport_data();
    void valueColumnsFillTheViewport();
    void emptySectionListHasNoHorizontalBar();
    void shortWideTextIsMeasured();
    void valuesOnlyCountColumn();
    void iconColumnShowsTheIcon_data();
    void iconColumnShowsTheIcon();
    void iconColumnDoesNotSort();
    void toolTipsOfCutOffCells();
    void toolTipTextWraps_data();
    void toolTipTextWraps();
    void keyboardMovesByRows();

private:
    TForm1 *Open(const QString &path, QSize size = QSize());
    QTemporaryDir m_config;
    QTemporaryDir m_dir;
    TForm1 *m_form = nullptr;
};

void TestLists::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    SetShellOpener([](const QUrl &) {});
    SetMsgBoxHook([](const TKvMsgBoxRequest &request) { return request.buttons.first(); });
}

void TestLists::cleanup()
{
    delete m_form;
    m_form = nullptr;
}

TForm1 *TestLists::Open(const QString &path, QSize size)
{
    m_form = new TForm1(path.isEmpty() ? QStringList() : QStringList{path});
    if (size.isValid())
        m_form->resize(size);
    m_form->show();
    if (!QTest::qWaitForWindowExposed(m_form))
        return nullptr;
    if (!QTest::qWaitFor([&] { return !m_form->LoadFileTimer->isActive(); }, 2000))
        return nullptr;
    Settle(m_form->LvSections);
    Settle(m_form->LvValues);
    return m_form;
}

void TestLists::textWidthIsExact_data()
{
    QTest::addColumn<QString>("text");
    QTest::addRow("empty") << QString();
    QTest::addRow("word") << QStringLiteral("extension_dir");
    QTest::addRow("wide") << QStringLiteral("WWWWWWWWWWWW");
    QTest::addRow("narrow") << QStringLiteral("iiiiiiiiiiiiiiiiiiiiiiii");
    QTest::addRow("kerning pairs") << QStringLiteral("AVAVA To Ty Yo LT");
    QTest::addRow("ligature letters") << QStringLiteral("office fluffy ffi ffl");
    QTest::addRow("punctuation") << QStringLiteral("; \"E_ALL & ~E_DEPRECATED\" (0x7FFF) {a=b} 100%");
    QTest::addRow("latin-1") << QStringLiteral("Blåbærgrød æøå ÆØÅ ß ÿ");
    QTest::addRow("greek, cyrillic") << QStringLiteral("αβγ Ωμέγα Привет мир");
    QTest::addRow("combining mark") << QStringLiteral("e\u0301e\u0301e\u0301");
    QTest::addRow("arabic") << QStringLiteral("مرحبا بالعالم");
    QTest::addRow("cjk") << QStringLiteral("設定ファイル");
    QTest::addRow("surrogate pair") << QStringLiteral("a\U0001F600b");
    QTest::addRow("tab") << QStringLiteral("a\tb");
    QTest::addRow("long") << QString(5000, u'm');
}

// Exact for what the lists draw: their font has no kerning and no ligatures.
void TestLists::textWidthIsExact()
{
    QFETCH(QString, text);
    for (int pixels : {12, 18, 24}) {
        QFont font = QApplication::font();
        font.setPixelSize(pixels);
        font.setKerning(false);
        font.setStyleStrategy(QFont::PreferNoShaping);
        const int expected = int(std::ceil(QFontMetricsF(font).horizontalAdvance(text)));
        QCOMPARE(TKvTextWidth(font).Width(text), expected);
    }
}

void TestLists::valueColumnsFillTheViewport_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<bool>("scrolls");
    QTest::addRow("few rows") << QByteArray("[s]\n" + Lines("key# = value # ; note #", 3)) << false;
    QTest::addRow("rows beyond the view")
        << QByteArray("[s]\n" + Lines("key# = value # ; note #", 400)) << true;
    QTest::addRow("no rows") << QByteArray("[s]\n") << false;
    QTest::addRow("only comments") << QByteArray("[s]\n" + Lines(";comment #", 200)) << true;
}

// The measured columns share out the width that is left once the vertical
// scroll bar has taken its place: no horizontal bar appears.
void TestLists::valueColumnsFillTheViewport()
{
    QFETCH(QByteArray, section);
    QFETCH(bool, scrolls);
    TForm1 *form = Open(WriteFile(m_dir, QStringLiteral("fill.ini"), section));
    QVERIFY(form);
    QTableView *list = form->LvValues;
    QCOMPARE(list->verticalScrollBar()->isVisible(), scrolls);
    QVERIFY(!list->horizontalScrollBar()->isVisible());
    const int viewport = list->viewport()->width();
    const int columns = ColumnsWidth(list);
    QVERIFY2(columns <= viewport && columns > viewport - 3,
             qPrintable(QStringLiteral("%1 px of columns in a %2-px view").arg(columns).arg(viewport)));

    // The same after selecting the section again, and in values-only mode.
    form->ActValuesOnly->trigger();
    Settle(list);
    QVERIFY(!list->horizontalScrollBar()->isVisible());
    QVERIFY(ColumnsWidth(list) <= list->viewport()->width());
    QVERIFY(ColumnsWidth(list) > list->viewport()->width() - 2);
}

void TestLists::emptySectionListHasNoHorizontalBar()
{
    for (QSize size : {QSize(), QSize(640, 400)}) {
        TForm1 *form = Open(QString(), size);
        QVERIFY(form);
        for (QTableView *list : {form->LvSections, form->LvValues}) {
            QVERIFY2(!list->horizontalScrollBar()->isVisible(), qPrintable(list->objectName()));
            QVERIFY(ColumnsWidth(list) <= list->viewport()->width());
        }
        cleanup();
    }
}

// A text that is short but wide is measured like every other: many longer
// texts of narrow letters do not hide it.
void TestLists::shortWideTextIsMeasured()
{
    const QByteArray text =
        "[narrow and wide]\n" + Lines("n# = iiiiiiiiiiiiiiiiiiii", 100) + "w = WWWWWWWWWWWW\n";
    TForm1 *form = Open(WriteFile(m_dir, QStringLiteral("wide.ini"), text), QSize(500, 400));
    QVERIFY(form);
    QTableView *list = form->LvValues;
    // The measure is exact for the font the lists draw with.
    QVERIFY(!list->font().kerning());
    QVERIFY(list->font().styleStrategy() & QFont::PreferNoShaping);
    const int wide = TKvTextWidth(ListFont(list)).Width(u"WWWWWWWWWWWW");
    const int padding = 20 * form->ScreenDpi() / 144;
    QVERIFY(list->horizontalHeader()->sectionSize(TKvValueModel::ValueColumn) >= wide + padding);

    const int last = list->model()->rowCount() - 1;
    list->scrollTo(list->model()->index(last, 0));
    Settle(list);
    const auto *delegate = static_cast<TKvListDelegate *>(list->itemDelegate());
    QStyleOptionViewItem option;
    option.initFrom(list);
    option.font = list->font();
    option.fontMetrics = QFontMetrics(option.font);
    option.widget = list;
    const QModelIndex cell = list->model()->index(last, TKvValueModel::ValueColumn);
    option.rect = list->visualRect(cell);
    QVERIFY(!delegate->IsCutOff(option, cell));
}

// In values-only mode the "C" column is as wide as the value-item counts it
// shows, not as the count of all entries.
void TestLists::valuesOnlyCountColumn()
{
    const QByteArray text = "[many comments]\n" + Lines(";comment #", 12345) + "k = v\n[two]\na=1\nb=2\n";
    TForm1 *form = Open(WriteFile(m_dir, QStringLiteral("counts.ini"), text));
    QVERIFY(form);
    QHeaderView *header = form->LvSections->horizontalHeader();
    const TKvTextWidth measure(ListFont(form->LvSections));
    const int padding = 24 * form->ScreenDpi() / 144;
    QCOMPARE(header->sectionSize(TKvSectionModel::CountColumn), measure.Width(u"12346") + padding);

    form->ActValuesOnly->trigger();
    const int narrowest = std::max({measure.Width(u"C"), measure.Width(u"1"), measure.Width(u"2")});
    QCOMPARE(header->sectionSize(TKvSectionModel::CountColumn), narrowest + padding);
}

void TestLists::iconColumnShowsTheIcon_data()
{
    QTest::addColumn<QByteArray>("scale");
    QTest::addRow("1") << QByteArray("1");
    QTest::addRow("1.5") << QByteArray("1.5");
    QTest::addRow("2") << QByteArray("2");
}

// At every scale factor (a child process each) the icon lies whole inside its
// cell, with its rightmost column of pixels on the screen.
void TestLists::iconColumnShowsTheIcon()
{
    QFETCH(QByteArray, scale);
    if (qgetenv("QT_SCALE_FACTOR") != scale) {
        if (qEnvironmentVariableIsSet("QUILLON_LISTS_CHILD"))
            QSKIP("the parent runs the other scale factors");
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::fromLatin1(scale));
        env.insert(QStringLiteral("QUILLON_LISTS_CHILD"), QStringLiteral("1"));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("iconColumnShowsTheIcon:") + QString::fromLatin1(scale)});
        QVERIFY(child.waitForFinished(60000));
        const QByteArray output = child.readAll();
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, output.constData());
        return;
    }

    TForm1 *form = Open(WriteFile(m_dir, QStringLiteral("icons.ini"), "[a]\nk=v\n;c\n\n[b]\n"));
    QVERIFY(form);
    for (QTableView *list : {form->LvSections, form->LvValues}) {
        const QModelIndex cell = list->model()->index(1, 0);
        const QIcon icon = cell.data(Qt::DecorationRole).value<QIcon>();
        QVERIFY(!icon.isNull());
        const QSize size = icon.actualSize(list->iconSize());
        QCOMPARE(size, QSize(12, 12));
        // The cell without the grid line.
        const QRect rect = list->visualRect(cell).adjusted(0, 0, -1, -1);
        const QRect iconRect = TKvListDelegate::IconRect(rect, size);
        QVERIFY2(rect.contains(iconRect), qPrintable(QStringLiteral("%1: icon at %2..%3 in a cell %4..%5")
                                                         .arg(list->objectName())
                                                         .arg(iconRect.left())
                                                         .arg(iconRect.right())
                                                         .arg(rect.left())
                                                         .arg(rect.right())));
        QVERIFY(list->horizontalHeader()->sectionSize(0) >= form->Scaled(22));

        // The icon's last column of opaque pixels shows on the screen.
        const QImage picture = icon.pixmap(size).toImage();
        int lastOpaque = -1;
        for (int x = 0; x < picture.width(); ++x)
            for (int y = 0; y < picture.height(); ++y)
                if (qAlpha(picture.pixel(x, y)) == 255)
                    lastOpaque = x;
        QVERIFY(lastOpaque >= 0);
        const QImage screen = list->viewport()->grab(rect).toImage();
        const qreal ratio = screen.devicePixelRatio();
        const int x = int((iconRect.left() - rect.left() + lastOpaque + 0.5) * ratio);
        const QColor background = list->palette().color(QPalette::Base);
        bool shown = false;
        for (int y = 0; y < screen.height() && !shown; ++y)
            shown = QColor(screen.pixel(x, y)) != background;
        QVERIFY2(shown, qPrintable(list->objectName()));
    }
}

// A click on the icon column's header neither sorts nor moves the arrow.
void TestLists::iconColumnDoesNotSort()
{
    TForm1 *form = Open(WriteFile(m_dir, QStringLiteral("sort.ini"), "[s]\nb=1\na=2\nc=3\n"));
    QVERIFY(form);
    for (QTableView *list : {form->LvValues, form->LvSections}) {
        QHeaderView *header = list->horizontalHeader();
        const auto centre = [&](int column) {
            return QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                          header->height() / 2);
        };
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre(1));
        QCOMPARE(form->SortState(list, 1), 1);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre(0));
        QVERIFY(header->isSortIndicatorShown());
        QCOMPARE(header->sortIndicatorSection(), 1);
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        QCOMPARE(form->SortState(list, 0), 0);
        QCOMPARE(form->SortState(list, 1), 1);
        // The next click on the sorted column flips it, as the arrow says.
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre(1));
        QCOMPARE(form->SortState(list, 1), 2);
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    }
    const TKvIniSection *section = form->SelectedSection();
    QVERIFY(section);
    QCOMPARE(section->Vals[0]->Name(), QStringLiteral("c"));
}

// A cell that is cut off, by its column or by the edge of the view, shows its
// whole text as tool tip; a cell shown whole shows none.
void TestLists::toolTipsOfCutOffCells()
{
    QString longComment =
        QStringLiteral("a comment  far longer than any view is wide, <b>not bold</b> &amp;");
    for (int i = 0; i < 40; ++i)
        longComment += QStringLiteral(" word%1").arg(i);
    const QByteArray text = "[section with a long comment] ;" + longComment.toUtf8() + "\nkey=value ;"
                            + longComment.toUtf8() + "\n";
    TForm1 *form = Open(WriteFile(m_dir, QStringLiteral("tips.ini"), text), QSize(700, 400));
    QVERIFY(form);

    QTableView *values = form->LvValues;
    const QRect name = values->visualRect(values->model()->index(0, TKvValueModel::NameColumn));
    QCOMPARE(ToolTipAt(values, name.center()), QString());
    QRect comment = values->visualRect(values->model()->index(0, TKvValueModel::CommentColumn));
    comment = comment.intersected(values->viewport()->rect());
    QVERIFY(!comment.isEmpty());
    QCOMPARE(ToolTipAt(values, comment.center()), longComment);

    // The section list's comment column fills the rest and cuts the text off.
    QTableView *sections = form->LvSections;
    const QRect sectionComment =
        sections->visualRect(sections->model()->index(0, TKvSectionModel::CommentColumn));
    QCOMPARE(ToolTipAt(sections, sectionComment.intersected(sections->viewport()->rect()).center()),
             longComment);
    const QRect count = sections->visualRect(sections->model()->index(0, TKvSectionModel::CountColumn));
    QCOMPARE(ToolTipAt(sections, count.center()), QString());
    QToolTip::hideText();
}

void TestLists::toolTipTextWraps_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("lines");
    QTest::addRow("short") << QStringLiteral("one line") << 1;
    QTest::addRow("markup stays text") << QStringLiteral("<b>x</b> &amp; <i>") << 1;
    QTest::addRow("spaces kept") << QStringLiteral("  a   b  ") << 1;
    QTest::addRow("long") << QString(QStringLiteral("word ")).repeated(100).trimmed() << -1;
    QTest::addRow("one long word") << QString(500, u'x') << 1;
}

// Lines break at spaces before they grow wider than the limit; the text
// comes back whole, as plain text.
void TestLists::toolTipTextWraps()
{
    QFETCH(QString, text);
    QFETCH(int, lines);
    const QFontMetrics metrics(QApplication::font());
    const int maxWidth = 300;
    const QString tip = TKvListDelegate::ToolTipOf(text, metrics, maxWidth);
    QVERIFY(Qt::mightBeRichText(tip));
    QString plain = QTextDocumentFragment::fromHtml(tip).toPlainText().replace(QChar::LineSeparator, u'\n');
    const QStringList shown = plain.split(u'\n');
    if (lines > 0)
        QCOMPARE(shown.size(), lines);
    else
        QVERIFY(shown.size() > 1);
    for (const QString &line : shown)
        QVERIFY(!line.contains(u' ') || metrics.horizontalAdvance(line) <= maxWidth);
    QCOMPARE(shown.join(u' '), text);
}

// Tab and Shift+Tab move between the filter box and the lists and leave the selection alone;
// Home and End go to the first and last row; Left and Right stay on the row.
void TestLists::keyboardMovesByRows()
{
    const QByteArray text = "[first]\n" + Lines("k# = v", 50) + "[second]\nx=1\n";
    TForm1 *form = Open(WriteFile(m_dir, QStringLiteral("keys.ini"), text));
    QVERIFY(form);
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form));
    QTableView *sections = form->LvSections;
    QTableView *values = form->LvValues;
    sections->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), sections);
    TKvIniSection *first = form->Document().Sections[0];
    QCOMPARE(form->SelectedSection(), first);

    QTest::keyClick(sections, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), values);
    QCOMPARE(form->SelectedSection(), first);
    QTest::keyClick(values, Qt::Key_Tab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), sections);
    QCOMPARE(form->SelectedSection(), first);
    // Before the lists comes the filter box, and after it the section list again.
    QTest::keyClick(sections, Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("EdFilter"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), sections);
    QCOMPARE(form->SelectedSection(), first);
    QTest::keyClick(sections, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), values);

    // With nothing selected, the first Down selects the row the focus frame is on, not the one after it.
    values->selectionModel()->clearSelection();
    const int framed = values->currentIndex().row();
    QVERIFY(framed >= 0);
    QTest::keyClick(values, Qt::Key_Down);
    QVERIFY(values->selectionModel()->isRowSelected(framed, {}));

    const int last = values->model()->rowCount() - 1;
    QTest::keyClick(values, Qt::Key_End);
    QVERIFY(values->selectionModel()->isRowSelected(last, {}));
    QCOMPARE(values->currentIndex().row(), last);
    QTest::keyClick(values, Qt::Key_Left);
    QTest::keyClick(values, Qt::Key_Right);
    QVERIFY(values->selectionModel()->isRowSelected(last, {}));
    QTest::keyClick(values, Qt::Key_Home);
    QVERIFY(values->selectionModel()->isRowSelected(0, {}));

    QTest::keyClick(values, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("EdFilter"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), sections);
    QTest::keyClick(sections, Qt::Key_End);
    QCOMPARE(form->SelectedSection(), form->Document().Sections[1]);
    QTest::keyClick(sections, Qt::Key_Home);
    QCOMPARE(form->SelectedSection(), first);
}

QTEST_MAIN(TestLists)
#include "tst_lists.moc"
