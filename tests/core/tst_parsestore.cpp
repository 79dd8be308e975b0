// The parse store: entries placed in blocks, texts as views into the parsed
// text, and the big-file reading path; edits and deletes on all of them.
#include "describedocument.h"
#include "kvlayoutwriter.h"
#include "kvmemini.h"
#include "kvtextcodec.h"
#include "loadbytes.h"

#include <QBuffer>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// The document picture with a bar after every section.
QString DumpBars(const TKvMemIni &ini)
{
    return Describe(ini).replace(QStringLiteral(" | "), QStringLiteral("|")) + u'|';
}

} // namespace

class TestParseStore : public QObject
{
    Q_OBJECT

private slots:
    void parsedEntriesCanBeEditedAndDeleted();
    void sectionParsedTwiceKeepsFirstTexts();
    void manyEntriesAndBigFilesRoundTrip();
    void memoryStreams();
    void textsFarApartOnTheirLine();
    void parsedSectionVectorCanBeEdited();
    void firstInsertionsUseSpareSlots_data();
    void firstInsertionsUseSpareSlots();
    void bigFileReadInPiecesAsWhole_data();
    void bigFileReadInPiecesAsWhole();
    void readSectionsOutliveTheirDocument_data();
    void readSectionsOutliveTheirDocument();
    void wideCharactersAreNotSyntax_data();
    void wideCharactersAreNotSyntax();
    void sectionNamesAreStringsOfTheirOwn_data();
    void sectionNamesAreStringsOfTheirOwn();
    void bigFileThatGrowsOrShrinksWhileRead_data();
    void bigFileThatGrowsOrShrinksWhileRead();
};

// delete, RemoveAt + delete, edits, toggles on parsed entries
void TestParseStore::parsedEntriesCanBeEditedAndDeleted()
{
    TKvMemIni ini;
    QVERIFY(ini.Parse(QStringLiteral("a=1\n;c\n\n[s] ;h\nk = v ; n\nbad\n;x=y\n[t]\nq=1\n")));
    TKvIniSection *s = ini.Sections[1];
    s->DeleteVal(s->Vals[0]);
    TKvIniVal *taken = s->Vals[0];
    s->Vals.RemoveAt(0);
    QVERIFY(taken->Value() == u"bad");
    delete taken;
    s->Vals[0]->ToggleComment();
    QVERIFY(s->Vals[0]->Kind() == ikValue && s->Vals[0]->Name() == u"x");
    s->Vals[0]->SetValue(u"longer value than before");
    s->AddVal(u"new", u"1", u"");
    ini.Sections[0]->Vals[0]->ToggleComment();
    ini.DeleteSection(ini.Sections[0]);
    QVERIFY(DumpBars(ini) == QStringLiteral("{s;h} 1:x=longer value than before; 1:new=1;|{t;} 1:q=1;|"));
    QString text = ini.GetText();
    QVERIFY(ini.Encode(65001) == "\xEF\xBB\xBF" + text.toUtf8());
    ini.Clear();
    QVERIFY(ini.Sections.Count() == 0);
}

// a section parsed twice keeps the texts of the first parse
void TestParseStore::sectionParsedTwiceKeepsFirstTexts()
{
    TKvIniSection sec;
    QString first = QStringLiteral("a=1\nb=2\n");
    QVERIFY(sec.Parse(first));
    first = QString();
    QVERIFY(sec.Parse(QStringLiteral("c=3\n")));
    QString all;
    for (auto *v : sec.Vals)
        all += v->Name() + v->Value();
    QVERIFY(all == u"a1b2c3");
}

