// Copying and pasting sections and items: the clipboard data, the copy texts,
// the paste rules, the popup menu's enabling and the undo of the pastes.
#include "clipboardcommands.h"
#include "clipformats.h"
#include "dialogrun.h"
#include "form1.h"
#include "frmsection.h"
#include "kvfunctions.h"
#include "kvgradilabel.h"
#include "kvmsgbox.h"
#include "kvshell.h"
#include "sectionmodel.h"
#include "valuemodel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

namespace {

const QByteArray Sample = "[Main] ;core settings\r\n"
                          "name=demo\r\n"
                          "\r\n"
                          "[Net]\r\n"
                          "port=8080\r\n"
                          "host=localhost ;local only\r\n"
                          ";hello\r\n"
                          "[net2]\r\n"
                          "x=1\r\n";

QClipboard *Clipboard()
{
    return QGuiApplication::clipboard();
}

void SetPlainText(const QString &text)
{
    auto *data = new QMimeData;
    data->setText(text);
    Clipboard()->setMimeData(data);
}

// What the clipboard holds: the plain text and the block under each format of ours.
struct TClipContent
{
    QString text;
    QByteArray section;
    QByteArray item;
};

TClipContent ReadClipboard()
{
    const QMimeData *data = Clipboard()->mimeData();
    return {data->text(), data->data(KvClipFormat::Section), data->data(KvClipFormat::Item)};
}

QStringList Texts(const TKvIniSection *section)
{
    QStringList lines;
    for (const TKvIniVal *val : section->Vals)
        lines << QString::number(val->Kind()) + u'|' + val->Name() + u'|' + val->Value() + u'|'
                     + val->Comment();
    return lines;
}

} // namespace

class TestClipboard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // The data and texts, without a window.
    void clipBlock_data();
    void clipBlock();
    void clipDataCarriesTheWantedFormats();
    void clipState_data();
    void clipState();
    void sectionHeaderText_data();
    void sectionHeaderText();
    void parsers();

    // The window.
    void copyTexts_data();
    void copyTexts();
    void copyWithoutSelectionDoesNothing();
    void pasteSectionNameClashAsks_data();
    void pasteSectionNameClashAsks();
    void pasteSectionCancelledChangesNothing();
    void pasteSectionKeepsItsBlankLast();
    void pasteItemValueJoinsLines();
    void pasteItemOfCommentIsErrorLine();
    void pasteAllItemsOfCommentIsComment();
    void pasteItemOfSectionAndItemTakesTheHeader();
    void plainTextEnablesOnlyFieldPastes();
    void popupEnabling_data();
    void popupEnabling();
    void popupOrder();
    void selectionMenus();
    void popupCarriesSortAndUndo();
    void fieldPastesAndTheirUndo_data();
    void fieldPastesAndTheirUndo();
    void undoOfItemAndSectionPastes_data();
    void undoOfItemAndSectionPastes();
    void pasteSectionAsksWithTheSectionDialog();
    void shortcutsFireTheCommands();

private:
    TForm1 *Open();
    void Select(int sectionRow, int valueRow = -1);
    TClipboardCommands &Clip() { return m_form->ClipCommands(); }
    TKvIniSection *Section(const QString &name) const;

    QTemporaryDir m_dir;
    QString m_path;
    TForm1 *m_form = nullptr;
    QStringList m_asked;
    bool m_askAnswer = true;
    QString m_askName;
};

void TestClipboard::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("config"))));
    SetShellOpener([](const QUrl &) {});
    SetMsgBoxHook([](const TKvMsgBoxRequest &request) { return request.buttons.first(); });
    m_path = m_dir.filePath(QStringLiteral("sample.ini"));
    QFile file(m_path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(Sample);
}

void TestClipboard::init()
{
    m_asked.clear();
    m_askAnswer = true;
    m_askName = QStringLiteral("Renamed");
    TClipboardCommands::SetSectionNameAsker([this](QWidget *, QString &name, QString &comment) {
        m_asked << name + u'|' + comment;
        name = m_askName;
        return m_askAnswer;
    });
    Clipboard()->clear();
}

void TestClipboard::cleanup()
{
    delete m_form;
    m_form = nullptr;
    TClipboardCommands::SetSectionNameAsker({});
}

TForm1 *TestClipboard::Open()
{
    m_form = new TForm1({m_path});
    m_form->show();
    if (!QTest::qWaitFor([&] { return !m_form->LoadFileTimer->isActive(); }, 2000))
        return nullptr;
    QTest::qWait(1);
    return m_form;
}

