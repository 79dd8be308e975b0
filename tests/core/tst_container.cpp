// The password-protected file format. Expected files are put together here
// byte by byte from the format's layout, with a key worked out from a known
// digest, so the writer is checked against the layout rather than itself.
#include "describedocument.h"
#include "kvcontainer.h"
#include "kvfileerror.h"
#include "kvmemini.h"
#include "kvplainmessage.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray Header = QByteArrayLiteral("Encrypted Quillon File");
const QByteArray Bom = QByteArrayLiteral("\xEF\xBB\xBF");

// The password of the golden file and its MD5 digest, computed independently.
const QString GoldenPassword = QStringLiteral("Quillon-golden");
const QByteArray GoldenDigestHex = QByteArrayLiteral("BACDC5A2E6D41A0456E2E5E16B6E13B9");

// A text in the form the writer produces: CR LF line ends, an empty line closing
// every section, text before the first header, comments, an unparsable line
// and characters outside ASCII and outside the BMP.
const QString GoldenText = QString::fromUtf8("top=level\r\n"
                                             "\r\n"
                                             "[Main] ;first section\r\n"
                                             "Name=Wert ;Kommentar\r\n"
                                             ";a comment line\r\n"
                                             "\r\n"
                                             "[\xC3\x9Cn\xC3\xAF\x63\xC3\xB6\x64\xC3\xA9]\r\n"
                                             "key=v\xC3\xA4lue \xE2\x98\x83 \xF0\x9F\x98\x80\r\n"
                                             "not a value line\r\n"
                                             "\r\n");
const QString GoldenPicture =
    QString::fromUtf8("{;} 1:top=level; 0:=; | {Main;first section} 1:Name=Wert;Kommentar "
                      "2:=;a comment line 0:=; | {\xC3\x9Cn\xC3\xAF\x63\xC3\xB6\x64\xC3\xA9;} "
                      "1:key=v\xC3\xA4lue \xE2\x98\x83 \xF0\x9F\x98\x80; "
                      "3:=not a value line; 0:=;");

// The key from a digest's hexadecimal text: every digit twice.
QByteArray KeyFromDigestHex(const QByteArray &hex)
{
    QByteArray key;
    for (char c : hex)
        key.append(c).append(c);
    return key;
}

// Byte i XOR key byte i mod 64, one byte at a time.
QByteArray XorByHand(QByteArray bytes, const QByteArray &key)
{
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(bytes[i] ^ key[i % 64]);
    return bytes;
}

QByteArray ContainerByHand(const QByteArray &text, const QByteArray &digestHex)
{
    return XorByHand(Header + Bom + text, KeyFromDigestHex(digestHex));
}

QByteArray Md5Hex(const QString &password)
{
    return QCryptographicHash::hash(password.toUtf8(), QCryptographicHash::Md5).toHex().toUpper();
}

QByteArray KeyBytes(const TKvFileKey &key)
{
    return QByteArray(key.data(), qsizetype(key.size()));
}

void WriteFile(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(file.errorString()));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray ReadFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<cannot open>");
    return file.readAll();
}

// The strong container of GoldenText with GoldenPassword, opslimit 1, memlimit
// 8192 KiB, salt 00..0F and nonce 20..37, sealed by an independent Python
// implementation of the layout (tests/core/data/strong-seal.py).
const QByteArray StrongGolden = QByteArray::fromHex(
    "894b564352590d0a02010100000000200000000102030405060708090a0b0c0d0e0f202122232425262728292a2b2c2d"
    "2e2f30313233343536378d66dfd07622a64ce7bb52ac2ca97dcc06d78a61c1719cfad25966261a7c5b714801fc5d784d"
    "ade8bde998c8dc92664d1c86c1853bbf370b375a2f8ef2b21e2c1e227381c92261edcb380a71d06aa2e125c92883b449"
    "59e38cb8d1f736c2605df89c83b5f9a1ed4ec362d8de6bb55e512cb40f9f8de2cbef26c711633c869034af02b0a22143"
    "9d8bbc4b8d8803b8aa6879439847d3c57e1a");