// many entries: several blocks
void TestParseStore::manyEntriesAndBigFilesRoundTrip()
{
    QString big;
    for (int i = 0; i < 200000; ++i)
        big += QStringLiteral("k%1=v ; c\n").arg(i);
    TKvMemIni ini;
    QVERIFY(ini.Parse(big));
    QVERIFY(ini.Sections.Count() == 1 && ini.Sections[0]->Vals.Count() == 200000);
    QVERIFY(ini.Sections[0]->Vals[199999]->Name() == u"k199999");
    QVERIFY(ini.Sections[0]->Vals.Capacity() == 200000 + 200000 / 64); // spare slots
    // reads through a file, big enough to read into a block of its own
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.ini"));
    for (quint32 enc : {65001u, 0u, 1200u, 1201u}) {
        ini.SaveToFile(path, enc);
        TKvMemIni again;
        const int r = again.LoadFromFile(path);
        QVERIFY(r == int(enc == 0 ? 0 : enc));
        QVERIFY(again.Sections[0]->Vals.Count() == 200001);
        QVERIFY(again.GetText() == ini.GetText());
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        QByteArray bytes = f.readAll();
        QVERIFY(again.Encode(enc) == bytes);
    }
}

// memory streams: position, pushed-back character, text mode
void TestParseStore::memoryStreams()
{
    QByteArray bytes("xx[a]\r\nk=v\r\n");
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    buffer.seek(2);
    TKvMemIni ini;
    QVERIFY(ini.ReadUtf8(buffer) == 65001);
    QVERIFY(buffer.atEnd());
    QVERIFY(DumpBars(ini) == QStringLiteral("{a;} 1:k=v;|"));
    QBuffer pushed(&bytes);
    pushed.open(QIODevice::ReadOnly);
    pushed.seek(3);
    pushed.ungetChar('[');
    TKvMemIni ini2;
    QVERIFY(ini2.ReadUtf8(pushed) == 65001);
    QVERIFY(DumpBars(ini2) == QStringLiteral("{a;} 1:k=v;|"));
    QByteArray crlf("a=1\r\nb=2\r\n");
    QBuffer text(&crlf);
    text.open(QIODevice::ReadOnly | QIODevice::Text);
    TKvMemIni ini3;
    QVERIFY(ini3.ReadAnsi(text) == 0);
    QVERIFY(DumpBars(ini3) == QStringLiteral("{;} 1:a=1; 1:b=2;|"));
}

// texts far apart on their line: views up to 255 characters between texts, copies beyond
void TestParseStore::textsFarApartOnTheirLine()
{
    for (int gap : {0, 1, 252, 253, 254, 255, 256, 300, 70000}) {
        const QString spaces(gap, u' ');
        const QString line = QStringLiteral("key") + spaces + QStringLiteral("=value") + spaces
                             + QStringLiteral(";note\n") + QStringLiteral("bad") + spaces
                             + QStringLiteral("line\n;") + spaces + QStringLiteral("c\n");
        TKvMemIni ini;
        QVERIFY(ini.Parse(line));
        TKvIniVal *v = ini.Sections[0]->Vals[0];
        QVERIFY(v->Name() == u"key" && v->Value() == u"value" && v->Comment() == u"note");
        QVERIFY(ini.Sections[0]->Vals[1]->Value() == QStringLiteral("bad") + spaces + QStringLiteral("line"));
        QVERIFY(ini.Sections[0]->Vals[2]->Comment() == u"c");
        QVERIFY(ini.GetText()
                == QStringLiteral("key=value ;note\r\nbad") + spaces + QStringLiteral("line\r\n;c\r\n\r\n"));
        v->SetComment(u"other");
        QVERIFY(v->Value() == u"value" && v->Comment() == u"other");
    }
}

