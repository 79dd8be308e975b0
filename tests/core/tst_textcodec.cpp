// Byte <-> text conversions: the system code page, the single-byte tables, the
// double-byte code pages through iconv, and lossless UTF-8.
#include "kvtextcodec.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QLocale>
#include <QProcess>
#include <QSet>
#include <QTest>

using namespace KvTextCodec;

namespace {

QString Units(std::initializer_list<char16_t> units)
{
    QString text;
    for (char16_t unit : units)
        text.append(QChar(unit));
    return text;
}

QByteArray Bytes(const char *data, qsizetype size)
{
    return QByteArray(data, size);
}

const quint32 SingleBytePages[] = {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258};

// The child run of systemCodePageFromEnvironment prints its code page and nothing else.
constexpr char PrintCodePageVariable[] = "QUILLON_PRINT_ANSI_CODE_PAGE";

} // namespace

class TestTextCodec : public QObject
{
    Q_OBJECT

private slots:
    void codePageForLocale_data();
    void codePageForLocale();
    void systemCodePageFromEnvironment_data();
    void systemCodePageFromEnvironment();
    void systemCodePageOfLegacyLocale();
    void printSystemCodePage();
    void systemCodePageOverride();
    void codePageForCharset_data();
    void codePageForCharset();
    void encodingLoss_data();
    void encodingLoss();

    void singleByteRoundTrip_data();
    void singleByteRoundTrip();
    void singleByteKnownCharacters_data();
    void singleByteKnownCharacters();
    void encodeAnsi_data();
    void encodeAnsi();
    void unknownCodePageUses1252();

    void doubleByteDecode_data();
    void doubleByteDecode();

    void decodeUtf8_data();
    void decodeUtf8();
    void encodeLoneSurrogates_data();
    void encodeLoneSurrogates();
    void utf8SurrogatesAtBlockEdges_data();
    void utf8SurrogatesAtBlockEdges();
    void utf8LongTextWithOneBadByte();
    void utf8BadByteAfterValidPrefix_data();
    void utf8BadByteAfterValidPrefix();
    void utf8AfterAsciiRun_data();
    void utf8AfterAsciiRun();
};

void TestTextCodec::codePageForLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<quint32>("codePage");

    const struct
    {
        const char *locale;
        quint32 codePage;
    } rows[] = {
        {"cs_CZ", 1250},
        {"pl_PL", 1250},
        {"hu_HU", 1250},
        {"sk_SK", 1250},
        {"sl_SI", 1250},
        {"hr_HR", 1250},
        {"ro_RO", 1250},
        {"sq_AL", 1250},
        {"bs_BA", 1250},
        {"ru_RU", 1251},
        {"uk_UA", 1251},
        {"bg_BG", 1251},
        {"be_BY", 1251},
        {"mk_MK", 1251},
        {"sr_RS", 1251},
        {"kk_KZ", 1251},
        {"el_GR", 1253},
        {"tr_TR", 1254},
        {"az_AZ", 1254},
        {"uz_UZ", 1254},
        {"he_IL", 1255},
        {"ar_EG", 1256},
        {"fa_IR", 1256},
        {"ur_PK", 1256},
        {"et_EE", 1257},
        {"lv_LV", 1257},
        {"lt_LT", 1257},
        {"vi_VN", 1258},
        {"th_TH", 874},
        {"ja_JP", 932},
        {"zh_CN", 936},
        {"zh_SG", 936},
        {"ko_KR", 949},
        {"zh_TW", 950},
        {"zh_HK", 950},
        // Every other language, and the C/POSIX locale.
        {"en_US", 1252},
        {"de_DE", 1252},
        {"da_DK", 1252},
        {"fr_CA", 1252},
        {"eo", 1252},
        {"C", 1252},
        {"POSIX", 1252},
        {"", 1252},
        // The forms locale names take in the environment.
        {"ru_RU.UTF-8", 1251},
        {"sr_RS@latin", 1251},
        {"pl", 1250},
        {"zh-Hant-TW", 950},
        {"tr_TR.ISO-8859-9", 1254},
        {"en_US.UTF-8", 1252},
        // Chinese regions the table leaves out go where Windows puts them.
        {"zh_MO", 950},
        {"zh", 936},
    };
    for (const auto &row : rows)
        QTest::addRow("%s", *row.locale ? row.locale : "(empty)")
            << QString::fromLatin1(row.locale) << row.codePage;
}