void TestClipboard::Select(int sectionRow, int valueRow)
{
    m_form->SelectRow(m_form->LvSections, sectionRow);
    if (valueRow >= 0)
        m_form->SelectRow(m_form->LvValues, valueRow);
    else
        m_form->LvValues->selectionModel()->clearSelection();
}

TKvIniSection *TestClipboard::Section(const QString &name) const
{
    const qint32 index = m_form->Document().IndexOfSectionName(name);
    return index < 0 ? nullptr : m_form->Document().Sections[index];
}

// ---- Data and texts ----------------------------------------------------------------

void TestClipboard::clipBlock_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("block");
    QTest::addRow("empty") << "" << QByteArray(3, '\0');
    QTest::addRow("ascii") << "a=1"
                           << QByteArray("a\0=\0"
                                         "1\0\0\0\0",
                                         9);
    QTest::addRow("non-latin") << QStringLiteral("ø€") << QByteArray("\xF8\0\xAC\x20\0\0\0", 7);
    QTest::addRow("surrogate pair") << QStringLiteral("\U0001F600")
                                    << QByteArray("\x3D\xD8\x00\xDE\0\0\0", 7);
}

void TestClipboard::clipBlock()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, block);
    QCOMPARE(ClipBlock(text), block);
    QCOMPARE(ClipBlock(text).size(), 2 * text.size() + 3);
}

void TestClipboard::clipDataCarriesTheWantedFormats()
{
    for (const auto &[section, item] :
         {std::pair{false, false}, {true, false}, {false, true}, {true, true}}) {
        const std::unique_ptr<QMimeData> data =
            MakeClipData(QStringLiteral("[Net]\r\nport=8080"), section, item);
        QVERIFY(data);
        QCOMPARE(data->text(), QStringLiteral("[Net]\r\nport=8080"));
        QCOMPARE(data->hasFormat(KvClipFormat::Section), section);
        QCOMPARE(data->hasFormat(KvClipFormat::Item), item);
        if (section)
            QCOMPARE(data->data(KvClipFormat::Section), ClipBlock(QStringLiteral("[Net]\r\nport=8080")));
    }
    const std::unique_ptr<QMimeData> empty = MakeClipData(QString(), true, true);
    QVERIFY(empty && empty->hasText());
    QCOMPARE(empty->text(), QString());
}

void TestClipboard::clipState_data()
{
    QTest::addColumn<QStringList>("formats");
    QTest::addColumn<bool>("withText");
    QTest::addColumn<bool>("section");
    QTest::addColumn<bool>("item");
    const QString windows = QStringLiteral("application/x-qt-windows-mime;value=\"%1\"");
    QTest::addRow("nothing") << QStringList() << false << false << false;
    QTest::addRow("plain text") << QStringList() << true << false << false;
    QTest::addRow("bare section") << QStringList{KvClipFormat::Section} << true << true << false;
    QTest::addRow("bare item") << QStringList{KvClipFormat::Item} << true << false << true;
    QTest::addRow("windows names") << QStringList{windows.arg(KvClipFormat::Section),
                                                  windows.arg(KvClipFormat::Item)}
                                   << true << true << true;
    QTest::addRow("format without text") << QStringList{KvClipFormat::Item} << false << false << true;
}

void TestClipboard::clipState()
{
    QFETCH(QStringList, formats);
    QFETCH(bool, withText);
    QFETCH(bool, section);
    QFETCH(bool, item);
    QMimeData data;
    for (const QString &format : formats)
        data.setData(format, ClipBlock(QStringLiteral("x")));
    if (withText)
        data.setText(QStringLiteral("x"));
    const TKvClipState state = ClipStateOf(&data);
    QCOMPARE(state.HasText, withText);
    QCOMPARE(state.HasSection, section);
    QCOMPARE(state.HasItem, item);
    const TKvClipState none = ClipStateOf(nullptr);
    QVERIFY(!none.HasText && !none.HasSection && !none.HasItem);
}

void TestClipboard::sectionHeaderText_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<bool>("valuesOnly");
    QTest::addColumn<QString>("text");
    QTest::addRow("with comment") << "Main"
                                  << "core settings" << false << "[Main] ;core settings";
    QTest::addRow("values only") << "Main"
                                 << "core settings" << true << "[Main]";
    QTest::addRow("no comment") << "Main"
                                << "" << false << "[Main]";
    QTest::addRow("nameless") << ""
                              << "c" << false << "[] ;c";
}

void TestClipboard::sectionHeaderText()
{
    QFETCH(QString, name);
    QFETCH(QString, comment);
    QFETCH(bool, valuesOnly);
    QFETCH(QString, text);
    TKvIniSection section(name);
    section.Comment = comment;
    QCOMPARE(SectionHeaderText(section, valuesOnly), text);
}