// a parsed section's vector in the store's memory: edits move it to an array of its own
void TestParseStore::parsedSectionVectorCanBeEdited()
{
    TKvMemIni ini;
    QVERIFY(ini.Parse(QStringLiteral("[a]\nx=1\ny=2\nz=3\n[b]\nq=1\n")));
    TKvIniSection *a = ini.Sections[0];
    QVERIFY(a->Vals.Count() == 3 && a->Vals.Capacity() == 3);
    a->Vals.Reverse(0, 3);
    a->Vals.RemoveAt(0);
    QVERIFY(a->Vals.Items()[2] == nullptr);
    TKvIniVal *z = ini.Sections[0]->Vals.Items()[2];
    QVERIFY(z == nullptr);
    a->InsertVal(0, u"n", u"0", u"");
    QVERIFY(a->Vals.Capacity() == 3 && a->Vals.Count() == 3);
    for (int i = 0; i < 40; ++i)
        a->AddVal(QString::number(i), u"v", u"");
    a->Vals.Reserve(500);
    QVERIFY(a->Vals[1]->Name() == u"y" && a->Vals[2]->Name() == u"x");
    a->DeleteVal(a->Vals[1]);
    a->Vals.Clear();
    QVERIFY(ini.Sections[1]->Vals[0]->Name() == u"q");
    // a section parsed again appends to the entries it has
    TKvIniSection *b = ini.Sections[1];
    QVERIFY(b->Parse(QStringLiteral("r=2\ns=3\n")));
    QVERIFY(b->Vals.Count() == 3 && b->Vals[2]->Name() == u"s" && b->Vals[0]->Name() == u"q");
    ini.DeleteSection(a);
    ini.Clear();
}

// A big parsed section has spare slots in the store's array: the first
// insertions take them without copying the array, the one after them moves it
// to an array of its own. Either way the entries, the null slots and a
// keep-layout save after taking the insertions out again are as before.
void TestParseStore::firstInsertionsUseSpareSlots_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("inserted");
    QTest::addColumn<bool>("arrayMoves");
    QTest::newRow("63 lines: no spare slot") << 63 << 1 << true;
    QTest::newRow("640 lines, 10 insertions: the spare slots") << 640 << 10 << false;
    QTest::newRow("640 lines, 11 insertions: one more") << 640 << 11 << true;
    QTest::newRow("6400 lines, 100 insertions") << 6400 << 100 << false;
}

void TestParseStore::firstInsertionsUseSpareSlots()
{
    QFETCH(int, lines);
    QFETCH(int, inserted);
    QFETCH(bool, arrayMoves);
    QByteArray bytes("[big] ; head\r\n");
    for (int i = 0; i < lines; ++i)
        bytes += "  k" + QByteArray::number(i) + " =  v\r\n";
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TKvMemIni ini;
    QCOMPARE(ini.ReadUtf8(buffer), 65001);
    ini.KeepLayout = true;
    TKvIniSection *big = ini.Sections[0];
    TKvIniVal *const *const parsedArray = big->Vals.Items();
    QCOMPARE(big->Vals.Capacity(), lines + lines / 64);
    QList<TKvIniVal *> added;
    for (int i = 0; i < inserted; ++i)
        added.append(big->InsertVal(i * 5, u"new", QString::number(i), u""));
    QCOMPARE(big->Vals.Items() != parsedArray, arrayMoves);
    QCOMPARE(big->Vals.Count(), lines + inserted);
    for (int i = 0; i < inserted; ++i)
        QCOMPARE(big->Vals[i * 5], added[i]);
    for (qint32 i = big->Vals.Count(); i < big->Vals.Capacity(); ++i)
        QVERIFY(big->Vals.Items()[i] == nullptr);
    for (TKvIniVal *val : std::as_const(added))
        big->DeleteVal(val);
    QCOMPARE(big->Vals.Count(), lines);
    for (int i = 0; i < lines; ++i)
        QCOMPARE(big->Vals[i]->Name(), QStringLiteral("k%1").arg(i));
    QCOMPARE(ini.Encode(65001), bytes); // every line unchanged, written as read
}