void TestTextCodec::codePageForLocale()
{
    QFETCH(QString, locale);
    QFETCH(quint32, codePage);
    QCOMPARE(AnsiCodePageForLocale(locale), codePage);
}

void TestTextCodec::systemCodePageFromEnvironment_data()
{
    QTest::addColumn<QString>("lcAll");
    QTest::addColumn<QString>("expected");
    // The C and POSIX locales and every UTF-8 locale read and write UTF-8.
    QTest::addRow("C") << "C"
                       << "65001";
    QTest::addRow("POSIX") << "POSIX"
                           << "65001";
    QTest::addRow("C.UTF-8") << "C.UTF-8"
                             << "65001";
    QTest::addRow("Polish UTF-8") << "pl_PL.UTF-8"
                                  << "65001";
    QTest::addRow("Japanese UTF-8") << "ja_JP.UTF-8"
                                    << "65001";
    QTest::addRow("German utf8") << "de_DE.utf8"
                                 << "65001";
    // A legacy character set named by a locale that is not installed: the
    // Windows code page of its language.
    QTest::addRow("Polish ISO-8859-2") << "pl_PL.ISO-8859-2"
                                       << "1250";
    QTest::addRow("Taiwan Big5") << "zh_TW.BIG5"
                                 << "950";
    QTest::addRow("Russian KOI8-R") << "ru_RU.KOI8-R@x"
                                    << "1251";
    // Not installed and no character set named: the C locale.
    QTest::addRow("German, no character set") << "de_DE"
                                              << "65001";
}

namespace {

QString ChildCodePage(const QString &lcAll, const QString &locPath = QString())
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), lcAll);
    environment.insert(QStringLiteral("LANG"), lcAll);
    if (!locPath.isEmpty()) {
        environment.insert(QStringLiteral("LOCPATH"), locPath);
        // glibc's newlocale keeps a copy of LOCPATH it never frees (29 bytes);
        // a sanitizer build would call that the child's failure.
        environment.insert(QStringLiteral("ASAN_OPTIONS"),
                           environment.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":detect_leaks=0"));
    }
    environment.insert(QString::fromLatin1(PrintCodePageVariable), QStringLiteral("1"));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("printSystemCodePage")});
    if (!child.waitForFinished(30000) || child.exitCode() != 0)
        return QStringLiteral("child failed");
    return QString::fromLatin1(child.readAllStandardOutput());
}

} // namespace

// The whole road from the environment to the code page, in a child process
// because the locale is read once per process.
void TestTextCodec::systemCodePageFromEnvironment()
{
    QFETCH(QString, lcAll);
    QFETCH(QString, expected);
    const QString output = ChildCodePage(lcAll);
    QVERIFY2(output.contains(QStringLiteral("ANSI=") + expected + u';'), qPrintable(output));
}

// A legacy 8-bit locale, generated for the test when the locale sources are there.
void TestTextCodec::systemCodePageOfLegacyLocale()
{
    QTemporaryDir dir;
    QProcess localedef;
    localedef.start(QStringLiteral("localedef"), {QStringLiteral("-i"), QStringLiteral("cs_CZ"), QStringLiteral("-f"),
                                                  QStringLiteral("ISO-8859-2"),
                                                  dir.filePath(QStringLiteral("cs_CZ.ISO-8859-2"))});
    if (!localedef.waitForFinished(120000) || localedef.exitStatus() != QProcess::NormalExit
        || !QFileInfo::exists(dir.filePath(QStringLiteral("cs_CZ.ISO-8859-2"))))
        QSKIP("localedef cannot generate cs_CZ.ISO-8859-2 here (package locales)");
    const QString output = ChildCodePage(QStringLiteral("cs_CZ.ISO-8859-2"), dir.path());
    QVERIFY2(output.contains(QStringLiteral("ANSI=1250;")), qPrintable(output));
}

