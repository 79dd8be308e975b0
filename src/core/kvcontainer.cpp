// The password-protected file format: key derivation, the XOR cipher, writing
// and reading.
#include "kvcontainer.h"

#include "kvfileerror.h"
#include "kvmd5.h"
#include "kvmemini.h"
#include "kvsafesave.h"

#include <QBuffer>
#include <QFile>

#include <cctype>

#include <sodium.h>

#include <cstring>

namespace {

constexpr QByteArrayView Utf8Bom = "\xEF\xBB\xBF";

// A lone surrogate becomes U+FFFD, so the key's bytes do not depend on how a
// UTF-8 encoder treats broken UTF-16.
QByteArray PasswordBytes(const QString &password)
{
    QString text = password;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    return text.toUtf8();
}

void WriteAll(QIODevice &device, QByteArrayView bytes, const QString &fileName)
{
    if (device.write(bytes.data(), bytes.size()) != bytes.size())
        throw TKvFileError(fileName, device.errorString());
}

void InitSodium()
{
    // Idempotent and thread-safe; fails only when no random source exists.
    if (sodium_init() < 0)
        throw TKvFileError(QString(), QStringLiteral("the cryptography library cannot start"));
}

// Wipes a byte buffer that held a password, key or plain text.
void Wipe(QByteArray &bytes)
{
    if (!bytes.isEmpty())
        sodium_memzero(bytes.data(), size_t(bytes.size()));
}

void PutLe32(unsigned char *at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<unsigned char>(value >> (8 * i));
}

quint32 GetLe32(const unsigned char *at)
{
    return quint32(at[0]) | quint32(at[1]) << 8 | quint32(at[2]) << 16 | quint32(at[3]) << 24;
}

using TStrongKey = std::array<unsigned char, crypto_aead_xchacha20poly1305_ietf_KEYBYTES>;

// Argon2id of the password's UTF-8 bytes; false only when out of memory.
bool DeriveKey(TStrongKey &key, const QString &password, const unsigned char *salt, quint32 opsLimit,
               quint32 memLimitKiB)
{
    QByteArray secret = PasswordBytes(password);
    const int failed = crypto_pwhash(key.data(), key.size(), secret.constData(), size_t(secret.size()), salt,
                                     opsLimit, size_t(memLimitKiB) * 1024, crypto_pwhash_ALG_ARGON2ID13);
    Wipe(secret);
    return failed == 0;
}

// The legacy body: EF BB BF and the UTF-8 text as the writer lays it out.
QByteArray ContainerBody(const TKvMemIni &ini)
{
    QByteArray bytes;
    QBuffer stream(&bytes);
    stream.open(QIODevice::WriteOnly);
    if (!ini.WritesMark(65001))
        stream.write(Utf8Bom.data(), Utf8Bom.size());
    ini.SaveToStream(stream, 65001);
    return bytes;
}

int LoadStrong(TKvMemIni &ini, QByteArray &bytes, const QString &password)
{
    using namespace KvStrong;
    if (bytes.size() < HeaderLength + TagLength)
        return lrNotContainer;
    const auto *head = reinterpret_cast<const unsigned char *>(bytes.constData());
    const quint32 opsLimit = GetLe32(head + 10);
    const quint32 memLimitKiB = GetLe32(head + 14);
    if (head[8] != Version || head[9] != AlgorithmArgon2id || opsLimit < MinOpsLimit || opsLimit > MaxOpsLimit
        || memLimitKiB < MinMemLimitKiB || memLimitKiB > MaxMemLimitKiB)
        return lrNotContainer;

    InitSodium();
    TStrongKey key;
    if (!DeriveKey(key, password, head + 18, opsLimit, memLimitKiB))
        throw TKvFileError(QString(), QStringLiteral("not enough memory to derive the file key"));
    QByteArray plain(bytes.size() - HeaderLength - TagLength, Qt::Uninitialized);
    unsigned long long plainLength = 0;
    const int failed = crypto_aead_xchacha20poly1305_ietf_decrypt(
        reinterpret_cast<unsigned char *>(plain.data()), &plainLength, nullptr, head + HeaderLength,
        static_cast<unsigned long long>(bytes.size() - HeaderLength), head, HeaderLength, head + 34,
        key.data());
    sodium_memzero(key.data(), key.size());
    if (failed != 0)
        return lrWrongPassword;

    QBuffer stream(&plain);
    stream.open(QIODevice::ReadOnly);
    const int result = ini.ReadUtf8(stream);
    stream.close();
    Wipe(plain);
    return result;
}

} // namespace

TKvStrongParams FreshStrongParams(quint32 opsLimit, quint32 memLimitKiB)
{
    InitSodium();
    TKvStrongParams params;
    params.OpsLimit = opsLimit;
    params.MemLimitKiB = memLimitKiB;
    randombytes_buf(params.Salt.data(), params.Salt.size());
    randombytes_buf(params.Nonce.data(), params.Nonce.size());
    return params;
}

TKvContainerFormat ContainerFormatOf(QByteArrayView head)
{
    return head.startsWith(KvStrong::Magic) ? TKvContainerFormat::Strong : TKvContainerFormat::Legacy;
}