// A file of over a megabyte is read, decoded and parsed in pieces; a memory
// stream of the same bytes is decoded whole and then parsed. Both must give
// the same document, layout and result, wherever the pieces end.
void TestParseStore::bigFileReadInPiecesAsWhole_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("hashComments");
    QTest::addColumn<quint32>("ansiCodePage"); // 0: the locale's

    // Sections of entries of varying length, so that lines end everywhere
    // in the pieces; lineEnd between lines, extra inserted every 997 lines.
    const auto lines = [](const QByteArray &lineEnd, const QByteArray &extra = {}) {
        QByteArray bytes;
        for (int i = 0; bytes.size() < 1'300'000; ++i) {
            if (i % 5000 == 0)
                bytes += "[section " + QByteArray::number(i) + "] ; note" + lineEnd;
            bytes += "key" + QByteArray::number(i) + " = " + QByteArray(i % 37, 'v') + " ; c" + lineEnd;
            if (i % 997 == 0)
                bytes += extra;
        }
        return bytes;
    };
    const QByteArray lf("\n");
    QTest::newRow("LF") << lines(lf) << false << 0u;
    QTest::newRow("CR LF") << lines("\r\n") << false << 0u;
    QTest::newRow("CR alone, no line feed at all") << lines("\r") << false << 0u;
    QTest::newRow("blank and comment lines")
        << lines(lf, "\n \t\n;comment\n  ; \x1b odd\n# hash\n\n") << false << 0u;
    QTest::newRow("hash comments") << lines(lf, "# hash\n \x01#x\n#\n") << true << 0u;
    QTest::newRow("lines longer than a piece")
        << lines(lf, "long = " + QByteArray(200'000, 'x') + " ; " + QByteArray(70'000, 'y') + "\n") << false
        << 0u;
    QTest::newRow("UTF-8, invalid bytes next to line ends")
        << lines(lf, "\xC3\xA9t\xC3\xA9 = \xF0\x9D\x84\x9E\n cut = \xE2\x82\nstray\x80 = \xFF\xFE\r\n\xC3\n")
        << false << 0u;
    QTest::newRow("UTF-8 mark") << "\xEF\xBB\xBF" + lines(lf, "\xC3\xA9 = \x80\n") << false << 0u;
    QTest::newRow("Windows-1252") << lines(lf, "\xE9t\xE9 = \x80\x81\n") << false << 1252u;
    QTest::newRow("NUL in the middle: unparsable") << lines(lf, "a = b\0c\n") << false << 0u;
    QTest::newRow("malformed header in the middle") << lines(lf, "[broken\n") << false << 0u;
    QTest::newRow("spaces, tabs and NULs at the end") << lines(lf) + "last = 1  \t\0\0 \0" << false << 0u;
    QTest::newRow("a NUL near the end") << lines(lf) + "\0x" << false << 0u;
    QTest::newRow("only spaces after the last line") << lines(lf) + "   \t" << false << 0u;
    QTest::newRow("last line without a line end") << lines(lf) + "[end]\nlast = 1" << false << 0u;
}

void TestParseStore::bigFileReadInPiecesAsWhole()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, hashComments);
    QFETCH(quint32, ansiCodePage);
    KvTextCodec::SetSystemAnsiCodePage(ansiCodePage);
    const auto restore = qScopeGuard([] { KvTextCodec::SetSystemAnsiCodePage(0); });
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();

    TKvMemIni pieces;
    pieces.HashComments = hashComments;
    const int piecesResult = pieces.LoadFromFile(path);
    TKvMemIni whole;
    whole.HashComments = hashComments;
    const int wholeResult = LoadBytes(whole, bytes);

    QCOMPARE(piecesResult, wholeResult);
    QCOMPARE(pieces.Encoding, whole.Encoding);
    QVERIFY(pieces.Sections.Count() > 0);
    QCOMPARE(pieces.Sections.Count(), whole.Sections.Count());
    QVERIFY(Describe(pieces) == Describe(whole)); // QCOMPARE would print megabytes
    QVERIFY(pieces.CountAll() == whole.CountAll());
    QCOMPARE(pieces.ReadCommentLines().Semicolon, whole.ReadCommentLines().Semicolon);
    QCOMPARE(pieces.ReadCommentLines().Hash, whole.ReadCommentLines().Hash);
    QCOMPARE(pieces.ReadCommentLines().HashLedItems, whole.ReadCommentLines().HashLedItems);
    QVERIFY(pieces.ReadCounts() == pieces.CountAll());
    QVERIFY(whole.ReadCounts() == whole.CountAll());
    QVERIFY(pieces.ReadLayout() && whole.ReadLayout());
    QCOMPARE(pieces.ReadLayout()->LinesLength, whole.ReadLayout()->LinesLength);
    QCOMPARE(pieces.ReadLayout()->Tail, whole.ReadLayout()->Tail);
    for (const bool keepLayout : {false, true}) {
        pieces.KeepLayout = keepLayout;
        whole.KeepLayout = keepLayout;
        const quint32 encoding = pieces.Encoding == KvEncoding::Ansi ? KvEncoding::Ansi : KvEncoding::Utf8;
        QVERIFY(pieces.Encode(encoding) == whole.Encode(encoding));
    }
    if (piecesResult >= 0) {
        // An unchanged file read in pieces is written back as it was read.
        pieces.KeepLayout = true;
        QVERIFY(pieces.Encode(pieces.Encoding == KvEncoding::Ansi ? KvEncoding::Ansi : KvEncoding::Utf8)
                == bytes);
    }
}