// Only does something in the child started by systemCodePageFromEnvironment.
void TestTextCodec::printSystemCodePage()
{
    if (!qEnvironmentVariableIsSet(PrintCodePageVariable))
        return;
    printf("ANSI=%u;\n", SystemAnsiCodePage());
    fflush(stdout);
}

void TestTextCodec::systemCodePageOverride()
{
    const quint32 fromLocale = LocaleCodePage();
    QCOMPARE(SystemAnsiCodePage(), fromLocale);
    SetSystemAnsiCodePage(1251);
    QCOMPARE(SystemAnsiCodePage(), 1251u);
    QCOMPARE(DecodeAnsi(QByteArrayView("\xC0")), QString(QChar(0x0410)));
    QCOMPARE(EncodeAnsi(QStringView(u"\u0410")), QByteArray("\xC0"));
    SetSystemAnsiCodePage(Utf8CodePage);
    QCOMPARE(DecodeAnsi(QByteArrayView("caf\xC3\xA9")), QStringLiteral("caf\u00e9"));
    QCOMPARE(EncodeAnsi(QStringView(u"caf\u00e9")), QByteArray("caf\xC3\xA9"));
    SetSystemAnsiCodePage(0);
    QCOMPARE(SystemAnsiCodePage(), fromLocale);
}

void TestTextCodec::codePageForCharset_data()
{
    QTest::addColumn<QString>("charset");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<quint32>("codePage");
    QTest::addRow("UTF-8") << "UTF-8" << "pl_PL.UTF-8" << 65001u;
    QTest::addRow("utf8") << "utf8" << "ja_JP" << 65001u;
    QTest::addRow("C locale ASCII") << "ANSI_X3.4-1968" << "C" << 65001u;
    QTest::addRow("unknown") << "" << "de_DE" << 65001u;
    QTest::addRow("ISO-8859-1") << "ISO-8859-1" << "de_DE" << 1252u;
    QTest::addRow("ISO-8859-2") << "ISO-8859-2" << "cs_CZ.ISO-8859-2" << 1250u;
    QTest::addRow("ISO-8859-5") << "ISO-8859-5" << "ru_RU" << 1251u;
    QTest::addRow("EUC-JP") << "EUC-JP" << "ja_JP.eucJP" << 932u;
    QTest::addRow("Big5") << "BIG5" << "zh_TW.BIG5" << 950u;
    QTest::addRow("GB2312") << "GB2312" << "zh_CN" << 936u;
    QTest::addRow("ISO-8859-9") << "ISO-8859-9" << "tr_TR" << 1254u;
}

void TestTextCodec::codePageForCharset()
{
    QFETCH(QString, charset);
    QFETCH(QString, locale);
    QFETCH(quint32, codePage);
    QCOMPARE(CodePageForCharset(charset, locale), codePage);
}

void TestTextCodec::encodingLoss_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<quint32>("codePage");
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("examples");
    QTest::addRow("nothing lost") << u"caf\u00e9 \u20ac"_qs << 1252u << 0 << QStringList();
    QTest::addRow("Japanese in 1252") << u"a\u65E5b\u672C\u65E5"_qs << 1252u << 3
                                      << QStringList({u"\u65E5"_qs, u"\u672C"_qs});
    QTest::addRow("emoji in 1251") << u"\U0001F600\u0416"_qs << 1251u << 1 << QStringList({u"\U0001F600"_qs});
    QTest::addRow("read bytes come back") << Units({u'a', 0xDC81}) << 1252u << 0 << QStringList();
    QTest::addRow("Cyrillic in 932") << u"\u65E5\u0416\u0101"_qs << 932u << 1 << QStringList({u"\u0101"_qs});
    QTest::addRow("lone surrogate in UTF-8") << Units({u'a', 0xD800, u'b'}) << 65001u << 1 << QStringList({Units({0xD800})});
    QTest::addRow("all of Unicode's planes in UTF-8") << u"\U0001F600\u65E5"_qs << 65001u << 0 << QStringList();
    QString many;
    for (char16_t c = 0x4E00; c < 0x4E10; ++c)
        many.append(QChar(c));
    QTest::addRow("at most five examples") << many << 1252u << 16
                                           << QStringList({u"\u4E00"_qs, u"\u4E01"_qs, u"\u4E02"_qs, u"\u4E03"_qs,
                                                           u"\u4E04"_qs});
}