void TestClipboard::parsers()
{
    const std::unique_ptr<TKvIniVal> item = ParseClipItem(QStringLiteral("port = 8080 ;http\r\nnext=1"));
    QCOMPARE(item->Kind(), ikValue);
    QCOMPARE(item->Name(), QStringLiteral("port"));
    QCOMPARE(item->Value(), QStringLiteral("8080"));
    QCOMPARE(item->Comment(), QStringLiteral("http"));
    QCOMPARE(ParseClipItem(QStringLiteral(";hello"))->Kind(), ikError);

    const std::unique_ptr<TKvIniSection> section =
        ParseClipSection(QStringLiteral("[Net] ;nets\r\nport=8080\r\n;c\r\n\r\n[Next]\r\nx=1"));
    QCOMPARE(section->Name, QStringLiteral("Net"));
    QCOMPARE(section->Comment, QStringLiteral("nets"));
    QCOMPARE(Texts(section.get()), QStringList({"1|port|8080|", "2|||c", "0|||"}));
    // Without a header: a nameless section of the lines.
    QCOMPARE(Texts(ParseClipSection(QStringLiteral("a=1\r\nb=2")).get()), QStringList({"1|a|1|", "1|b|2|"}));
}

// ---- The window ----------------------------------------------------------------------

void TestClipboard::copyTexts_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("sectionRow");
    QTest::addColumn<int>("valueRow");
    QTest::addColumn<bool>("valuesOnly");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("section");
    QTest::addColumn<bool>("item");
    QTest::addRow("section") << "MnuCopySection" << 0 << -1 << false << "[Main] ;core settings" << true
                             << false;
    QTest::addRow("section, values only") << "MnuCopySection" << 0 << -1 << true << "[Main]" << true << false;
    QTest::addRow("section and item")
        << "MnuCopySectionItem" << 1 << 0 << false << "[Net]\r\nport=8080" << true << true;
    QTest::addRow("section and all items") << "MnuCopySectionAllItems" << 1 << 0 << false
                                           << "[Net]\r\nport=8080\r\nhost=localhost ;local only\r\n;hello\r\n"
                                           << true << true;
    QTest::addRow("all items keep comments in values only")
        << "MnuCopySectionAllItems" << 1 << 0 << true
        << "[Net]\r\nport=8080\r\nhost=localhost ;local only\r\n;hello\r\n"
        << true << true;
    QTest::addRow("comment item") << "MnuCopyItem" << 1 << 2 << false << ";hello" << false << true;
    QTest::addRow("item with comment")
        << "MnuCopyItem" << 1 << 1 << false << "host=localhost ;local only" << false << true;
    QTest::addRow("item value") << "MnuCopyItemValue" << 1 << 1 << false << "localhost" << false << false;
    QTest::addRow("item name") << "MnuCopyItemName" << 1 << 1 << false << "host" << false << false;
    QTest::addRow("item comment") << "MnuCopyItemComment" << 1 << 1 << false << "local only" << false
                                  << false;
    QTest::addRow("section name") << "MnuCopySectionName" << 0 << -1 << false << "Main" << false << false;
    QTest::addRow("section comment") << "MnuCopySectionComment" << 0 << -1 << false << "core settings"
                                     << false << false;
}

void TestClipboard::copyTexts()
{
    QFETCH(QString, command);
    QFETCH(int, sectionRow);
    QFETCH(int, valueRow);
    QFETCH(bool, valuesOnly);
    QFETCH(QString, text);
    QFETCH(bool, section);
    QFETCH(bool, item);
    QVERIFY(Open());
    if (valuesOnly)
        m_form->SetValuesOnly(true);
    Select(sectionRow, valueRow);
    auto *action = m_form->PopupClip->findChild<QAction *>(command);
    QVERIFY(action);
    QVERIFY(action->isEnabled());
    action->trigger();
    const TClipContent content = ReadClipboard();
    QCOMPARE(content.text, text);
    QCOMPARE(content.section, section ? ClipBlock(text) : QByteArray());
    QCOMPARE(content.item, item ? ClipBlock(text) : QByteArray());
    Clip().UpdateClipboardState();
    QCOMPARE(Clip().ClipState().HasSection, section);
    QCOMPARE(Clip().ClipState().HasItem, item);
    QVERIFY(Clip().ClipState().HasText);
}

void TestClipboard::copyWithoutSelectionDoesNothing()
{
    QVERIFY(Open());
    m_form->LvSections->selectionModel()->clearSelection();
    SetPlainText(QStringLiteral("before"));
    for (QAction *action : m_form->PopupClip->actions())
        if (action->objectName().startsWith(QStringLiteral("MnuCopy")))
            action->trigger();
    QCOMPARE(Clipboard()->text(), QStringLiteral("before"));
}