// Sections a read made live in its store, which each of them keeps alive: one
// taken out (as a delete that can be undone keeps it), one moved into another
// document, the rest sorted, and the document gone; the sections taken out
// still give and take edits, and are destroyed last.
void TestParseStore::readSectionsOutliveTheirDocument_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QByteArray small("lead=0\n[a] ;x\nk=1\n;c\n\n[b]\nm = 2 ; n\nbad\n[c]\nz=3\n");
    QByteArray big = small;
    for (int i = 0; big.size() < 1'300'000; ++i)
        big += "[s" + QByteArray::number(i) + "]\nkey = value " + QByteArray::number(i) + "\n; note\n\n";
    QTest::newRow("parsed whole") << small;
    QTest::newRow("big file read in pieces") << big;
}

void TestParseStore::readSectionsOutliveTheirDocument()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("read.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();

    auto other = std::make_unique<TKvMemIni>();
    std::unique_ptr<TKvIniSection> taken;
    {
        TKvMemIni ini;
        QVERIFY(ini.LoadFromFile(path) >= 0);
        QVERIFY(ini.Sections.Count() >= 4);
        taken.reset(ini.Sections[1]);
        ini.Sections.RemoveAt(1);
        TKvIniSection *moved = ini.Sections[1];
        ini.Sections.RemoveAt(1);
        other->Sections.Add(moved);
        ini.SortSections(skName, false);
        ini.Sections[0]->Vals[0]->SetValue(u"edited");
        ini.DeleteSection(ini.Sections[ini.Sections.Count() - 1]);
    }
    QCOMPARE(taken->Name, QStringLiteral("a"));
    QCOMPARE(taken->Vals[0]->Value(), QStringLiteral("1"));
    taken->DeleteVal(taken->Vals[1]);
    taken->Vals[0]->SetValue(u"one");
    taken->AddVal(u"new", u"v", u"");
    QCOMPARE(taken->GetText(true), QStringLiteral("[a] ;x\r\nk=one\r\n\r\nnew=v\r\n"));
    TKvIniSection *moved = other->Sections[0];
    QCOMPARE(moved->Vals[0]->Name(), QStringLiteral("m"));
    QCOMPARE(moved->Vals[1]->Value(), QStringLiteral("bad"));
    // The undo puts the section back, into the other document now.
    other->Sections.Insert(0, taken.release());
    QCOMPARE(other->Sections.Count(), 2);
    QVERIFY(other->GetText().startsWith(u"[a] ;x"));
    other->DeleteSection(other->Sections[1]);
    other.reset();
}

// Units beyond ASCII whose low byte is a character the parser looks for (a
// line end, NUL, "=", ";", "[", a control) are text like any other, wherever
// they lie on their line.
void TestParseStore::wideCharactersAreNotSyntax_data()
{
    QTest::addColumn<QChar>("wide");
    // The last is a lone surrogate, as an invalid byte decodes to.
    for (const char16_t unit : {0x010A, 0x010D, 0x0100, 0x013D, 0x013B, 0x015B, 0x0109, 0x0101, 0xFF3B, 0x7F0A,
                                0xDC0A})
        QTest::addRow("U+%04X", unsigned(unit)) << QChar(unit);
}