void TestTextCodec::encodingLoss()
{
    QFETCH(QString, text);
    QFETCH(quint32, codePage);
    QFETCH(int, count);
    QFETCH(QStringList, examples);
    const TKvEncodingLoss loss = FindEncodingLoss(text, codePage);
    QCOMPARE(loss.Count, qsizetype(count));
    QCOMPARE(loss.Examples, examples);
    // The loss is exactly the question marks the encoding writes.
    const QByteArray bytes = EncodeAnsi(text, codePage);
    QCOMPARE(bytes.count('?') - text.count(u'?'), qsizetype(count));
}

void TestTextCodec::singleByteRoundTrip_data()
{
    QTest::addColumn<quint32>("codePage");
    for (quint32 codePage : SingleBytePages)
        QTest::addRow("%u", codePage) << codePage;
}

void TestTextCodec::singleByteRoundTrip()
{
    QFETCH(quint32, codePage);
    QByteArray all(256, Qt::Uninitialized);
    for (int byte = 0; byte < 256; ++byte)
        all[byte] = char(byte);
    const QString text = DecodeAnsi(all, codePage);
    QCOMPARE(text.size(), 256);
    for (int byte = 0; byte < 128; ++byte)
        QCOMPARE(text[byte].unicode(), char16_t(byte));          // ASCII, NUL included
    QCOMPARE(QSet<QChar>(text.begin(), text.end()).size(), 256); // no two bytes alike
    QCOMPARE(EncodeAnsi(text, codePage), all);
}

void TestTextCodec::singleByteKnownCharacters_data()
{
    QTest::addColumn<quint32>("codePage");
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("unit");
    QTest::addRow("1252 euro") << 1252u << 0x80 << 0x20AC;
    QTest::addRow("1252 undefined 81") << 1252u << 0x81 << 0x0081;
    QTest::addRow("1252 undefined 9D") << 1252u << 0x9D << 0x009D;
    QTest::addRow("1252 e acute") << 1252u << 0xE9 << 0x00E9;
    QTest::addRow("1252 NUL") << 1252u << 0x00 << 0x0000;
    QTest::addRow("1250 S caron") << 1250u << 0x8A << 0x0160;
    QTest::addRow("1251 A") << 1251u << 0xC0 << 0x0410;
    QTest::addRow("1251 undefined 98") << 1251u << 0x98 << 0x0098;
    QTest::addRow("1253 Alpha") << 1253u << 0xC1 << 0x0391;
    QTest::addRow("1253 undefined AA") << 1253u << 0xAA << 0x00AA;
    QTest::addRow("1254 G breve") << 1254u << 0xD0 << 0x011E;
    QTest::addRow("1255 alef") << 1255u << 0xE0 << 0x05D0;
    QTest::addRow("1255 undefined D9") << 1255u << 0xD9 << 0x00D9;
    QTest::addRow("1256 alef") << 1256u << 0xC7 << 0x0627;
    QTest::addRow("1257 A ogonek") << 1257u << 0xC0 << 0x0104;
    QTest::addRow("1258 A breve") << 1258u << 0xC3 << 0x0102;
    QTest::addRow("1258 combining grave") << 1258u << 0xCC << 0x0300;
    QTest::addRow("874 ko kai") << 874u << 0xA1 << 0x0E01;
    QTest::addRow("874 undefined FF") << 874u << 0xFF << 0x00FF;
}

void TestTextCodec::singleByteKnownCharacters()
{
    QFETCH(quint32, codePage);
    QFETCH(int, byte);
    QFETCH(int, unit);
    const QByteArray bytes(1, char(byte));
    QCOMPARE(DecodeAnsi(bytes, codePage), QString(QChar(unit)));
    QCOMPARE(EncodeAnsi(QString(QChar(unit)), codePage), bytes);
}