void TestClipboard::pasteSectionNameClashAsks_data()
{
    QTest::addColumn<QString>("copied");
    QTest::addColumn<bool>("asks");
    QTest::addColumn<QString>("newName");
    QTest::addRow("exact name") << "[Net] ;again\r\na=1" << true << "Renamed";
    QTest::addRow("letter case differs") << "[NET]\r\na=1" << false << "NET";
    QTest::addRow("new name") << "[Other]\r\na=1" << false << "Other";
    QTest::addRow("no name") << "a=1" << true << "Renamed";
}

void TestClipboard::pasteSectionNameClashAsks()
{
    QFETCH(QString, copied);
    QFETCH(bool, asks);
    QFETCH(QString, newName);
    QVERIFY(Open());
    Select(0);
    Clip().PutOnClipboard(copied, true, false);
    const qint32 before = m_form->Document().Sections.Count();
    m_form->MnuPasteSection->trigger();
    QCOMPARE(m_asked.size(), asks ? 1 : 0);
    if (asks && copied.startsWith(u'['))
        QCOMPARE(m_asked.first(), QStringLiteral("Net|again"));
    QCOMPARE(m_form->Document().Sections.Count(), before + 1);
    TKvIniSection *added = m_form->Document().Sections.Last();
    QCOMPARE(added->Name, newName);
    QCOMPARE(Texts(added), QStringList({"1|a|1|", "0|||"}));
    QCOMPARE(m_form->SelectedSection(), added);
    QVERIFY(m_form->Modified());
}

void TestClipboard::pasteSectionCancelledChangesNothing()
{
    QVERIFY(Open());
    Select(0);
    Clip().PutOnClipboard(QStringLiteral("[Main]\r\na=1"), true, false);
    m_askAnswer = false;
    m_form->MnuPasteSection->trigger();
    QCOMPARE(m_asked.size(), 1);
    QCOMPARE(m_form->Document().Sections.Count(), 3);
    QVERIFY(!m_form->Modified());
    QCOMPARE(m_form->UndoStack()->count(), 0);
}

void TestClipboard::pasteSectionKeepsItsBlankLast()
{
    QVERIFY(Open());
    Select(1);
    Clip().PutOnClipboard(QStringLiteral("[Pasted] ;p\r\n\r\na=1\r\n\r\nb=2\r\n"), true, false);
    m_form->MnuPasteSection->trigger();
    TKvIniSection *pasted = Section(QStringLiteral("Pasted"));
    QVERIFY(pasted);
    QCOMPARE(pasted->Comment, QStringLiteral("p"));
    QCOMPARE(Texts(pasted), QStringList({"1|a|1|", "1|b|2|", "0|||"}));
    QCOMPARE(m_form->LvValues->model()->rowCount(), 3);
    QCOMPARE(m_form->LbSectionCount->Caption(), QStringLiteral("4"));
}

void TestClipboard::pasteItemValueJoinsLines()
{
    QVERIFY(Open());
    Select(1, 0);
    SetPlainText(QStringLiteral("first line\r\n\r\n  second line\n"));
    m_form->MnuPasteItemValue->trigger();
    QCOMPARE(Section(QStringLiteral("Net"))->Vals[0]->Value(), QStringLiteral("first line second line"));
    const QAbstractItemModel *values = m_form->LvValues->model();
    QCOMPARE(values->data(values->index(0, TKvValueModel::ValueColumn)).toString(),
             QStringLiteral("first line second line"));
    // The action (Shift+Ins) does the same.
    SetPlainText(QStringLiteral("other"));
    m_form->ActPasteItemValue->trigger();
    QCOMPARE(Section(QStringLiteral("Net"))->Vals[0]->Value(), QStringLiteral("other"));
}

void TestClipboard::pasteItemOfCommentIsErrorLine()
{
    QVERIFY(Open());
    Select(1, 2);
    m_form->MnuCopyItem->trigger();
    QCOMPARE(Clipboard()->text(), QStringLiteral(";hello"));
    Select(2, 0);
    m_form->MnuPasteItem->trigger();
    TKvIniSection *net2 = Section(QStringLiteral("net2"));
    QCOMPARE(Texts(net2), QStringList({"1|x|1|", "3||;hello|"}));
    QCOMPARE(m_form->LbErrorCount->Caption(), QStringLiteral("1"));
    QCOMPARE(m_form->LvValues->selectionModel()->selectedRows().value(0).row(), 1);
}