void TestParseStore::wideCharactersAreNotSyntax()
{
    QFETCH(QChar, wide);
    for (int pad = 0; pad < 40; ++pad) {
        const QString a(pad, u'a');
        const QString w(wide);
        const QString text = u'[' + a + w + u']' + u'\n' + a + w + u'=' + w + a + u';' + a + w + u'\n' + u';' + a
                             + w + u'\n' + a + w + u'\n';
        TKvMemIni ini;
        QVERIFY(ini.Parse(text));
        QCOMPARE(ini.Sections.Count(), 1);
        const TKvIniSection *section = ini.Sections[0];
        QCOMPARE(section->Name, a + w);
        QCOMPARE(section->Vals.Count(), 3);
        QCOMPARE(section->Vals[0]->Name(), a + w);
        QCOMPARE(section->Vals[0]->Value(), w + a);
        QCOMPARE(section->Vals[0]->Comment(), a + w);
        QCOMPARE(int(section->Vals[1]->Kind()), int(ikComment));
        QCOMPARE(section->Vals[1]->Comment(), a + w);
        QCOMPARE(int(section->Vals[2]->Kind()), int(ikError));
        QCOMPARE(section->Vals[2]->Value(), a + w);
    }
}

// A read keeps the section names of a parse together in shared blocks: each
// must still behave as a string of its own, whatever happens to the others,
// to the document or to the copies.
void TestParseStore::sectionNamesAreStringsOfTheirOwn_data()
{
    QTest::addColumn<int>("sections");
    QTest::addColumn<int>("nameLength");
    QTest::addColumn<bool>("fromFile"); // read in pieces, or parsed whole

    QTest::newRow("a few") << 5 << 4 << false;
    QTest::newRow("many blocks") << 20'000 << 12 << false;
    QTest::newRow("a name longer than a block") << 2 << 40'000 << false;
    QTest::newRow("big file read in pieces") << 60'000 << 20 << true;
}

void TestParseStore::sectionNamesAreStringsOfTheirOwn()
{
    QFETCH(int, sections);
    QFETCH(int, nameLength);
    QFETCH(bool, fromFile);
    const auto nameOf = [&](int i) {
        const QString number = QString::number(i);
        return QString(nameLength - number.size(), u'n') + number;
    };
    QString text;
    for (int i = 0; i < sections; ++i)
        text += u'[' + nameOf(i) + QStringLiteral("] ;c\nk=v\n");

    QTemporaryDir dir;
    auto ini = std::make_unique<TKvMemIni>();
    if (fromFile) {
        const QString path = dir.filePath(QStringLiteral("names.ini"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) > 0);
        file.close();
        QVERIFY(ini->LoadFromFile(path) >= 0);
    } else {
        QVERIFY(ini->Parse(text));
    }
    QCOMPARE(ini->Sections.Count(), sections);

    QStringList copies;
    for (int i = 0; i < sections; ++i) {
        const QString &name = ini->Sections[i]->Name;
        QCOMPARE(name, nameOf(i));
        QCOMPARE(name.utf16()[name.size()], u'\0'); // as every string's text ends
        copies << name;
    }
    // Changing one name (longer, in place, shorter) changes no other.
    ini->Sections[0]->Name += QStringLiteral("-renamed");
    ini->Sections[sections - 1]->Name.replace(0, 1, u'X');
    QCOMPARE(ini->Sections[0]->Name, nameOf(0) + QStringLiteral("-renamed"));
    QCOMPARE(ini->Sections[sections - 1]->Name, u'X' + nameOf(sections - 1).mid(1));
    if (sections > 3) {
        ini->Sections[1]->Name.resize(1);
        QCOMPARE(ini->Sections[1]->Name, nameOf(1).left(1));
        QCOMPARE(ini->Sections[2]->Name, nameOf(2));
    }
    // The copies outlive the document, and the last holder of a name may
    // still change it.
    ini.reset();
    for (int i = 0; i < sections; ++i)
        QCOMPARE(copies[i], nameOf(i));
    QString last = copies.takeLast();
    copies.clear();
    last += QStringLiteral("!");
    QCOMPARE(last, nameOf(sections - 1) + u'!');

    // A section parsed from a short text (a paste) holds no big block.
    TKvIniSection pasted;
    QVERIFY(pasted.Parse(QStringLiteral("[pasted]\nk=v\n")));
    QCOMPARE(pasted.Name, QStringLiteral("pasted"));
    QVERIFY(pasted.Name.capacity() < 64);
}

