#pragma once

// The password-protected file format (".IniCry").
//
// Layout before encryption: the 22 ASCII bytes "Encrypted Quillon File", the
// UTF-8 byte-order mark EF BB BF, then the document text in UTF-8 as the
// writer lays it out. The whole file, from its first byte, is XORed with a
// 64-byte key repeated: file byte i with key byte i mod 64. The key is the
// upper-case hexadecimal MD5 digest of the password's UTF-8 bytes with every
// digit written twice. The format has no salt and a known header: it is kept
// for compatibility only. Everything about it lives behind this header, so a
// stronger format can sit beside it.

#include "kvreadresult.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>

#include <array>
#include <cstdint>

class TKvMemIni;

namespace KvContainer {
constexpr QByteArrayView Header = "Encrypted Quillon File";
constexpr qsizetype HeaderLength = 22;
constexpr qsizetype KeyLength = 64;
static_assert(Header.size() == HeaderLength);
} // namespace KvContainer

using TKvFileKey = std::array<char, KvContainer::KeyLength>;

// The file key of a password: 64 ASCII bytes 0-9 and A-F, each digit of the
// digest twice in succession. A lone UTF-16 surrogate in the password counts
// as U+FFFD, the way the platform's UTF-8 conversion treats it elsewhere.
TKvFileKey MakeFileKey(const QString &password);

// XORs byte j with key byte j mod 64 for j from 0 to length - 1, in place.
void XorWithKey(char *bytes, qsizetype length, const TKvFileKey &key);

// The two container formats. Strong: the 8-byte magic 89 4B 56 43 52 59 0D 0A,
// version 2, algorithm 1 (Argon2id), opslimit and memlimit in KiB (unsigned
// 32-bit little-endian), a 16-byte salt and a 24-byte nonce (58 header bytes),
// then XChaCha20-Poly1305 of the legacy body (EF BB BF and the UTF-8 text) with
// the 58 header bytes as associated data, the 16-byte tag last.
enum class TKvContainerFormat { Legacy, Strong };

namespace KvStrong {
constexpr QByteArrayView Magic = "\x89KVCRY\r\n";
constexpr uint8_t Version = 2;
constexpr uint8_t AlgorithmArgon2id = 1;
constexpr qsizetype SaltLength = 16;
constexpr qsizetype NonceLength = 24;
constexpr qsizetype HeaderLength = 58;
constexpr qsizetype TagLength = 16;
constexpr quint32 DefaultOpsLimit = 3;
constexpr quint32 DefaultMemLimitKiB = 65536;
// A header outside these is refused before anything is derived, so a crafted
// file cannot make the reader allocate gigabytes or spin for minutes.
constexpr quint32 MinOpsLimit = 1, MaxOpsLimit = 16;
constexpr quint32 MinMemLimitKiB = 8192, MaxMemLimitKiB = 1048576;
static_assert(Magic.size() == 8);
} // namespace KvStrong

// What the strong header carries. Salt and nonce are random per save; tests
// fix them to compare a container byte for byte.
struct TKvStrongParams
{
    quint32 OpsLimit = KvStrong::DefaultOpsLimit;
    quint32 MemLimitKiB = KvStrong::DefaultMemLimitKiB;
    std::array<unsigned char, KvStrong::SaltLength> Salt{};
    std::array<unsigned char, KvStrong::NonceLength> Nonce{};
};

// A key derived from a password for the strong container. Every copy wipes its
// bytes when it goes away.
class TKvStrongKey
{
public:
    static constexpr qsizetype Length = 32;
    TKvStrongKey() = default;
    TKvStrongKey(const TKvStrongKey &) = default;
    TKvStrongKey &operator=(const TKvStrongKey &) = default;
    ~TKvStrongKey();

    unsigned char *Data() { return m_bytes.data(); }
    const unsigned char *Data() const { return m_bytes.data(); }

private:
    std::array<unsigned char, Length> m_bytes{};
};

// Fresh random salt and nonce with the given limits.
TKvStrongParams FreshStrongParams(quint32 opsLimit = KvStrong::DefaultOpsLimit,
                                  quint32 memLimitKiB = KvStrong::DefaultMemLimitKiB);

