// Version data of executables: this test embeds the version block, so it reads
// its own; files put together here check how the block is found and queried.
#include "kvversionblock.h"
#include "kvversioninfo.h"
#include "probe.h"
#include "quillon_version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The marker, put together at run time: a plain copy in this executable's
// data would be a second, false block for the reader to find.
QByteArray Marker()
{
    QByteArray marker("?"
                      "KvVersionBlock"
                      "\x01");
    marker[0] = '\x7F';
    return marker;
}

// A block: the marker, then path and value pairs, then the closing NUL.
QByteArray Block(const QList<std::pair<QByteArray, QByteArray>> &pairs)
{
    QByteArray block = Marker();
    for (const auto &[path, value] : pairs)
        block += path + '\0' + value + '\0';
    return block + '\0';
}

const QByteArray Translation = QByteArrayLiteral("\\VarFileInfo\\Translation");

QByteArray StringPath(const QByteArray &table, const QByteArray &name)
{
    return "\\StringFileInfo\\" + table + '\\' + name;
}

// Bytes such as those around the block in an executable, with NULs and
// control characters.
QByteArray Filler(int length)
{
    QByteArray bytes(length, Qt::Uninitialized);
    for (int i = 0; i < length; ++i)
        bytes[i] = char((i * 37) % 251);
    return bytes;
}

} // namespace