namespace {

// A file that, read to its end, gives more bytes than its size said (it grew
// while it was read), or ends early (it was cut meanwhile).
class TChangingFile : public QFile
{
public:
    TChangingFile(const QString &path, QByteArray extra, qint64 endAfter)
        : QFile(path)
        , m_extra(std::move(extra))
        , m_endAfter(endAfter)
    {}

    // Once it has grown, it says so, and a read from the start gives it all.
    qint64 size() const override { return QFile::size() + (m_grown ? m_extra.size() : 0); }
    bool seek(qint64 pos) override
    {
        m_given = pos;
        m_extraGiven = std::max<qint64>(0, pos - QFile::size());
        return QFile::seek(std::min(pos, QFile::size()));
    }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (m_endAfter >= 0)
            maxSize = std::min(maxSize, m_endAfter - m_given);
        qint64 got = maxSize > 0 ? QFile::readData(data, maxSize) : 0;
        if (got == 0 && m_extraGiven < m_extra.size()) { // at the end: the rest that was added
            got = std::min<qint64>(maxSize, m_extra.size() - m_extraGiven);
            std::memcpy(data, m_extra.constData() + m_extraGiven, size_t(got));
            m_extraGiven += got;
            m_grown = true;
        }
        if (got > 0)
            m_given += got;
        return got;
    }

private:
    QByteArray m_extra;
    qint64 m_endAfter;
    qint64 m_given = 0;
    qint64 m_extraGiven = 0;
    bool m_grown = false;
};

} // namespace

// A big file is read by a second thread while the lines read are parsed: a
// file that grows meanwhile is read again as a whole (no section twice), one
// cut meanwhile gives what was there.
void TestParseStore::bigFileThatGrowsOrShrinksWhileRead_data()
{
    QTest::addColumn<QByteArray>("extra");
    QTest::addColumn<qint64>("endAfter"); // bytes given before the end (-1: all)

    QTest::newRow("grows by a section") << QByteArray("[added]\nnew = 1\n") << qint64(-1);
    QTest::newRow("grows by half a line") << QByteArray("tail = with") << qint64(-1);
    QTest::newRow("cut in the middle of a line") << QByteArray() << qint64(700'003);
    QTest::newRow("cut after the first piece") << QByteArray() << qint64(70'000);
}

void TestParseStore::bigFileThatGrowsOrShrinksWhileRead()
{
    QFETCH(QByteArray, extra);
    QFETCH(qint64, endAfter);
    QByteArray bytes;
    for (int i = 0; bytes.size() < 2'000'000; ++i)
        bytes += "[s" + QByteArray::number(i) + "]\nk = " + QByteArray::number(i) + " ; c\n\n";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("changing.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();

    TChangingFile changing(path, extra, endAfter);
    QVERIFY(changing.open(QIODevice::ReadOnly));
    TKvMemIni ini;
    QVERIFY(ini.LoadFromStream(changing, KvEncoding::Ansi) >= 0);
    TKvMemIni whole;
    QVERIFY(LoadBytes(whole, endAfter >= 0 ? bytes.left(endAfter) : bytes + extra) >= 0);
    QCOMPARE(ini.Sections.Count(), whole.Sections.Count());
    QVERIFY(Describe(ini) == Describe(whole));
    QVERIFY(ini.ReadCounts() == ini.CountAll());
}

QTEST_GUILESS_MAIN(TestParseStore)
#include "tst_parsestore.moc"
