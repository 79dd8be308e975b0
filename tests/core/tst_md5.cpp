// The MD5 digest: the RFC 1321 test suite, feeding in pieces, and the three
// misuse messages.
#include "kvmd5.h"
#include "kvplainmessage.h"

#include <QCryptographicHash>
#include <QTest>

namespace {

// Digest state in a form that compares in one QCOMPARE.
QByteArray DigestBytes(const TMd5Hash &hash)
{
    return QByteArray(reinterpret_cast<const char *>(hash.Digest().data()), TMd5Hash::DigestLength);
}

// A message of the given length that is not periodic within a block.
QByteArray Message(qsizetype length)
{
    QByteArray bytes(length, Qt::Uninitialized);
    for (qsizetype i = 0; i < length; ++i)
        bytes[i] = char((i * 131 + i / 7) & 0xFF);
    return bytes;
}

// Gives the protected block transform to the misuse test.
class ExposedMd5 : public TMd5Hash
{
public:
    using TMd5Hash::Transform;
};

} // namespace

class TstMd5 : public QObject
{
    Q_OBJECT

private:
    QStringList m_messages;
    TKvPlainMessageHandler m_previousHandler;

private Q_SLOTS:
    void init()
    {
        m_messages.clear();
        m_previousHandler = SetPlainMessageHandler([this](const QString &text) { m_messages.append(text); });
    }
    void cleanup() { SetPlainMessageHandler(m_previousHandler); }

    void rfc1321Suite_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QByteArray>("hex");
        QTest::addRow("empty") << QByteArray("") << QByteArray("D41D8CD98F00B204E9800998ECF8427E");
        QTest::addRow("a") << QByteArray("a") << QByteArray("0CC175B9C0F1B6A831C399E269772661");
        QTest::addRow("abc") << QByteArray("abc") << QByteArray("900150983CD24FB0D6963F7D28E17F72");
        QTest::addRow("message digest")
            << QByteArray("message digest") << QByteArray("F96B697D7CB7938D525A2F31AAF161D0");
        QTest::addRow("alphabet") << QByteArray("abcdefghijklmnopqrstuvwxyz")
                                  << QByteArray("C3FCD3D76192E4007DFB496CCA67E13B");
        QTest::addRow("alphanumerics")
            << QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789")
            << QByteArray("D174AB98D277D9F5A5611C2C9F419D9F");
        QTest::addRow("eight times digits")
            << QByteArray("1234567890").repeated(8) << QByteArray("57EDF4A22BE3C955AC49DA2E2107B67A");
    }
    void rfc1321Suite()
    {
        QFETCH(QByteArray, message);
        QFETCH(QByteArray, hex);
        const TMd5Hash hash(message);
        QVERIFY(hash.Finalized());
        QCOMPARE(hash.DigestHex(), hex);
        QCOMPARE(DigestBytes(hash), QByteArray::fromHex(hex));
        // The pointer and length constructor gives the same.
        QCOMPARE(TMd5Hash(message.constData(), message.size()).DigestHex(), hex);
        QVERIFY(m_messages.isEmpty());
    }

    // Lengths around the block size and the 56-byte fill boundary, fed at once
    // and in pieces of several sizes; Qt's own MD5 is the reference.
    void piecesAndBoundaries_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("piece");
        for (int length : {1, 55, 56, 57, 63, 64, 65, 119, 120, 121, 127, 128, 129, 1000, 4096 + 17}) {
            for (int piece : {1, 3, 63, 64, 65, 100000})
                QTest::addRow("%d bytes in pieces of %d", length, piece) << length << piece;
        }
    }
    void piecesAndBoundaries()
    {
        QFETCH(int, length);
        QFETCH(int, piece);
        const QByteArray message = Message(length);
        TMd5Hash hash;
        for (qsizetype at = 0; at < message.size(); at += piece)
            hash.Update(message.constData() + at, qMin<qsizetype>(piece, message.size() - at));
        hash.Update(message.constData(), 0); // an empty piece changes nothing
        hash.Finalize();
        QCOMPARE(DigestBytes(hash), QCryptographicHash::hash(message, QCryptographicHash::Md5));
        QVERIFY(m_messages.isEmpty());
    }

    void digestHexIsUpperCase()
    {
        // Every hexadecimal letter appears in this digest.
        const QByteArray hex = TMd5Hash(QByteArrayView("message digest")).DigestHex();
        QCOMPARE(hex.size(), 32);
        for (char c : hex)
            QVERIFY2((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'), hex.constData());
    }

    void startsEmptyAndCanBeReused()
    {
        TMd5Hash hash;
        QVERIFY(!hash.Finalized());
        QCOMPARE(hash.DigestHex(), QByteArray(32, '0'));
        hash.Update(QByteArrayView("abc"));
        hash.Finalize();
        QCOMPARE(hash.DigestHex(), QByteArray("900150983CD24FB0D6963F7D28E17F72"));
        hash.Init();
        QVERIFY(!hash.Finalized());
        QCOMPARE(hash.DigestHex(), QByteArray(32, '0'));
        hash.Update(QByteArrayView("a"));
        hash.Finalize();
        QCOMPARE(hash.DigestHex(), QByteArray("0CC175B9C0F1B6A831C399E269772661"));
        QVERIFY(m_messages.isEmpty());
    }

    void misuseShowsMessageAndChangesNothing_data()
    {
        QTest::addColumn<int>("misuse");
        QTest::addColumn<QString>("message");
        QTest::addRow("update") << 0 << QStringLiteral("TMd5Hash::update:  Can't update a finalized digest!");
        QTest::addRow("finalize") << 1
                                  << QStringLiteral("TMd5Hash::finalize:  Already finalized this digest!");
        QTest::addRow("block") << 2 << QStringLiteral("Fatal Error!\r\n In class TMd5Hash line 112");
    }
    void misuseShowsMessageAndChangesNothing()
    {
        QFETCH(int, misuse);
        QFETCH(QString, message);
        ExposedMd5 hash;
        hash.Update(QByteArrayView("abc"));
        hash.Finalize();
        const QByteArray before = hash.DigestHex();
        QVERIFY(m_messages.isEmpty());

        const QByteArray block(64, 'x');
        switch (misuse) {
        case 0:
            hash.Update(block);
            break;
        case 1:
            hash.Finalize();
            break;
        default:
            hash.Transform(reinterpret_cast<const quint8 *>(block.constData()));
            break;
        }
        QCOMPARE(m_messages, QStringList{message});
        QCOMPARE(hash.DigestHex(), before);
        QVERIFY(hash.Finalized());

        // The object still works after Init.
        hash.Init();
        hash.Update(QByteArrayView("abc"));
        hash.Finalize();
        QCOMPARE(hash.DigestHex(), QByteArray("900150983CD24FB0D6963F7D28E17F72"));
        QCOMPARE(m_messages.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TstMd5)
#include "tst_md5.moc"