// Modest limits so that the suite stays fast; the header carries them.
TKvStrongParams FixedParams()
{
    TKvStrongParams params;
    params.OpsLimit = 1;
    params.MemLimitKiB = 8192;
    for (int i = 0; i < 16; ++i)
        params.Salt[size_t(i)] = static_cast<unsigned char>(i);
    for (int i = 0; i < 24; ++i)
        params.Nonce[size_t(i)] = static_cast<unsigned char>(0x20 + i);
    return params;
}

void ReadGoldenText(TKvMemIni &ini)
{
    QByteArray text = Bom + GoldenText.toUtf8();
    QBuffer stream(&text);
    stream.open(QIODevice::ReadOnly);
    stream.seek(3);
    ini.ReadUtf8(stream);
}

} // namespace

class TstContainer : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QStringList m_messages;
    TKvPlainMessageHandler m_previousHandler;

    QString Path(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QCOMPARE(Md5Hex(GoldenPassword), GoldenDigestHex);
        m_previousHandler = SetPlainMessageHandler([this](const QString &text) { m_messages.append(text); });
    }
    void cleanupTestCase() { SetPlainMessageHandler(m_previousHandler); }
    void cleanup() { QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(u'\n'))); }

    void fileKey_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QByteArray>("digestHex");
        QTest::addRow("empty") << QString() << QByteArray("D41D8CD98F00B204E9800998ECF8427E");
        QTest::addRow("abc") << QStringLiteral("abc") << QByteArray("900150983CD24FB0D6963F7D28E17F72");
        QTest::addRow("golden") << GoldenPassword << GoldenDigestHex;
        QTest::addRow("accented") << QString::fromUtf8("P\xC3\xA4ssw\xC3\xB6rd-\xC3\xA9")
                                  << QByteArray("CD6C12FCB16196216F8F90402776836B");
        QTest::addRow("outside the BMP")
            << QString::fromUtf8("\xF0\x9F\x94\x91 key") << Md5Hex(QString::fromUtf8("\xF0\x9F\x94\x91 key"));
    }
    void fileKey()
    {
        QFETCH(QString, password);
        QFETCH(QByteArray, digestHex);
        const QByteArray key = KeyBytes(MakeFileKey(password));
        QCOMPARE(key, KeyFromDigestHex(digestHex));
        QCOMPARE(key.size(), 64);
        for (qsizetype k = 0; k < 32; ++k) {
            const char c = key[2 * k];
            QVERIFY((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
            QCOMPARE(key[2 * k + 1], c);
        }
    }

    // A lone surrogate has no UTF-8 form; it counts as U+FFFD (EF BF BD).
    void loneSurrogateInPassword()
    {
        QString broken = QStringLiteral("ab");
        broken.insert(1, QChar(0xD83D));
        QString replaced = QStringLiteral("ab");
        replaced.insert(1, QChar(QChar::ReplacementCharacter));
        QCOMPARE(KeyBytes(MakeFileKey(broken)), KeyBytes(MakeFileKey(replaced)));
        QCOMPARE(KeyBytes(MakeFileKey(broken)),
                 KeyFromDigestHex(QCryptographicHash::hash("a\xEF\xBF\xBD"
                                                           "b",
                                                           QCryptographicHash::Md5)
                                      .toHex()
                                      .toUpper()));
    }

    void xorWithKey_data()
    {
        QTest::addColumn<int>("length");
        for (int length : {0, 1, 21, 63, 64, 65, 127, 128, 130, 1000})
            QTest::addRow("%d bytes", length) << length;
    }
    void xorWithKey()
    {
        QFETCH(int, length);
        QByteArray bytes(length, Qt::Uninitialized);
        for (int i = 0; i < length; ++i)
            bytes[i] = char(i * 7 + 3);
        const QByteArray original = bytes;
        const TKvFileKey key = MakeFileKey(GoldenPassword);

        XorWithKey(bytes.data(), bytes.size(), key);
        QCOMPARE(bytes, XorByHand(original, KeyFromDigestHex(GoldenDigestHex)));
        XorWithKey(bytes.data(), bytes.size(), key);
        QCOMPARE(bytes, original);
    }

    void goldenFileReads()
    {
        const QString fileName = Path(QStringLiteral("golden.IniCry"));
        WriteFile(fileName, ContainerByHand(GoldenText.toUtf8(), GoldenDigestHex));

        TKvMemIni ini;
        ini.FileName = QStringLiteral("kept.ini");
        ini.Encoding = 0;
        QCOMPARE(LoadEncrypted(ini, fileName, GoldenPassword), 65001);
        QCOMPARE(Describe(ini), GoldenPicture);
        QCOMPARE(ini.FileName, QStringLiteral("kept.ini"));
        QCOMPARE(ini.Encoding, 65001u);
    }

    // Another writer might leave out the byte-order mark; the text still reads.
    void goldenFileWithoutBomReads()
    {
        const QString fileName = Path(QStringLiteral("nobom.IniCry"));
        WriteFile(fileName, XorByHand(Header + GoldenText.toUtf8(), KeyFromDigestHex(GoldenDigestHex)));
        TKvMemIni ini;
        QCOMPARE(LoadEncrypted(ini, fileName, GoldenPassword), 65001);
        QCOMPARE(Describe(ini), GoldenPicture);
    }

    void saveGivesGoldenBytes()
    {
        TKvMemIni ini;
        QCOMPARE(LoadEncrypted(ini, Path(QStringLiteral("golden.IniCry")), GoldenPassword), 65001);
        ini.FileName = QStringLiteral("kept.ini");
        const QString fileName = Path(QStringLiteral("saved.IniCry"));
        SaveEncrypted(ini, fileName, GoldenPassword);
        QCOMPARE(ReadFile(fileName), ContainerByHand(GoldenText.toUtf8(), GoldenDigestHex));
        QCOMPARE(ini.FileName, QStringLiteral("kept.ini"));
    }

    void strongGoldenBytes()
    {
        TKvMemIni ini;
        ReadGoldenText(ini);
        QCOMPARE(Describe(ini), GoldenPicture);
        QCOMPARE(StrongContainerBytes(ini, GoldenPassword, FixedParams()).toHex(), StrongGolden.toHex());
    }

    void strongGoldenReads()
    {
        const QString fileName = Path(QStringLiteral("strong-golden.IniCry"));
        WriteFile(fileName, StrongGolden);
        TKvMemIni ini;
        TKvContainerFormat format = TKvContainerFormat::Legacy;
        QCOMPARE(LoadEncrypted(ini, fileName, GoldenPassword, &format), 65001);
        QCOMPARE(format, TKvContainerFormat::Strong);
        QCOMPARE(Describe(ini), GoldenPicture);
    }

    // A container sealed at test time by python3-nacl with a random salt and nonce.
    void pythonSealedReads()
    {
        QProcess probe;
        probe.start(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral("-c"), QStringLiteral("import nacl")});
        if (!probe.waitForFinished() || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0)
            QSKIP("python3-nacl is not installed (scripts/install-deps.sh installs it)");
        const QString plain = Path(QStringLiteral("python-plain.bin"));
        WriteFile(plain, Bom + GoldenText.toUtf8());
        const QString password = QString::fromUtf8("P\xC3\xA4ssw\xC3\xB6rd");
        QProcess seal;
        seal.start(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral(QUILLON_STRONG_SEAL), plain, password, QStringLiteral("2"),
             QStringLiteral("9000"),
             QByteArray::fromRawData("\x5a\x17\x00\xfe\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c", 16)
                 .toHex(),
             QByteArray(24, '\xA5').toHex()});
        QVERIFY(seal.waitForFinished());
        QCOMPARE(seal.exitCode(), 0);
        const QString fileName = Path(QStringLiteral("python.IniCry"));
        WriteFile(fileName, seal.readAllStandardOutput());
        TKvMemIni ini;
        QCOMPARE(LoadEncrypted(ini, fileName, password), 65001);
        QCOMPARE(Describe(ini), GoldenPicture);
        TKvMemIni wrong;
        QCOMPARE(LoadEncrypted(wrong, fileName, GoldenPassword), lrWrongPassword);
    }

    // Every changed byte class and every truncation is refused, and nothing
    // reaches the document.
    void strongTampering_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("xorMask");
        QTest::addColumn<int>("truncateTo");
        QTest::addColumn<int>("result");
        const int size = int(StrongGolden.size());
        QTest::addRow("magic first byte") << 0 << 0x01 << -1 << lrWrongPassword; // read as legacy
        QTest::addRow("magic last byte") << 7 << 0x40 << -1 << lrWrongPassword;
        QTest::addRow("version") << 8 << 0x01 << -1 << lrNotContainer;
        QTest::addRow("algorithm") << 9 << 0x02 << -1 << lrNotContainer;
        QTest::addRow("opslimit within range") << 10 << 0x02 << -1 << lrWrongPassword;
        QTest::addRow("opslimit out of range") << 13 << 0x01 << -1 << lrNotContainer;
        QTest::addRow("memlimit within range") << 14 << 0x01 << -1 << lrWrongPassword;
        QTest::addRow("memlimit out of range") << 17 << 0x80 << -1 << lrNotContainer;
        QTest::addRow("salt") << 18 << 0x01 << -1 << lrWrongPassword;
        QTest::addRow("nonce") << 40 << 0x10 << -1 << lrWrongPassword;
        QTest::addRow("ciphertext") << 70 << 0x01 << -1 << lrWrongPassword;
        QTest::addRow("tag") << size - 1 << 0x80 << -1 << lrWrongPassword;
        QTest::addRow("one byte short") << 0 << 0 << size - 1 << lrWrongPassword;
        QTest::addRow("header and tag only") << 0 << 0 << 74 << lrWrongPassword;
        QTest::addRow("shorter than header and tag") << 0 << 0 << 73 << lrNotContainer;
        QTest::addRow("magic only") << 0 << 0 << 8 << lrNotContainer;
    }
    void strongTampering()
    {
        QFETCH(int, offset);
        QFETCH(int, xorMask);
        QFETCH(int, truncateTo);
        QFETCH(int, result);
        QByteArray bytes = StrongGolden;
        bytes[offset] = char(bytes[offset] ^ xorMask);
        if (truncateTo >= 0)
            bytes.truncate(truncateTo);
        const QString fileName = Path(QStringLiteral("tampered.IniCry"));
        WriteFile(fileName, bytes);
        TKvMemIni ini;
        QCOMPARE(LoadEncrypted(ini, fileName, GoldenPassword), result);
        QCOMPARE(ini.Sections.Count(), 0);
        QCOMPARE(ReadFile(fileName), bytes);
    }

    // Refused from the header alone: deriving would need 4 GiB.
    void hugeMemLimitRefused()
    {
        QByteArray bytes = StrongGolden;
        const quint32 fourGiBInKiB = 4u * 1024 * 1024;
        for (int i = 0; i < 4; ++i)
            bytes[14 + i] = char(fourGiBInKiB >> (8 * i));
        const QString fileName = Path(QStringLiteral("huge.IniCry"));
        WriteFile(fileName, bytes);
        TKvMemIni ini;
        QCOMPARE(LoadEncrypted(ini, fileName, GoldenPassword), lrNotContainer);
    }

    // The header alone decides, before any key is derived: limits at and just
    // beyond their ends, unknown versions and algorithms, short files.
    void strongHeaderChecks_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("algorithm");
        QTest::addColumn<quint32>("opsLimit");
        QTest::addColumn<quint32>("memLimitKiB");
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("accepted");
        const int size = int(StrongGolden.size());
        QTest::addRow("golden") << 2 << 1 << 1u << 8192u << size << true;
        QTest::addRow("limits at their upper ends") << 2 << 1 << 16u << 1048576u << size << true;
        QTest::addRow("header and tag, no text") << 2 << 1 << 3u << 65536u << 74 << true;
        QTest::addRow("opslimit 0") << 2 << 1 << 0u << 8192u << size << false;
        QTest::addRow("opslimit 17") << 2 << 1 << 17u << 8192u << size << false;
        QTest::addRow("opslimit all ones") << 2 << 1 << 0xFFFFFFFFu << 8192u << size << false;
        QTest::addRow("memlimit 8191 KiB") << 2 << 1 << 1u << 8191u << size << false;
        QTest::addRow("memlimit 1 GiB + 1 KiB") << 2 << 1 << 1u << 1048577u << size << false;
        QTest::addRow("memlimit 4 GiB") << 2 << 1 << 1u << 4u * 1024 * 1024 << size << false;
        QTest::addRow("memlimit all ones") << 2 << 1 << 1u << 0xFFFFFFFFu << size << false;
        QTest::addRow("version 1") << 1 << 1 << 1u << 8192u << size << false;
        QTest::addRow("version 3") << 3 << 1 << 1u << 8192u << size << false;
        QTest::addRow("algorithm 0") << 2 << 0 << 1u << 8192u << size << false;
        QTest::addRow("algorithm 2 (Argon2i)") << 2 << 2 << 1u << 8192u << size << false;
        QTest::addRow("one byte short of header and tag") << 2 << 1 << 1u << 8192u << 73 << false;
        QTest::addRow("header only") << 2 << 1 << 1u << 8192u << 58 << false;
    }
    void strongHeaderChecks()
    {
        QFETCH(int, version);
        QFETCH(int, algorithm);
        QFETCH(quint32, opsLimit);
        QFETCH(quint32, memLimitKiB);
        QFETCH(int, length);
        QFETCH(bool, accepted);
        QByteArray bytes = StrongGolden;
        bytes.resize(length);
        bytes[8] = char(version);
        bytes[9] = char(algorithm);
        for (int i = 0; i < 4; ++i) {
            bytes[10 + i] = char(opsLimit >> (8 * i));
            bytes[14 + i] = char(memLimitKiB >> (8 * i));
        }
        const std::optional<TKvStrongParams> params = ReadStrongHeader(bytes);
        QCOMPARE(params.has_value(), accepted);
        if (!accepted)
            return;
        QCOMPARE(params->OpsLimit, opsLimit);
        QCOMPARE(params->MemLimitKiB, memLimitKiB);
        QVERIFY(params->Salt == FixedParams().Salt);
        QVERIFY(params->Nonce == FixedParams().Nonce);
    }

    // The steps one by one give what the whole does; a key for other header
    // fields is refused without touching the document.
    void strongStepByStep()
    {
        TKvMemIni ini;
        ReadGoldenText(ini);
        const TKvStrongKey key = DeriveStrongKey(GoldenPassword, FixedParams());
        const QByteArray plain = Bom + GoldenText.toUtf8();
        QCOMPARE(SealStrongContainer(plain, FixedParams(), key).toHex(), StrongGolden.toHex());
        TKvMemIni back;
        QCOMPARE(OpenStrongContainer(back, StrongGolden, key), 65001);
        QCOMPARE(Describe(back), GoldenPicture);
        TKvStrongParams otherSalt = FixedParams();
        otherSalt.Salt[0] ^= 1;
        TKvMemIni refused;
        QCOMPARE(OpenStrongContainer(refused, StrongGolden, DeriveStrongKey(GoldenPassword, otherSalt)),
                 lrWrongPassword);
        QCOMPARE(refused.Sections.Count(), 0);
    }

    // Wiping never reaches a copy that another holder still uses.
    void wipePasswordLeavesSharedCopies()
    {
        QString kept = QStringLiteral("a password");
        kept.detach();
        QString copy = kept;
        WipePassword(copy);
        QVERIFY(copy.isEmpty());
        QCOMPARE(kept, QStringLiteral("a password"));
        WipePassword(kept);
        QVERIFY(kept.isEmpty());
        QString empty;
        WipePassword(empty);
        QVERIFY(empty.isEmpty());
        // A held password shares its text with whoever read it; Set and
        // Clear wipe only what is no longer shared.
        TKvSecretText held(QStringLiteral("first one"));
        const QString reader = held.Text();
        held.Set(QStringLiteral("second one"));
        QCOMPARE(reader, QStringLiteral("first one"));
        QCOMPARE(held.Text(), QStringLiteral("second one"));
        held.Clear();
        QVERIFY(held.Text().isEmpty());
    }

    void legacyReportsItsFormat()
    {
        TKvMemIni ini;
        TKvContainerFormat format = TKvContainerFormat::Strong;
        QCOMPARE(LoadEncrypted(ini, Path(QStringLiteral("golden.IniCry")), GoldenPassword, &format), 65001);
        QCOMPARE(format, TKvContainerFormat::Legacy);
        QCOMPARE(ContainerFormatOf(ReadFile(Path(QStringLiteral("golden.IniCry")))),
                 TKvContainerFormat::Legacy);
        QCOMPARE(ContainerFormatOf(StrongGolden), TKvContainerFormat::Strong);
    }

    // A legacy file saved strong reads back with the same text; each save has
    // its own salt and nonce.
    void upgradeToStrong()
    {
        TKvMemIni ini;
        QCOMPARE(LoadEncrypted(ini, Path(QStringLiteral("golden.IniCry")), GoldenPassword), 65001);
        const QString first = Path(QStringLiteral("upgraded1.IniCry"));
        const QString second = Path(QStringLiteral("upgraded2.IniCry"));
        SaveEncrypted(ini, first, GoldenPassword, FreshStrongParams(1, 8192));
        SaveEncrypted(ini, second, GoldenPassword, FreshStrongParams(1, 8192));
        const QByteArray a = ReadFile(first);
        const QByteArray b = ReadFile(second);
        QVERIFY(a.startsWith(QByteArrayLiteral("\x89KVCRY\r\n\x02\x01")));
        QVERIFY(a.mid(18, 40) != b.mid(18, 40));
        QCOMPARE(a.size(), 58 + 3 + GoldenText.toUtf8().size() + 16);
        TKvMemIni back;
        TKvContainerFormat format = TKvContainerFormat::Legacy;
        QCOMPARE(LoadEncrypted(back, first, GoldenPassword, &format), 65001);
        QCOMPARE(format, TKvContainerFormat::Strong);
        QCOMPARE(Describe(back), GoldenPicture);
        // And back to legacy on request: the original bytes.
        const QString legacy = Path(QStringLiteral("downgraded.IniCry"));
        SaveEncrypted(back, legacy, GoldenPassword, TKvContainerFormat::Legacy);
        QCOMPARE(ReadFile(legacy), ContainerByHand(GoldenText.toUtf8(), GoldenDigestHex));
    }

    // A document built through the model, not the reader.
    void saveBuiltDocument()
    {
        TKvMemIni ini;
        TKvIniSection *section = ini.AddSection(QStringLiteral("Colours"));
        section->AddVal(u"Red", u"FF0000", u"");
        section->AddVal(u"Gr\u00FCn", u"00FF00", u"green");
        const QString fileName = Path(QStringLiteral("built.IniCry"));
        SaveEncrypted(ini, fileName, GoldenPassword);
        const QByteArray text =
            QByteArrayLiteral("[Colours]\r\nRed=FF0000\r\nGr\xC3\xBCn=00FF00 ;green\r\n\r\n");
        QCOMPARE(ReadFile(fileName), ContainerByHand(text, GoldenDigestHex));
    }

    void emptyDocument_data()
    {
        QTest::addColumn<bool>("writeBom");
        QTest::addRow("with mark") << true;
        QTest::addRow("mark switched off") << false;
    }
    // The layout always has the byte-order mark, even for a document that
    // would be written without one.
    void emptyDocument()
    {
        QFETCH(bool, writeBom);
        const QString fileName = Path(QStringLiteral("empty.IniCry"));
        TKvMemIni ini;
        ini.WriteBom = writeBom;
        SaveEncrypted(ini, fileName, GoldenPassword);
        const QByteArray expected = ContainerByHand(QByteArray(), GoldenDigestHex);
        QCOMPARE(expected.size(), 25);
        QCOMPARE(ReadFile(fileName), expected);

        ini.AddSection(QStringLiteral("a"))->AddVal(u"x", u"1", u"");
        SaveEncrypted(ini, fileName, GoldenPassword);
        QCOMPARE(ReadFile(fileName), ContainerByHand("[a]\r\nx=1\r\n\r\n", GoldenDigestHex));
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("otherPassword");
        QTest::addRow("ascii") << QStringLiteral("secret") << QStringLiteral("Secret");
        QTest::addRow("accented, precomposed vs decomposed")
            << QString::fromUtf8("P\xC3\xA4ssw\xC3\xB6rd \xC3\xA9t\xC3\xA9")
            << QString::fromUtf8("Pa\xCC\x88ssw\xC3\xB6rd \xC3\xA9t\xC3\xA9");
        QTest::addRow("cyrillic") << QString::fromUtf8("\xD0\xBF\xD0\xB0\xD1\x80\xD0\xBE\xD0\xBB\xD1\x8C")
                                  << QString::fromUtf8("\xD0\xBF\xD0\xB0\xD1\x80\xD0\xBE\xD0\xBB");
        QTest::addRow("outside the BMP") << QString::fromUtf8("\xF0\x9F\x94\x91\xF0\x9F\x94\x92")
                                         << QString::fromUtf8("\xF0\x9F\x94\x92\xF0\x9F\x94\x91");
        QTest::addRow("longer than the key")
            << QStringLiteral("x").repeated(200) << QStringLiteral("x").repeated(199);
    }
    void roundTrip()
    {
        QFETCH(QString, password);
        QFETCH(QString, otherPassword);
        TKvMemIni source;
        QVERIFY(source.Parse(GoldenText));
        const QString fileName = Path(QStringLiteral("round trip.IniCry"));
        SaveEncrypted(source, fileName, password);

        const QByteArray bytes = ReadFile(fileName);
        QCOMPARE(bytes, ContainerByHand(GoldenText.toUtf8(), Md5Hex(password)));
        // Decrypted, byte 22 starts the byte-order mark.
        QCOMPARE(quint8(bytes[22] ^ KeyBytes(MakeFileKey(password))[22]), quint8(0xEF));

        TKvMemIni right;
        QCOMPARE(LoadEncrypted(right, fileName, password), 65001);
        QCOMPARE(Describe(right), GoldenPicture);

        TKvMemIni wrong;
        QCOMPARE(LoadEncrypted(wrong, fileName, otherPassword), lrWrongPassword);
        QCOMPARE(wrong.Sections.Count(), 0);
    }

    void shortFiles_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("picture");
        QTest::addRow("empty file") << 0 << lrNotContainer << QString();
        QTest::addRow("one byte") << 1 << lrNotContainer << QString();
        QTest::addRow("21 bytes") << 21 << lrNotContainer << QString();
        QTest::addRow("header only") << 22 << 65001 << QString();
        // The UTF-8 reader parses the empty text after a mark into one empty
        // nameless section, which writes nothing.
        QTest::addRow("header and mark") << 25 << 65001 << QStringLiteral("{;}");
    }
    // Prefixes of a real container.
    void shortFiles()
    {
        QFETCH(int, length);
        QFETCH(int, result);
        QFETCH(QString, picture);
        const QString fileName = Path(QStringLiteral("short.IniCry"));
        WriteFile(fileName, ContainerByHand(GoldenText.toUtf8(), GoldenDigestHex).first(length));
        TKvMemIni ini;
        QCOMPARE(LoadEncrypted(ini, fileName, GoldenPassword), result);
        QCOMPARE(Describe(ini), picture);
    }

    void plainIniWithContainerExtension_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addRow("plain text") << QByteArray("[Main]\r\nName=Value\r\nOther=Thing\r\n");
        QTest::addRow("utf-8 with mark") << QByteArray("\xEF\xBB\xBF[Main]\r\nName=V\xC3\xA4lue\r\n");
        // The header in clear text is not a container either.
        QTest::addRow("unencrypted container") << Header + Bom + "[a]\r\nx=1\r\n";
    }
    void plainIniWithContainerExtension()
    {
        QFETCH(QByteArray, bytes);
        const QString fileName = Path(QStringLiteral("plain.IniCry"));
        WriteFile(fileName, bytes);
        TKvMemIni ini;
        QCOMPARE(LoadEncrypted(ini, fileName, GoldenPassword), lrWrongPassword);
        QCOMPARE(ini.Sections.Count(), 0);
        QCOMPARE(ReadFile(fileName), bytes); // reading never writes
    }

    // What the UTF-8 reader returns comes back unchanged: here a NUL in the
    // middle of the text stops the parser early.
    void readerResultPassesThrough()
    {
        const QString fileName = Path(QStringLiteral("nul.IniCry"));
        const QByteArray text("[a]\r\nx=1\r\n\0[b]\r\ny=2\r\nz=3\r\n", 27);
        WriteFile(fileName, ContainerByHand(text, GoldenDigestHex));
        TKvMemIni ini;
        QCOMPARE(LoadEncrypted(ini, fileName, GoldenPassword), -2);
    }

    // Saving over a longer container leaves nothing of the old one behind.
    void saveReplacesLongerFile()
    {
        const QString fileName = Path(QStringLiteral("replace.IniCry"));
        TKvMemIni big;
        QVERIFY(big.Parse(GoldenText.repeated(50)));
        SaveEncrypted(big, fileName, GoldenPassword);
        TKvMemIni small;
        small.AddSection(QStringLiteral("s"))->AddVal(u"k", u"v", u"");
        SaveEncrypted(small, fileName, QStringLiteral("other"));
        QCOMPARE(ReadFile(fileName), ContainerByHand("[s]\r\nk=v\r\n\r\n", Md5Hex(QStringLiteral("other"))));
    }

    void fileErrorsThrow_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addRow("missing file") << QStringLiteral("does-not-exist.IniCry");
        QTest::addRow("folder") << QStringLiteral("folder.IniCry");
    }
    void fileErrorsThrow()
    {
        QFETCH(QString, name);
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("folder.IniCry")));
        TKvMemIni ini;
        QVERIFY_THROWS_EXCEPTION(TKvFileError, LoadEncrypted(ini, Path(name), GoldenPassword));
    }

    void saveIntoMissingFolderThrows()
    {
        TKvMemIni ini;
        ini.AddSection(QStringLiteral("a"));
        const QString fileName = Path(QStringLiteral("no such folder/x.IniCry"));
        QVERIFY_THROWS_EXCEPTION(TKvFileError, SaveEncrypted(ini, fileName, GoldenPassword));
        QVERIFY(!QFile::exists(fileName));
    }
};

QTEST_GUILESS_MAIN(TstContainer)
#include "tst_container.moc"