void TestClipboard::pasteAllItemsOfCommentIsComment()
{
    QVERIFY(Open());
    Clip().PutOnClipboard(QStringLiteral(";hello"), false, true);
    Select(2, 0);
    m_form->MnuPasteAllItems->trigger();
    QCOMPARE(Texts(Section(QStringLiteral("net2"))), QStringList({"1|x|1|", "2|||hello"}));

    // Blank lines are dropped, a header is skipped.
    Clip().PutOnClipboard(QStringLiteral("[Net]\r\na=1\r\n\r\n\r\nb=2 ;c\r\n"), true, true);
    m_form->MnuPasteAllItems->trigger();
    QCOMPARE(Texts(Section(QStringLiteral("net2"))),
             QStringList({"1|x|1|", "2|||hello", "1|a|1|", "1|b|2|c"}));
}

void TestClipboard::pasteItemOfSectionAndItemTakesTheHeader()
{
    QVERIFY(Open());
    Select(1, 0);
    m_form->MnuCopySectionItem->trigger();
    Select(2, 0);
    m_form->MnuPasteItem->trigger();
    QCOMPARE(Texts(Section(QStringLiteral("net2"))), QStringList({"1|x|1|", "3||[Net]|"}));
}

void TestClipboard::plainTextEnablesOnlyFieldPastes()
{
    QVERIFY(Open());
    Select(1, 0);
    m_form->MnuCopySectionItem->trigger();
    SetPlainText(QStringLiteral("from another program")); // dataChanged updates the flags
    QVERIFY(Clip().ClipState().HasText);
    QVERIFY(!Clip().ClipState().HasItem);
    m_form->PopupClipPopup(m_form->LvValues);
    for (QAction *action : {m_form->MnuPasteItemValue, m_form->MnuPasteItemName, m_form->MnuPasteItemComment,
                            m_form->MnuPasteSectionName, m_form->MnuPasteSectionComment})
        QVERIFY2(action->isEnabled(), qPrintable(action->objectName()));
    for (QAction *action : {m_form->MnuPasteItem, m_form->MnuPasteAllItems, m_form->MnuPasteSection})
        QVERIFY2(!action->isEnabled(), qPrintable(action->objectName()));
    // Run anyway, the item and section pastes test the clipboard again and do nothing.
    Clip().MnuPasteItemClick();
    Clip().MnuPasteAllItemsClick();
    Clip().MnuPasteSectionClick();
    QCOMPARE(m_form->Document().Sections.Count(), 3);
    QVERIFY(!m_form->Modified());
}

void TestClipboard::popupEnabling_data()
{
    QTest::addColumn<int>("sectionRow");
    QTest::addColumn<int>("valueRow");
    QTest::addColumn<QString>("clip"); // "", "text", "item", "section"
    QTest::addColumn<bool>("onValues");
    QTest::addColumn<QStringList>("enabled");
    const QStringList always = {"MnuDeleteItem", "MnuSilentDeleteItem", "MnuDeleteSection",
                                "MnuSilentDeleteSection"};
    QTest::addRow("nothing selected") << -1 << -1 << "" << false << QStringList{"MnuSortAllAlphabetically"};
    QTest::addRow("section with comment, empty clipboard")
        << 0 << -1 << "" << false
        << QStringList{"MnuCopySection", "MnuCopySectionAllItems", "MnuCopySectionName",
                       "MnuCopySectionComment", "MnuSortAllAlphabetically"};
    QTest::addRow("value with empty comment, text") << 1 << 0 << "text" << true
                                                    << QStringList{"MnuCopyItem",
                                                                   "MnuCopyItemValue",
                                                                   "MnuCopyItemName",
                                                                   "MnuPasteItemValue",
                                                                   "MnuPasteItemName",
                                                                   "MnuPasteItemComment",
                                                                   "MnuCopySection",
                                                                   "MnuCopySectionAllItems",
                                                                   "MnuCopySectionItem",
                                                                   "MnuCopySectionName",
                                                                   "MnuPasteSectionName",
                                                                   "MnuPasteSectionComment",
                                                                   "MnuSortAllAlphabetically"};
    QTest::addRow("comment entry, item copied") << 1 << 2 << "item" << true
                                                << QStringList{"MnuCopyItem",
                                                               "MnuCopyItemComment",
                                                               "MnuPasteItem",
                                                               "MnuPasteAllItems",
                                                               "MnuPasteItemValue",
                                                               "MnuPasteItemName",
                                                               "MnuPasteItemComment",
                                                               "MnuCopySection",
                                                               "MnuCopySectionAllItems",
                                                               "MnuCopySectionItem",
                                                               "MnuCopySectionName",
                                                               "MnuPasteSectionName",
                                                               "MnuPasteSectionComment",
                                                               "MnuSortAllAlphabetically"};
    QTest::addRow("section copied, no selection")
        << -1 << -1 << "section" << false << QStringList{"MnuPasteSection", "MnuSortAllAlphabetically"};
    QTest::addRow("one value row") << 2 << 0 << "" << true
                                   << QStringList{
                                          "MnuCopyItem",       "MnuCopyItemValue",       "MnuCopyItemName",
                                          "MnuCopySection",    "MnuCopySectionAllItems", "MnuCopySectionItem",
                                          "MnuCopySectionName"};
}

