// MD5 as described in RFC 1321, written from the RFC's description.
#include "kvmd5.h"

#include "kvplainmessage.h"

#include <QtEndian>

#include <cstring>

namespace {

constexpr quint32 RotateLeft(quint32 x, int n)
{
    return (x << n) | (x >> (32 - n));
}

// The four auxiliary functions of the RFC.
constexpr quint32 F(quint32 x, quint32 y, quint32 z)
{
    return (x & y) | (~x & z);
}
constexpr quint32 G(quint32 x, quint32 y, quint32 z)
{
    return (x & z) | (y & ~z);
}
constexpr quint32 H(quint32 x, quint32 y, quint32 z)
{
    return x ^ y ^ z;
}
constexpr quint32 I(quint32 x, quint32 y, quint32 z)
{
    return y ^ (x | ~z);
}

// The per-step shift amounts, four for each round.
constexpr int Shifts[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

// T[i] = floor(2^32 * abs(sin(i + 1))).
constexpr quint32 SineTable[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

} // namespace

TMd5Hash::TMd5Hash()
{
    Init();
}

TMd5Hash::TMd5Hash(const void *bytes, qsizetype length)
{
    Init();
    Update(bytes, length);
    Finalize();
}

void TMd5Hash::Init()
{
    m_state[0] = 0x67452301;
    m_state[1] = 0xefcdab89;
    m_state[2] = 0x98badcfe;
    m_state[3] = 0x10325476;
    m_bitCount = 0;
    std::memset(m_buffer, 0, sizeof m_buffer);
    m_digest.fill(0);
    m_finalized = false;
}

void TMd5Hash::Update(const void *bytes, qsizetype length)
{
    if (m_finalized) {
        ShowPlainMessage(QStringLiteral("TMd5Hash::update:  Can't update a finalized digest!"));
        return;
    }
    if (length <= 0)
        return;

    const auto *input = static_cast<const quint8 *>(bytes);
    auto remaining = quint64(length);
    qsizetype used = qsizetype((m_bitCount >> 3) & 63); // bytes already waiting in the buffer
    m_bitCount += remaining << 3;

    // Complete a partly filled buffer first, then whole blocks straight from
    // the input; what is left waits in the buffer.
    if (used > 0) {
        const quint64 fill = qMin<quint64>(remaining, quint64(64 - used));
        std::memcpy(m_buffer + used, input, size_t(fill));
        input += fill;
        remaining -= fill;
        used += qsizetype(fill);
        if (used < 64)
            return;
        Transform(m_buffer);
    }
    for (; remaining >= 64; remaining -= 64, input += 64)
        Transform(input);
    std::memcpy(m_buffer, input, size_t(remaining));
}

void TMd5Hash::Finalize()
{
    if (m_finalized) {
        ShowPlainMessage(QStringLiteral("TMd5Hash::finalize:  Already finalized this digest!"));
        return;
    }
    // Fill with 0x80 and zeros up to 56 bytes modulo 64, then the bit count
    // before filling as 8 bytes, low byte first.
    quint8 length[8];
    qToLittleEndian<quint64>(m_bitCount, length);
    const qsizetype used = qsizetype((m_bitCount >> 3) & 63);
    const qsizetype fillLength = used < 56 ? 56 - used : 120 - used;
    quint8 fill[64] = {0x80};
    Update(fill, fillLength);
    Update(length, 8);

    for (int i = 0; i < 4; ++i)
        qToLittleEndian<quint32>(m_state[i], m_digest.data() + 4 * i);
    // Nothing of the message stays in the object.
    std::memset(m_buffer, 0, sizeof m_buffer);
    m_finalized = true;
}

QByteArray TMd5Hash::DigestHex() const
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    QByteArray hex(2 * DigestLength, Qt::Uninitialized);
    for (int i = 0; i < DigestLength; ++i) {
        hex[2 * i] = Digits[m_digest[i] >> 4];
        hex[2 * i + 1] = Digits[m_digest[i] & 0x0F];
    }
    return hex;
}

void TMd5Hash::Transform(const quint8 *block)
{
    if (m_finalized) {
        ShowPlainMessage(QStringLiteral("Fatal Error!\r\n In class TMd5Hash line 112"));
        return;
    }
    quint32 x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = qFromLittleEndian<quint32>(block + 4 * i);

    quint32 a = m_state[0];
    quint32 b = m_state[1];
    quint32 c = m_state[2];
    quint32 d = m_state[3];
    for (int i = 0; i < 64; ++i) {
        const int round = i / 16;
        quint32 f;
        int k;
        switch (round) {
        case 0:
            f = F(b, c, d);
            k = i;
            break;
        case 1:
            f = G(b, c, d);
            k = (5 * i + 1) % 16;
            break;
        case 2:
            f = H(b, c, d);
            k = (3 * i + 5) % 16;
            break;
        default:
            f = I(b, c, d);
            k = (7 * i) % 16;
            break;
        }
        const quint32 rotated = b + RotateLeft(a + f + x[k] + SineTable[i], Shifts[round][i % 4]);
        a = d;
        d = c;
        c = b;
        b = rotated;
    }
    m_state[0] += a;
    m_state[1] += b;
    m_state[2] += c;
    m_state[3] += d;
}