void TestTextCodec::encodeAnsi_data()
{
    QTest::addColumn<quint32>("codePage");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addRow("1252 Cyrillic") << 1252u << QStringLiteral("a\u0416b") << QByteArray("a?b");
    QTest::addRow("1251 e acute") << 1251u << QStringLiteral("\u00E9") << QByteArray("?");
    QTest::addRow("1252 pair is one character")
        << 1252u << QStringLiteral("x\U0001F600y") << QByteArray("x?y");
    QTest::addRow("1252 lone high") << 1252u << Units({0xD800, 'a'}) << QByteArray("?a");
    QTest::addRow("1252 lone high at end") << 1252u << Units({'a', 0xDBFF}) << QByteArray("a?");
    QTest::addRow("1252 lone low below DC80") << 1252u << Units({0xDC41}) << QByteArray("?");
    QTest::addRow("1252 lone low above DCFF") << 1252u << Units({0xDD00, 0xDFFF}) << QByteArray("??");
    QTest::addRow("1252 carried bytes") << 1252u << Units({0xDC80, 0xDCFF}) << QByteArray("\x80\xFF");
    QTest::addRow("1251 carried byte") << 1251u << Units({0xDC98}) << QByteArray("\x98");
    QTest::addRow("1252 NUL") << 1252u << Units({'a', 0, 'b'}) << Bytes("a\0b", 3);
    QTest::addRow("932 Cyrillic unknown") << 932u << QStringLiteral("\u0531") << QByteArray("?");
    QTest::addRow("932 pair") << 932u << QStringLiteral("\U0001F600") << QByteArray("?");
    QTest::addRow("932 lone high at end") << 932u << Units({'a', 0xD800}) << QByteArray("a?");
    QTest::addRow("932 lone low") << 932u << Units({0xDD00, 'a'}) << QByteArray("?a");
    QTest::addRow("936 carried byte") << 936u << Units({'a', 0xDCFF, 'b'})
                                      << QByteArray("a\xFF"
                                                    "b");
    QTest::addRow("949 mixed") << 949u << QStringLiteral("\uD55C\u00E9!") << QByteArray("\xC7\xD1?!");
    QTest::addRow("empty") << 950u << QString() << QByteArray();
}

void TestTextCodec::encodeAnsi()
{
    QFETCH(quint32, codePage);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(EncodeAnsi(text, codePage), bytes);
}

void TestTextCodec::unknownCodePageUses1252()
{
    QCOMPARE(DecodeAnsi(QByteArrayView("\x80"), 437), QString(QChar(0x20AC)));
    QCOMPARE(EncodeAnsi(QStringView(u"\u20AC"), 437), QByteArray("\x80"));
}

void TestTextCodec::doubleByteDecode_data()
{
    QTest::addColumn<quint32>("codePage");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addRow("932 sample") << 932u << QByteArray("a=\x93\xFA\x96\x7B")
                                << QStringLiteral("a=\u65E5\u672C");
    QTest::addRow("932 half-width katakana") << 932u << QByteArray("\xB1") << QStringLiteral("\uFF71");
    QTest::addRow("932 bad trail byte") << 932u << QByteArray("\x81 x") << Units({0xDC81, ' ', 'x'});
    QTest::addRow("932 undefined A0") << 932u
                                      << QByteArray("\xA0"
                                                    "a")
                                      << Units({0xDCA0, 'a'});
    QTest::addRow("932 cut at end") << 932u << QByteArray("ab\x81") << Units({'a', 'b', 0xDC81});
    QTest::addRow("932 NUL") << 932u << Bytes("\x93\xFA\0x", 4) << Units({0x65E5, 0, 'x'});
    QTest::addRow("936 sample") << 936u << QByteArray("\xD6\xD0\xCE\xC4") << QStringLiteral("\u4E2D\u6587");
    QTest::addRow("936 euro") << 936u << QByteArray("\x80") << QStringLiteral("\u20AC");
    QTest::addRow("936 invalid FF") << 936u << QByteArray("x\xFFy") << Units({'x', 0xDCFF, 'y'});
    QTest::addRow("949 sample") << 949u << QByteArray("\xC7\xD1\xB1\xB9") << QStringLiteral("\uD55C\uAD6D");
    QTest::addRow("950 sample") << 950u << QByteArray("\xA4\xA4\xA4\xE5") << QStringLiteral("\u4E2D\u6587");
    QTest::addRow("950 invalid FF") << 950u << QByteArray("\xFF") << Units({0xDCFF});
    QTest::addRow("950 bad trail byte") << 950u << QByteArray("\xA4 ") << Units({0xDCA4, ' '});
    QTest::addRow("949 invalid 80") << 949u
                                    << QByteArray("\x80"
                                                  "a")
                                    << Units({0xDC80, 'a'});
    QTest::addRow("empty") << 949u << QByteArray() << QString();
}