void TestClipboard::popupEnabling()
{
    QFETCH(int, sectionRow);
    QFETCH(int, valueRow);
    QFETCH(QString, clip);
    QFETCH(bool, onValues);
    QFETCH(QStringList, enabled);
    QVERIFY(Open());
    if (sectionRow >= 0)
        Select(sectionRow, valueRow);
    else
        m_form->LvSections->selectionModel()->clearSelection();
    if (clip == u"text")
        SetPlainText(QStringLiteral("t"));
    else if (clip == u"item")
        Clip().PutOnClipboard(QStringLiteral("a=1"), false, true);
    else if (clip == u"section")
        Clip().PutOnClipboard(QStringLiteral("[S]"), true, false);
    m_form->PopupClipPopup(onValues ? m_form->LvValues : m_form->LvSections);

    QStringList actual;
    for (QAction *action : m_form->PopupClip->actions()) {
        const QString name = action->objectName();
        if (action->isSeparator() || name.contains(QStringLiteral("Delete"))
            || name == u"MnuCommentUncommentItem" || name == u"MnuUndo" || name == u"MnuRedo")
            continue; // these follow their actions and the selection menus
        if (action->isEnabled())
            actual << name;
    }
    QCOMPARE(actual, enabled);
}

void TestClipboard::popupOrder()
{
    QVERIFY(Open());
    QStringList captions;
    for (QAction *action : m_form->PopupClip->actions()) {
        QString caption = action->isSeparator() ? QStringLiteral("-") : action->text();
        if (!action->shortcut().isEmpty())
            caption += u'\t' + action->shortcut().toString();
        captions << caption;
    }
    const QStringList expected = {"Copy Item\tCtrl+J",
                                  "Copy Item Value\tCtrl+C",
                                  "Copy Item Name",
                                  "Copy Item Comment",
                                  "-",
                                  "Paste Item\tCtrl+I",
                                  "Paste All Items\tCtrl+A",
                                  "Paste Item Value\tCtrl+V",
                                  "Paste Item Name",
                                  "Paste Item Comment",
                                  "-",
                                  "Copy Section\tCtrl+Shift+K",
                                  "Copy Section && All Items\tCtrl+Shift+J",
                                  "Copy Section && Selected Item\tCtrl+Shift+E",
                                  "Copy Section Name",
                                  "Copy Section Comment",
                                  "-",
                                  "Paste Section\tCtrl+Shift+I",
                                  "Paste Section Name",
                                  "Paste Section Comment",
                                  "-",
                                  "Delete Item\tDel",
                                  "Silent Delete Item\tShift+Del",
                                  "Delete Section\tCtrl+Del",
                                  "Silent Delete Section\tCtrl+Shift+Del",
                                  "-",
                                  "Comment / Uncomment Item\tCtrl+Space",
                                  "-",
                                  "Sort All Alphabetically\tAlt+S",
                                  "-",
                                  "Undo\tCtrl+Z",
                                  "Redo\tCtrl+Shift+Z"};
    QCOMPARE(captions, expected);
}

