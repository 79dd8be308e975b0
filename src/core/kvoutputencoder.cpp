#include "kvoutputencoder.h"

#include "kvfileerror.h"
#include "kvmemini.h"
#include "kvwritebuffer.h"

#include <QBuffer>
#include <QSysInfo>
#include <QtEndian>

namespace {

// What detection looks at.
constexpr qsizetype HeadSize = 200;

bool IsUtf16(quint32 encoding)
{
    return encoding == KvEncoding::Utf16LE || encoding == KvEncoding::Utf16BE;
}

bool IsLegacyAnsi(quint32 encoding)
{
    return encoding != KvEncoding::Utf8 && !IsUtf16(encoding)
           && KvTextCodec::SystemAnsiCodePage() != KvEncoding::Utf8;
}

quint32 Detect(const QByteArray &head)
{
    QByteArray copy = head;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return TKvMemIni::DetectEncoding(buffer);
}

bool StartsLikeMark(QByteArrayView head)
{
    return head.startsWith("\xEF\xBB\xBF") || head.startsWith("\xFE\xFF") || head.startsWith("\xFF\xFE");
}

QByteArray FormFeed(quint32 encoding)
{
    switch (encoding) {
    case KvEncoding::Utf16LE:
        return QByteArray("\x0C\x00", 2);
    case KvEncoding::Utf16BE:
        return QByteArray("\x00\x0C", 2);
    default:
        return QByteArray("\x0C");
    }
}

} // namespace

TKvOutputEncoder::TKvOutputEncoder(quint32 encoding, bool mark, Sink sink)
    : m_encoding(encoding)
    , m_mark(mark)
    , m_sink(std::move(sink))
{
    if (m_mark) {
        // A file with its mark reads back in its encoding whatever follows.
        m_sink(KvWriteBuffer::ByteOrderMark(m_encoding));
        m_headReleased = !KvWriteBuffer::ByteOrderMark(m_encoding).isEmpty();
    }
}

QByteArrayView TKvOutputEncoder::Encoded(QStringView text)
{
    switch (m_encoding) {
    case KvEncoding::Utf8:
        m_bytes = KvTextCodec::EncodeUtf8(text);
        return m_bytes;
    case KvEncoding::Utf16LE:
    case KvEncoding::Utf16BE: {
        m_bytes.resize(text.size() * 2);
        auto *out = reinterpret_cast<char16_t *>(m_bytes.data());
        for (qsizetype i = 0; i < text.size(); ++i) {
            char16_t c = text[i].unicode();
            if (QChar::isSurrogate(c)) {
                const bool paired = QChar::isHighSurrogate(c)
                                        ? i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())
                                        : i > 0 && QChar::isHighSurrogate(text[i - 1].unicode());
                if (!paired)
                    c = 0xFFFD;
            }
            out[i] = m_encoding == KvEncoding::Utf16LE ? qToLittleEndian(c) : qToBigEndian(c);
        }
        return m_bytes;
    }
    default:
        m_bytes = KvTextCodec::EncodeAnsi(text);
        return m_bytes;
    }
}

void TKvOutputEncoder::KeepStartOf(QStringView readStart)
{
    m_readInThisEncoding = true;
    m_readStart = Encoded(readStart).toByteArray();
}

void TKvOutputEncoder::Put(QStringView text)
{
    if (text.isEmpty())
        return;
    // A part that ends inside a surrogate pair keeps its high half for the next.
    QString joined;
    if (m_pendingHigh) {
        joined.reserve(text.size() + 1);
        joined.append(QChar(m_pendingHigh)).append(text);
        text = joined;
        m_pendingHigh = 0;
    }
    if (QChar::isHighSurrogate(text.back().unicode())) {
        m_pendingHigh = text.back().unicode();
        text.chop(1);
    }
    Pass(Encoded(text));
}

void TKvOutputEncoder::PutBytes(QByteArrayView bytes)
{
    if (m_pendingHigh) {
        const char16_t high = m_pendingHigh;
        m_pendingHigh = 0;
        Pass(Encoded(QStringView(&high, 1)));
    }
    Pass(bytes);
}

void TKvOutputEncoder::Pass(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    if (!m_highByte && IsLegacyAnsi(m_encoding)) {
        for (const char byte : bytes) {
            if (static_cast<unsigned char>(byte) > 127) {
                m_highByte = true;
                break;
            }
        }
    }
    if (m_headReleased) {
        m_sink(bytes);
        return;
    }
    m_head.append(bytes);
    if (m_head.size() >= HeadSize)
        ReleaseHead();
}

void TKvOutputEncoder::ReleaseHead()
{
    m_headReleased = true;
    if (m_head.isEmpty())
        return;
    // The first 20 bytes decide detection's zero count and any mark; whole
    // units only (a UTF-16 file may end with half of one).
    qsizetype compared = qMin(qMin(m_head.size(), m_readStart.size()), qsizetype(20));
    if (IsUtf16(m_encoding))
        compared &= ~qsizetype(1);
    if (compared > 0
        && QByteArrayView(m_head).first(compared) == QByteArrayView(m_readStart).first(compared)) {
        m_sink(m_head);
        m_head.clear();
        return;
    }
    if (StartsLikeMark(m_head))
        m_head.prepend(FormFeed(m_encoding));
    const quint32 detected = Detect(m_head.left(HeadSize));
    // A UTF-16 file read without its mark (found by its zeros, or named) stays without.
    if (IsUtf16(m_encoding) && detected != m_encoding && !m_readInThisEncoding)
        m_head.prepend(KvWriteBuffer::ByteOrderMark(m_encoding).toByteArray());
    m_readsAsUtf8 = detected == KvEncoding::Utf8 && IsLegacyAnsi(m_encoding);
    m_sink(m_head);
    m_head.clear();
}

void TKvOutputEncoder::Finish()
{
    if (m_pendingHigh) {
        const char16_t high = m_pendingHigh;
        m_pendingHigh = 0;
        Pass(Encoded(QStringView(&high, 1)));
    }
    if (!m_headReleased)
        ReleaseHead();
    if (m_readsAsUtf8 && m_highByte) {
        throw TKvFileError(QString(),
                           QStringLiteral("The text \"utf-8\" near the start of the file would make it "
                                          "read back as UTF-8. Save it as UTF-8, or remove that text."));
    }
}

namespace KvOutput {

void AddUtf16Loss(KvTextCodec::TKvEncodingLoss &loss, QStringView text, qsizetype maxExamples)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (!QChar::isSurrogate(c))
            continue;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size()
            && QChar::isLowSurrogate(text[i + 1].unicode())) {
            ++i;
            continue;
        }
        ++loss.Count;
        // A kept byte is shown as the byte it was, any other as its code.
        const QString shown = c >= 0xDC80 && c <= 0xDCFF
                                  ? QStringLiteral("byte %1").arg(c & 0xFF, 2, 16, QLatin1Char('0')).toUpper()
                                  : QStringLiteral("U+%1").arg(int(c), 4, 16, QLatin1Char('0')).toUpper();
        if (loss.Examples.size() < maxExamples && !loss.Examples.contains(shown))
            loss.Examples.append(shown);
    }
}

} // namespace KvOutput