// The format of a container by its first bytes: strong exactly when they are
// the strong magic (no legacy container starts with byte 89).
TKvContainerFormat ContainerFormatOf(QByteArrayView head);
// What a file's first bytes show without the password: the strong magic, or a
// legacy header (its known text XORed with a key of doubled hex digits), or
// neither (nullopt).
std::optional<TKvContainerFormat> RecognisedContainer(QByteArrayView head);

// The strong container of a document, with the given header fields.
QByteArray StrongContainerBytes(const TKvMemIni &ini, const QString &password, const TKvStrongParams &params);

// The steps of the strong container one by one, for callers that keep or
// derive the key elsewhere (and for the fuzzer, which cannot afford a
// derivation per input).
//
// The header fields of a strong container, or nothing when the reader refuses
// it before deriving anything: not the magic, a version or algorithm it does
// not know, limits outside their ranges, or fewer bytes than header and tag.
std::optional<TKvStrongParams> ReadStrongHeader(QByteArrayView bytes);
// Argon2id of the password's UTF-8 bytes with the salt and limits. Throws
// TKvFileError when there is not enough memory for it.
TKvStrongKey DeriveStrongKey(const QString &password, const TKvStrongParams &params);
// The container of a plain body (EF BB BF and the UTF-8 text) sealed with the key.
QByteArray SealStrongContainer(QByteArrayView plain, const TKvStrongParams &params, const TKvStrongKey &key);
// Authenticates a container whose header ReadStrongHeader accepted and reads
// it into the document: the UTF-8 reader's result, or lrWrongPassword (a
// wrong key or any changed byte), and then nothing reaches the document.
int OpenStrongContainer(TKvMemIni &ini, QByteArrayView bytes, const TKvStrongKey &key);

// Overwrites a password's characters in place when this string holds the only
// copy of them (a shared copy is left to its other holder), then empties it.
void WipePassword(QString &password);
// Overwrites bytes that held a password or a plain text (this copy only).
void WipeSecret(QByteArray &bytes);

// A password held for as long as it is needed and wiped when it goes away.
class TKvSecretText
{
public:
    TKvSecretText() = default;
    explicit TKvSecretText(QString text)
        : m_text(std::move(text))
    {}
    TKvSecretText(const TKvSecretText &) = delete;
    TKvSecretText &operator=(const TKvSecretText &) = delete;
    ~TKvSecretText() { WipePassword(m_text); }

    const QString &Text() const { return m_text; }
    // Wipes the old text and keeps the new one.
    void Set(QString text)
    {
        WipePassword(m_text);
        m_text = std::move(text);
    }
    void Clear() { WipePassword(m_text); }

private:
    QString m_text;
};

// Writes the document in the given format (strong with fresh salt and nonce and
// the default limits). Throws TKvFileError when the file cannot be written.
void SaveEncrypted(const TKvMemIni &ini, const QString &fileName, const QString &password,
                   TKvContainerFormat format);
// Writes a strong container with these header fields.
void SaveEncrypted(const TKvMemIni &ini, const QString &fileName, const QString &password,
                   const TKvStrongParams &params);

// Writes the document as a legacy container file through the safe save (the old file
// stays intact until the new one is complete). Throws TKvFileError when the
// file cannot be written. The document's FileName is not changed.
void SaveEncrypted(const TKvMemIni &ini, const QString &fileName, const QString &password);

// Reads a container file of either format, told apart by the magic, into the
// document (appending, as the readers do): the UTF-8 reader's result,
// lrNotContainer or lrWrongPassword (kvreadresult.h). A legacy file shorter
// than its 22-byte header is lrNotContainer, one whose decrypted header is
// not the expected text lrWrongPassword. A strong file with a header the
// reader does not know or refuses, or shorter than header and tag, is
// lrNotContainer; a wrong password and any changed byte that passes those
// checks give lrWrongPassword, and then nothing reaches the document. A file that is
// missing or cannot be read throws TKvFileError. The document's FileName is
// not changed. `format`, when given, receives the format of the file read.
int LoadEncrypted(TKvMemIni &ini, const QString &fileName, const QString &password,
                  TKvContainerFormat *format = nullptr);