void TestClipboard::selectionMenus()
{
    QVERIFY(Open());
    // At start, before any selection change: the pastes off, the copies on.
    TForm1 fresh;
    for (QAction *action : fresh.PopupClip->actions()) {
        if (action->objectName().startsWith(QStringLiteral("MnuPaste")))
            QVERIFY2(!action->isEnabled(), qPrintable(action->objectName()));
        if (action->objectName().startsWith(QStringLiteral("MnuCopy")))
            QVERIFY2(action->isEnabled(), qPrintable(action->objectName()));
    }
    SetPlainText(QStringLiteral("t"));
    Select(1, 0);
    for (QAction *action :
         {m_form->MnuCopyItem, m_form->MnuCopyItemValue, m_form->MnuPasteItemValue,
          m_form->MnuPasteSectionName, m_form->MnuCopySectionItem, m_form->MnuCopySectionName})
        QVERIFY2(action->isEnabled(), qPrintable(action->objectName()));
    m_form->LvValues->selectionModel()->clearSelection();
    QVERIFY(!m_form->MnuCopyItem->isEnabled());
    QVERIFY(!m_form->MnuPasteItemValue->isEnabled());
    QVERIFY(m_form->MnuCopySectionName->isEnabled());
    // The pastes follow the clipboard without the menu being opened.
    Clipboard()->clear();
    QVERIFY(!m_form->MnuPasteSectionName->isEnabled());
    Clip().PutOnClipboard(QStringLiteral("a=1"), false, true);
    QVERIFY(m_form->MnuPasteItem->isEnabled());
    QVERIFY(!m_form->MnuPasteSection->isEnabled());
    m_form->LvSections->selectionModel()->clearSelection();
    QVERIFY(!m_form->MnuCopySectionName->isEnabled());
    QVERIFY(!m_form->MnuPasteItem->isEnabled());
    QVERIFY(!m_form->MnuCopySectionAllItems->isEnabled());
}

void TestClipboard::popupCarriesSortAndUndo()
{
    QVERIFY(Open());
    Select(1, 0);
    const QString before = m_form->Document().GetText();
    QVERIFY(!m_form->MnuUndo->isEnabled());
    m_form->PopupClipPopup(m_form->LvValues);
    QVERIFY(m_form->MnuSortAllAlphabetically->isEnabled());
    m_form->MnuSortAllAlphabetically->trigger();
    const QString sorted = m_form->Document().GetText();
    QVERIFY(sorted != before);
    QVERIFY(m_form->MnuUndo->isEnabled());
    QCOMPARE(m_form->MnuUndo->text(), m_form->ActUndo->text());
    m_form->MnuUndo->trigger();
    QCOMPARE(m_form->Document().GetText(), before);
    QVERIFY(m_form->MnuRedo->isEnabled());
    m_form->MnuRedo->trigger();
    QCOMPARE(m_form->Document().GetText(), sorted);
}

void TestClipboard::fieldPastesAndTheirUndo_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("after"); // the entry or the section afterwards
    QTest::addRow("item value") << "MnuPasteItemValue"
                                << "v\r\nw"
                                << "1|port|v w|";
    QTest::addRow("item name") << "MnuPasteItemName"
                               << "p"
                               << "1|p|8080|";
    QTest::addRow("item comment") << "MnuPasteItemComment"
                                  << "c"
                                  << "1|port|8080|c";
    QTest::addRow("item name emptied") << "MnuPasteItemName"
                                       << ""
                                       << "3||8080|";
    QTest::addRow("section name") << "MnuPasteSectionName"
                                  << "Main"
                                  << "Main|";
    QTest::addRow("section comment") << "MnuPasteSectionComment"
                                     << " two\nlines"
                                     << "Net| two lines";
}

void TestClipboard::fieldPastesAndTheirUndo()
{
    QFETCH(QString, command);
    QFETCH(QString, pasted);
    QFETCH(QString, after);
    QVERIFY(Open());
    Select(1, 0);
    TKvIniSection *net = m_form->SelectedSection();
    const bool onSection = command.contains(QStringLiteral("Section"));
    auto state = [&] { return onSection ? net->Name + u'|' + net->Comment : Texts(net).first(); };
    auto shown = [&] {
        const QAbstractItemModel *model = m_form->LvValues->model();
        if (onSection)
            return m_form->LvSections->model()
                ->data(m_form->LvSections->model()->index(1, TKvSectionModel::NameColumn))
                .toString();
        return model->data(model->index(0, TKvValueModel::NameColumn)).toString() + u'|'
               + model->data(model->index(0, TKvValueModel::ValueColumn)).toString();
    };
    const QString before = state();
    const QString shownBefore = shown();
    SetPlainText(pasted);
    QAction *action = m_form->PopupClip->findChild<QAction *>(command);
    action->trigger();
    QCOMPARE(state(), after);
    const QString shownAfter = shown();
    QVERIFY(m_form->Modified());
    QCOMPARE(m_form->ActUndo->text(), QStringLiteral("Undo ") + action->text());

    m_form->ActUndo->trigger();
    QCOMPARE(state(), before);
    QCOMPARE(shown(), shownBefore);
    QVERIFY(!m_form->Modified());
    m_form->ActRedo->trigger();
    QCOMPARE(state(), after);
    QCOMPARE(shown(), shownAfter);
    QVERIFY(m_form->Modified());
}