// Valid text decodes to its characters, every rejected byte to U+DC00 + byte,
// and encoding gives the same bytes back.
void TestTextCodec::doubleByteDecode()
{
    QFETCH(quint32, codePage);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(DecodeAnsi(bytes, codePage), text);
    QCOMPARE(EncodeAnsi(text, codePage), bytes);
}

void TestTextCodec::decodeUtf8_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addRow("empty") << QByteArray() << QString();
    QTest::addRow("ascii") << QByteArray("k=v") << QStringLiteral("k=v");
    QTest::addRow("valid mix") << QByteArray("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80")
                               << QStringLiteral("\u00E9\u20AC\U0001F600");
    QTest::addRow("largest code point") << QByteArray("\xF4\x8F\xBF\xBF") << Units({0xDBFF, 0xDFFF});
    QTest::addRow("replacement character itself") << QByteArray("a\xEF\xBF\xBD") << QStringLiteral("a\uFFFD");
    QTest::addRow("NUL") << Bytes("a\0b", 3) << Units({'a', 0, 'b'});
    QTest::addRow("NUL after bad byte") << Bytes("\xE9\0", 2) << Units({0xDCE9, 0});
    QTest::addRow("leading mark kept") << QByteArray("\xEF\xBB\xBF"
                                                     "a")
                                       << Units({0xFEFF, 'a'});
    QTest::addRow("leading mark and bad byte") << QByteArray("\xEF\xBB\xBF\xE9") << Units({0xFEFF, 0xDCE9});
    QTest::addRow("stray E9") << QByteArray("caf\xE9 ok") << Units({'c', 'a', 'f', 0xDCE9, ' ', 'o', 'k'});
    QTest::addRow("latin-1 pair") << QByteArray("\xE9\xE8") << Units({0xDCE9, 0xDCE8});
    QTest::addRow("cut 2-byte at end") << QByteArray("a\xC3") << Units({'a', 0xDCC3});
    QTest::addRow("cut 3-byte before ASCII") << QByteArray("\xE2\x82x") << Units({0xDCE2, 0xDC82, 'x'});
    QTest::addRow("cut 4-byte at end") << QByteArray("\xF0\x9F\x98") << Units({0xDCF0, 0xDC9F, 0xDC98});
    QTest::addRow("cut then valid") << QByteArray("\xE2\xC3\xA9") << Units({0xDCE2, 0x00E9});
    QTest::addRow("overlong C0 AF") << QByteArray("\xC0\xAF") << Units({0xDCC0, 0xDCAF});
    QTest::addRow("overlong C1 BF") << QByteArray("\xC1\xBF") << Units({0xDCC1, 0xDCBF});
    QTest::addRow("overlong E0 80 AF") << QByteArray("\xE0\x80\xAF") << Units({0xDCE0, 0xDC80, 0xDCAF});
    QTest::addRow("overlong F0 80 80 AF")
        << QByteArray("\xF0\x80\x80\xAF") << Units({0xDCF0, 0xDC80, 0xDC80, 0xDCAF});
    QTest::addRow("encoded surrogate ED A0 80")
        << QByteArray("\xED\xA0\x80") << Units({0xDCED, 0xDCA0, 0xDC80});
    QTest::addRow("encoded surrogate pair")
        << QByteArray("\xED\xA0\xBD\xED\xB8\x80") << Units({0xDCED, 0xDCA0, 0xDCBD, 0xDCED, 0xDCB8, 0xDC80});
    QTest::addRow("above 10FFFF") << QByteArray("\xF4\x90\x80\x80")
                                  << Units({0xDCF4, 0xDC90, 0xDC80, 0xDC80});
    QTest::addRow("F5 lead") << QByteArray("\xF5\x80\x80\x80") << Units({0xDCF5, 0xDC80, 0xDC80, 0xDC80});
    QTest::addRow("FE FF") << QByteArray("\xFE\xFF") << Units({0xDCFE, 0xDCFF});
    QTest::addRow("lone continuation") << QByteArray("a\x80"
                                                     "b\xBF")
                                       << Units({'a', 0xDC80, 'b', 0xDCBF});
    QTest::addRow("valid after bad") << QByteArray("\x80\xF0\x9F\x98\x80") << Units({0xDC80, 0xD83D, 0xDE00});
}

