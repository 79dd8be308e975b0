#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <array>

// The MD5 message digest of RFC 1321.
//
// Built from bytes it computes their digest at once. Built empty it is ready
// for Update calls and one Finalize. Updating or finalizing a finished digest
// is a programming error: the object shows a plain message and stays unchanged.
class TMd5Hash
{
public:
    static constexpr int DigestLength = 16;
    using TDigest = std::array<quint8, DigestLength>;

    // Init only.
    TMd5Hash();
    // Init, Update with the bytes, Finalize.
    TMd5Hash(const void *bytes, qsizetype length);
    explicit TMd5Hash(QByteArrayView bytes)
        : TMd5Hash(bytes.data(), bytes.size())
    {}

    // The starting state: nothing fed, not finalized, the digest all zero.
    void Init();
    void Update(const void *bytes, qsizetype length);
    void Update(QByteArrayView bytes) { Update(bytes.data(), bytes.size()); }
    void Finalize();

    bool Finalized() const { return m_finalized; }
    // The 16 digest bytes in the order of RFC 1321 (all zero before Finalize).
    const TDigest &Digest() const { return m_digest; }
    // The digest bytes in order, each as two upper-case hexadecimal digits.
    QByteArray DigestHex() const;

protected:
    // Processes one 64-byte block into the state.
    void Transform(const quint8 *block);

private:
    quint32 m_state[4];
    quint64 m_bitCount = 0;
    quint8 m_buffer[64];
    TDigest m_digest;
    bool m_finalized = false;
};