void TestClipboard::undoOfItemAndSectionPastes_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("copied");
    QTest::addColumn<bool>("sectionFormat");
    QTest::addRow("paste item") << "MnuPasteItem"
                                << "k=v ;c" << false;
    QTest::addRow("paste all items") << "MnuPasteAllItems"
                                     << "[S]\r\na=1\r\n;c\r\n\r\nb=2" << true;
    QTest::addRow("paste section") << "MnuPasteSection"
                                   << "[S] ;s\r\na=1\r\n\r\n;c\r\nb=2" << true;
}

void TestClipboard::undoOfItemAndSectionPastes()
{
    QFETCH(QString, command);
    QFETCH(QString, copied);
    QFETCH(bool, sectionFormat);
    QVERIFY(Open());
    Select(1, 1);
    const QString before = m_form->Document().GetText();
    const int steps = m_form->UndoStack()->count();
    Clip().PutOnClipboard(copied, sectionFormat, true);
    QAction *action = m_form->PopupClip->findChild<QAction *>(command);
    QVERIFY(action->isEnabled());
    action->trigger();
    const QString after = m_form->Document().GetText();
    QVERIFY(after != before);
    QCOMPARE(m_form->UndoStack()->count(), steps + 1); // one step, however many rows
    QCOMPARE(m_form->ActUndo->text(), QStringLiteral("Undo ") + action->text());
    const int sectionRows = m_form->LvSections->model()->rowCount();

    m_form->ActUndo->trigger();
    QCOMPARE(m_form->Document().GetText(), before);
    QCOMPARE(m_form->LvSections->model()->rowCount(), 3);
    QCOMPARE(m_form->SelectedSection(), Section(QStringLiteral("Net")));
    QCOMPARE(m_form->LvValues->model()->rowCount(), 3);
    QVERIFY(!m_form->Modified());
    m_form->ActRedo->trigger();
    QCOMPARE(m_form->Document().GetText(), after);
    QCOMPARE(m_form->LvSections->model()->rowCount(), sectionRows);
    QVERIFY(m_form->Modified());
}

void TestClipboard::pasteSectionAsksWithTheSectionDialog()
{
    QVERIFY(Open());
    TClipboardCommands::SetSectionNameAsker({}); // the real dialog
    QString caption;
    QString shownName;
    bool applyAtFirst = true;
    SetDialogHook([&](QDialog &dialog) {
        auto &form = static_cast<TFrmSection &>(dialog);
        caption = form.windowTitle();
        shownName = form.EdName->text();
        applyAtFirst = form.ButApply->isEnabled();
        form.EdName->setText(QStringLiteral("Main 2"));
        return int(QDialog::Accepted);
    });
    Select(0);
    Clip().PutOnClipboard(QStringLiteral("[Main] ;core settings\r\nname=demo"), true, false);
    m_form->MnuPasteSection->trigger();
    SetDialogHook({});
    QCOMPARE(caption, QStringLiteral("Paste Section - Need new Name"));
    QCOMPARE(shownName, QStringLiteral("Main"));
    QVERIFY(!applyAtFirst);
    TKvIniSection *pasted = Section(QStringLiteral("Main 2"));
    QVERIFY(pasted);
    QCOMPARE(pasted->Comment, QStringLiteral("core settings"));
    QCOMPARE(Texts(pasted), QStringList({"1|name|demo|", "0|||"}));
}

void TestClipboard::shortcutsFireTheCommands()
{
    QVERIFY(Open());
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    Select(1, 1);
    m_form->LvValues->setFocus();
    QTest::keyClick(m_form->LvValues, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(Clipboard()->text(), QStringLiteral("localhost"));
    QTest::keyClick(m_form->LvValues, Qt::Key_J, Qt::ControlModifier);
    QCOMPARE(Clipboard()->text(), QStringLiteral("host=localhost ;local only"));
    QTest::keyClick(m_form->LvValues, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(Clipboard()->text(), QStringLiteral("[Net]\r\nhost=localhost ;local only"));
    QTest::keyClick(m_form->LvValues, Qt::Key_Insert, Qt::ControlModifier);
    QCOMPARE(Clipboard()->text(), QStringLiteral("localhost"));
    // Ctrl+A pastes all items rather than selecting every row.
    Clip().PutOnClipboard(QStringLiteral("k=v"), false, true);
    QTest::keyClick(m_form->LvValues, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(Texts(Section(QStringLiteral("Net"))).last(), QStringLiteral("1|k|v|"));
    // Ctrl+Shift+I pastes a copied section.
    Select(0);
    QTest::keyClick(m_form->LvSections, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    m_askName = QStringLiteral("Main copy");
    QTest::keyClick(m_form->LvSections, Qt::Key_I, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(Section(QStringLiteral("Main copy")));
}

QTEST_MAIN(TestClipboard)
#include "tst_clipboard.moc"