std::optional<TKvContainerFormat> RecognisedContainer(QByteArrayView head)
{
    if (head.startsWith(KvStrong::Magic))
        return TKvContainerFormat::Strong;
    if (head.size() < KvContainer::HeaderLength)
        return std::nullopt;
    const auto isKeyByte = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    for (qsizetype i = 0; i < KvContainer::HeaderLength; i += 2) {
        const char first = char(head[i] ^ KvContainer::Header[i]);
        const char second = char(head[i + 1] ^ KvContainer::Header[i + 1]);
        if (!isKeyByte(first) || first != second)
            return std::nullopt;
    }
    return TKvContainerFormat::Legacy;
}

QByteArray StrongContainerBytes(const TKvMemIni &ini, const QString &password, const TKvStrongParams &params)
{
    using namespace KvStrong;
    InitSodium();
    QByteArray plain = ContainerBody(ini);
    QByteArray bytes(HeaderLength + plain.size() + TagLength, Qt::Uninitialized);
    auto *head = reinterpret_cast<unsigned char *>(bytes.data());
    std::memcpy(head, Magic.data(), size_t(Magic.size()));
    head[8] = Version;
    head[9] = AlgorithmArgon2id;
    PutLe32(head + 10, params.OpsLimit);
    PutLe32(head + 14, params.MemLimitKiB);
    std::memcpy(head + 18, params.Salt.data(), params.Salt.size());
    std::memcpy(head + 34, params.Nonce.data(), params.Nonce.size());

    TStrongKey key;
    if (!DeriveKey(key, password, params.Salt.data(), params.OpsLimit, params.MemLimitKiB))
        throw TKvFileError(QString(), QStringLiteral("not enough memory to derive the file key"));
    unsigned long long sealedLength = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(head + HeaderLength, &sealedLength,
                                               reinterpret_cast<const unsigned char *>(plain.constData()),
                                               static_cast<unsigned long long>(plain.size()), head,
                                               HeaderLength, nullptr, params.Nonce.data(), key.data());
    sodium_memzero(key.data(), key.size());
    Wipe(plain);
    return bytes;
}

void SaveEncrypted(const TKvMemIni &ini, const QString &fileName, const QString &password,
                   const TKvStrongParams &params)
{
    const QByteArray bytes = StrongContainerBytes(ini, password, params);
    SafeSaveFile(fileName, [&](QIODevice &file) { WriteAll(file, bytes, fileName); });
}

void SaveEncrypted(const TKvMemIni &ini, const QString &fileName, const QString &password,
                   TKvContainerFormat format)
{
    if (format == TKvContainerFormat::Strong)
        SaveEncrypted(ini, fileName, password, FreshStrongParams());
    else
        SaveEncrypted(ini, fileName, password);
}

TKvFileKey MakeFileKey(const QString &password)
{
    const QByteArray hex = TMd5Hash(PasswordBytes(password)).DigestHex();
    TKvFileKey key;
    for (qsizetype i = 0; i < hex.size(); ++i) {
        key[size_t(2 * i)] = hex[i];
        key[size_t(2 * i + 1)] = hex[i];
    }
    return key;
}

void XorWithKey(char *bytes, qsizetype length, const TKvFileKey &key)
{
    // Whole key lengths first (a loop the compiler vectorises), then the tail.
    qsizetype j = 0;
    for (; j + KvContainer::KeyLength <= length; j += KvContainer::KeyLength) {
        for (qsizetype k = 0; k < KvContainer::KeyLength; ++k)
            bytes[j + k] = char(bytes[j + k] ^ key[size_t(k)]);
    }
    for (qsizetype k = 0; j < length; ++j, ++k)
        bytes[j] = char(bytes[j] ^ key[size_t(k)]);
}

void SaveEncrypted(const TKvMemIni &ini, const QString &fileName, const QString &password)
{
    QByteArray bytes;
    {
        QBuffer stream(&bytes);
        stream.open(QIODevice::WriteOnly);
        stream.write(KvContainer::Header.data(), KvContainer::HeaderLength);
        // The layout has the byte-order mark whatever the document's setting.
        if (!ini.WritesMark(65001))
            stream.write(Utf8Bom.data(), Utf8Bom.size());
        ini.SaveToStream(stream, 65001);
    }
    XorWithKey(bytes.data(), bytes.size(), MakeFileKey(password));
    SafeSaveFile(fileName, [&](QIODevice &file) { WriteAll(file, bytes, fileName); });
}

int LoadEncrypted(TKvMemIni &ini, const QString &fileName, const QString &password,
                  TKvContainerFormat *format)
{
    QByteArray bytes;
    {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly))
            throw TKvFileError(fileName, file.errorString());
        bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw TKvFileError(fileName, file.errorString());
    }
    const TKvContainerFormat found = ContainerFormatOf(bytes);
    if (format)
        *format = found;
    if (found == TKvContainerFormat::Strong)
        return LoadStrong(ini, bytes, password);
    if (bytes.size() < KvContainer::HeaderLength)
        return lrNotContainer;

    // Decrypted in place: the file's bytes are held once.
    XorWithKey(bytes.data(), bytes.size(), MakeFileKey(password));
    if (QByteArrayView(bytes).first(KvContainer::HeaderLength) != KvContainer::Header)
        return lrWrongPassword;

    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadOnly);
    stream.seek(KvContainer::HeaderLength);
    return ini.ReadUtf8(stream);
}