// Decoding keeps every byte, so encoding the text gives the very same bytes.
void TestTextCodec::decodeUtf8()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(DecodeUtf8(bytes), text);
    QCOMPARE(EncodeUtf8(text), bytes);
}

void TestTextCodec::encodeLoneSurrogates_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addRow("lone high") << Units({0xD800}) << QByteArray("?");
    QTest::addRow("high then ASCII") << Units({0xDBFF, 'a'}) << QByteArray("?a");
    QTest::addRow("high at end") << Units({'a', 0xD83D}) << QByteArray("a?");
    QTest::addRow("two highs") << Units({0xD800, 0xD800}) << QByteArray("??");
    QTest::addRow("low DC00") << Units({0xDC00}) << QByteArray("?");
    QTest::addRow("low DC7F") << Units({0xDC7F}) << QByteArray("?");
    QTest::addRow("low DD00") << Units({0xDD00}) << QByteArray("?");
    QTest::addRow("low DFFF") << Units({0xDFFF}) << QByteArray("?");
    QTest::addRow("reversed pair") << Units({0xDE00, 0xD83D}) << QByteArray("??");
    QTest::addRow("carried bytes") << Units({0xDC80, 0xDCFF}) << QByteArray("\x80\xFF");
    QTest::addRow("pair with low DC80") << Units({0xD800, 0xDC80}) << QByteArray("\xF0\x90\x82\x80");
    QTest::addRow("valid pair") << Units({0xD83D, 0xDE00}) << QByteArray("\xF0\x9F\x98\x80");
    QTest::addRow("BMP mix") << QStringLiteral("\u00E9\u0800\uFFFF")
                             << QByteArray("\xC3\xA9\xE0\xA0\x80\xEF\xBF\xBF");
}

void TestTextCodec::encodeLoneSurrogates()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(EncodeUtf8(text), bytes);
}

void TestTextCodec::utf8SurrogatesAtBlockEdges_data()
{
    QTest::addColumn<int>("position");
    for (int position : {0, 1, 255, 256, 257, 511, 512, 999})
        QTest::addRow("%d", position) << position;
}

// The surrogate check works in blocks; a carried byte anywhere must be found.
void TestTextCodec::utf8SurrogatesAtBlockEdges()
{
    QFETCH(int, position);
    QString text(1000, u'a');
    text[position] = QChar(0xDCE9);
    QByteArray expected(1000, 'a');
    expected[position] = char(0xE9);
    QCOMPARE(EncodeUtf8(text), expected);
    QCOMPARE(DecodeUtf8(expected), text);
}

void TestTextCodec::utf8LongTextWithOneBadByte()
{
    QByteArray bytes;
    for (int i = 0; i < 20000; ++i)
        bytes += "key\xC3\xA9=value \xE2\x82\xAC ; note\r\n";
    QString expected = QString::fromUtf8(bytes);
    bytes += "\xE9";
    expected.append(QChar(0xDCE9));
    const QString text = DecodeUtf8(bytes);
    QCOMPARE(text, expected);
    QCOMPARE(EncodeUtf8(text), bytes);
}