class TstVersionInfo : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void ownExecutable_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::addRow("FileVersion") << QStringLiteral("FileVersion") << QStringLiteral(QUILLON_VERSION);
        QTest::addRow("names ignore case")
            << QStringLiteral("fileversion") << QStringLiteral(QUILLON_VERSION);
        QTest::addRow("ProductVersion")
            << QStringLiteral("ProductVersion") << QStringLiteral(QUILLON_VERSION);
        QTest::addRow("ProductName") << QStringLiteral("ProductName") << QStringLiteral("Quillon");
        QTest::addRow("missing string") << QStringLiteral("Comments") << QString();
        QTest::addRow("empty name") << QString() << QString();
    }
    void ownExecutable()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(FileVersionString(QCoreApplication::applicationFilePath(), name), expected);
    }

    void fileVersionHasFourNumbers()
    {
        const QString version =
            FileVersionString(QCoreApplication::applicationFilePath(), QStringLiteral("FileVersion"));
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+\\.\\d+$")).match(version).hasMatch(),
                 qPrintable(version));
    }

    // Another executable, read from here and reading itself.
    void otherExecutable()
    {
        const QString probe = QStringLiteral(PLATFORM_PROBE);
        QCOMPARE(FileVersionString(probe, QStringLiteral("FileVersion")), QStringLiteral(QUILLON_VERSION));
        const TProbeResult result =
            RunProbe({QStringLiteral("version"), probe, QStringLiteral("FileVersion")},
                     QProcessEnvironment::systemEnvironment());
        QCOMPARE(result.ExitCode, 0);
        QCOMPARE(result.Output, QStringLiteral(QUILLON_VERSION "\n"));
    }

    // The library holds the reader but no block: its masked marker is not found.
    void readerAloneHasNoVersion()
    {
        QVERIFY(QFile::exists(QStringLiteral(PLATFORM_LIBRARY)));
        QCOMPARE(FileVersionString(QStringLiteral(PLATFORM_LIBRARY), QStringLiteral("FileVersion")),
                 QString());
    }

    void craftedFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        const QByteArray uk = QByteArrayLiteral("080904E4");
        const QByteArray us = QByteArrayLiteral("040904B0");
        const QByteArray ukBlock = Block({{Translation, uk}, {StringPath(uk, "FileVersion"), "1.2.3.4"}});

        QTest::addRow("empty file") << QByteArray() << QStringLiteral("FileVersion") << QString();
        QTest::addRow("no block") << Filler(5000) << QStringLiteral("FileVersion") << QString();
        QTest::addRow("block amid other bytes") << Filler(3000) + ukBlock + Filler(3000)
                                                << QStringLiteral("FileVersion") << QStringLiteral("1.2.3.4");
        QTest::addRow("block at the very end")
            << Filler(100) + ukBlock << QStringLiteral("FileVersion") << QStringLiteral("1.2.3.4");
        QTest::addRow("other translation")
            << Block({{Translation, us}, {StringPath(us, "FileVersion"), "5.6.7.8"}})
            << QStringLiteral("FileVersion") << QStringLiteral("5.6.7.8");
        QTest::addRow("lower-case translation")
            << Block({{Translation, "080904e4"}, {StringPath(uk, "FileVersion"), "1.0.0.0"}})
            << QStringLiteral("FileVersion") << QStringLiteral("1.0.0.0");
        QTest::addRow("first translation chooses the table")
            << Block({{Translation, us + uk},
                      {StringPath(uk, "FileVersion"), "uk"},
                      {StringPath(us, "FileVersion"), "us"}})
            << QStringLiteral("FileVersion") << QStringLiteral("us");
        QTest::addRow("string only in another table")
            << Block({{Translation, uk}, {StringPath(us, "FileVersion"), "us"}})
            << QStringLiteral("FileVersion") << QString();
        QTest::addRow("no translation") << Block({{StringPath(uk, "FileVersion"), "1.2.3.4"}})
                                        << QStringLiteral("FileVersion") << QString();
        QTest::addRow("short translation")
            << Block({{Translation, "0809"}, {StringPath("0809", "FileVersion"), "1"}})
            << QStringLiteral("FileVersion") << QString();
        QTest::addRow("translation not hexadecimal")
            << Block({{Translation, "0809XXXX"}, {StringPath("0809XXXX", "FileVersion"), "1"}})
            << QStringLiteral("FileVersion") << QString();
        QTest::addRow("empty value") << Block({{Translation, uk}, {StringPath(uk, "FileVersion"), ""}})
                                     << QStringLiteral("FileVersion") << QString();
        QTest::addRow("non-ASCII value and name")
            << Block({{Translation, uk}, {StringPath(uk, "N\xC3\xA4me"), "v\xC3\xA6rdi \xE2\x82\xAC"}})
            << QStringLiteral(u"N\u00E4me") << QStringLiteral(u"v\u00E6rdi \u20AC");
        QTest::addRow("unterminated block")
            << ukBlock.chopped(1) << QStringLiteral("FileVersion") << QString();
        QTest::addRow("marker alone at the end")
            << Filler(10) + Marker() << QStringLiteral("FileVersion") << QString();
        QTest::addRow("empty block") << Marker() + '\0' << QStringLiteral("FileVersion") << QString();
        QTest::addRow("damaged copy first, then the block")
            << Marker() + "\x01\x02" + Filler(50) + ukBlock << QStringLiteral("FileVersion")
            << QStringLiteral("1.2.3.4");
        QTest::addRow("block too long") << Block({{Translation, uk},
                                                  {StringPath(uk, "Comments"), QByteArray(5000, 'c')},
                                                  {StringPath(uk, "FileVersion"), "1.2.3.4"}})
                                        << QStringLiteral("FileVersion") << QString();
    }
    void craftedFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        const QString fileName = m_dir.filePath(QStringLiteral("crafted.bin"));
        QFile file(fileName);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
        file.close();
        QCOMPARE(FileVersionString(fileName, name), expected);
    }

    void unreadableFiles_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addRow("missing") << m_dir.filePath(QStringLiteral("missing.bin"));
        QTest::addRow("folder") << m_dir.path();
        QTest::addRow("empty name") << QString();
        QTest::addRow("device") << QStringLiteral("/dev/null");
    }
    void unreadableFiles()
    {
        QFETCH(QString, fileName);
        QCOMPARE(FileVersionString(fileName, QStringLiteral("FileVersion")), QString());
    }
};

QTEST_GUILESS_MAIN(TstVersionInfo)
#include "tst_versioninfo.moc"