void TestTextCodec::utf8BadByteAfterValidPrefix_data()
{
    QTest::addColumn<int>("prefixCharacters");
    for (int count = 0; count <= 40; ++count)
        QTest::addRow("%d", count) << count;
}

// The valid text before the first bad byte is kept from Qt's decoder; its byte
// length must be counted right for characters of every UTF-8 length and for
// every position of the bad byte.
void TestTextCodec::utf8BadByteAfterValidPrefix()
{
    QFETCH(int, prefixCharacters);
    const QString alphabet = QStringLiteral("a\u00E9\u20AC\U0001F600\uFFFF\u07FFz");
    QString prefix;
    for (int i = 0; prefix.size() < prefixCharacters; ++i) {
        const QChar c = alphabet[i % alphabet.size()];
        prefix.append(c);
        if (c.isHighSurrogate())
            prefix.append(alphabet[++i % alphabet.size()]);
    }
    const QString suffix = QStringLiteral("\U0001F600 tail \u00E9");
    const QByteArray bytes = prefix.toUtf8() + "\xC3(\xF0\x9F" + suffix.toUtf8();
    QString expected = prefix;
    expected.append(QChar(0xDCC3)).append(u'(').append(QChar(0xDCF0)).append(QChar(0xDC9F)).append(suffix);
    const QString text = DecodeUtf8(bytes);
    QCOMPARE(text, expected);
    QCOMPARE(EncodeUtf8(text), bytes);
}

// The decoder takes a shortcut for all-ASCII text and reads blocks of bytes at a time;
// a single non-ASCII byte anywhere, also the last of a block or of the text, must
// leave the shortcut and keep or decode that byte exactly.
void TestTextCodec::utf8AfterAsciiRun_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<QString>("tailText");
    const struct
    {
        const char *name;
        QByteArray bytes;
        QString text;
    } tails[] = {
        {"bad E9", QByteArray("\xE9"), Units({0xDCE9})},
        {"bad E9 then ASCII", QByteArray("\xE9xyz"), Units({0xDCE9, 'x', 'y', 'z'})},
        {"valid 2-byte", QByteArray("\xC3\xA9"), QStringLiteral("\u00E9")},
        {"valid 4-byte", QByteArray("\xF0\x9F\x98\x80"), QStringLiteral("\U0001F600")},
        {"cut 3-byte", QByteArray("\xE2\x82"), Units({0xDCE2, 0xDC82})},
        {"overlong", QByteArray("\xC0\xAF"), Units({0xDCC0, 0xDCAF})},
        {"encoded surrogate", QByteArray("\xED\xB0\x80"), Units({0xDCED, 0xDCB0, 0xDC80})},
        {"DEL stays ASCII", QByteArray("\x7F"), Units({0x7F})},
        {"byte-order mark stays", QByteArray("\xEF\xBB\xBF"), Units({0xFEFF})},
    };
    // Lengths of the ASCII run around the block sizes (8, 16, 64 bytes), so the tail
    // starts at, or its sequence straddles, a block border.
    for (int before : {0, 1, 7, 8, 15, 16, 17, 62, 63, 64, 65, 127, 128})
        for (const auto &tail : tails)
            QTest::addRow("%d ASCII, %s", before, tail.name) << before << tail.bytes << tail.text;
}

void TestTextCodec::utf8AfterAsciiRun()
{
    QFETCH(int, before);
    QFETCH(QByteArray, tail);
    QFETCH(QString, tailText);
    const QByteArray run(before, 'a');
    const QString runText(before, u'a');
    for (const QByteArray &after : {QByteArray(), QByteArray(70, 'b')}) {
        const QByteArray bytes = run + tail + after;
        const QString text = runText + tailText + QString::fromLatin1(after);
        QCOMPARE(DecodeUtf8(bytes), text);
        QCOMPARE(EncodeUtf8(text), bytes);
    }
}

QTEST_GUILESS_MAIN(TestTextCodec)
#include "tst_textcodec.moc"
