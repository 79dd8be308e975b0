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
#include <type_traits>

namespace {

constexpr QByteArrayView Utf8Bom = "\xEF\xBB\xBF";

// Wipes a byte buffer that held a password, key or plain text.
void Wipe(QByteArray &bytes)
{
    if (!bytes.isEmpty())
        sodium_memzero(bytes.data(), size_t(bytes.size()));
}

void WipeKey(TKvFileKey &key)
{
    sodium_memzero(key.data(), key.size());
}

// Wipes a buffer when it goes out of scope, also when an exception passes.
class TWipeOnExit
{
public:
    explicit TWipeOnExit(QByteArray &bytes)
        : m_bytes(bytes)
    {}
    TWipeOnExit(const TWipeOnExit &) = delete;
    TWipeOnExit &operator=(const TWipeOnExit &) = delete;
    ~TWipeOnExit() { Wipe(m_bytes); }

private:
    QByteArray &m_bytes;
};

// The password's UTF-8 bytes, for the caller to wipe. A lone surrogate becomes
// U+FFFD, so the key's bytes do not depend on how a UTF-8 encoder treats
// broken UTF-16.
QByteArray PasswordBytes(const QString &password)
{
    const auto lone = [&](qsizetype i) {
        const QChar c = password.at(i);
        if (c.isHighSurrogate())
            return i + 1 >= password.size() || !password.at(i + 1).isLowSurrogate();
        return c.isLowSurrogate() && (i == 0 || !password.at(i - 1).isHighSurrogate());
    };
    bool anyLone = false;
    for (qsizetype i = 0; i < password.size() && !anyLone; ++i)
        anyLone = lone(i);
    if (!anyLone)
        return password.toUtf8();
    QString mended(password.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < password.size(); ++i)
        mended[i] = lone(i) ? QChar(QChar::ReplacementCharacter) : password.at(i);
    QByteArray bytes = mended.toUtf8();
    WipePassword(mended);
    return bytes;
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

void PutLe32(unsigned char *at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<unsigned char>(value >> (8 * i));
}

quint32 GetLe32(const unsigned char *at)
{
    return quint32(at[0]) | quint32(at[1]) << 8 | quint32(at[2]) << 16 | quint32(at[3]) << 24;
}

const unsigned char *Unsigned(const char *bytes)
{
    return reinterpret_cast<const unsigned char *>(bytes);
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

static_assert(TKvStrongKey::Length == crypto_aead_xchacha20poly1305_ietf_KEYBYTES);
static_assert(KvStrong::TagLength == crypto_aead_xchacha20poly1305_ietf_ABYTES);
static_assert(KvStrong::NonceLength == crypto_aead_xchacha20poly1305_ietf_NPUBBYTES);
static_assert(KvStrong::SaltLength == crypto_pwhash_SALTBYTES);

} // namespace

TKvStrongKey::~TKvStrongKey()
{
    sodium_memzero(m_bytes.data(), m_bytes.size());
}

void WipeSecret(QByteArray &bytes)
{
    Wipe(bytes);
}

void WipePassword(QString &password)
{
    if (!password.isEmpty() && password.isDetached())
        sodium_memzero(password.data(), size_t(password.size()) * sizeof(QChar));
    password.clear();
}

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

std::optional<TKvStrongParams> ReadStrongHeader(QByteArrayView bytes)
{
    using namespace KvStrong;
    if (bytes.size() < HeaderLength + TagLength || !bytes.startsWith(Magic))
        return std::nullopt;
    const unsigned char *head = Unsigned(bytes.data());
    TKvStrongParams params;
    params.OpsLimit = GetLe32(head + 10);
    params.MemLimitKiB = GetLe32(head + 14);
    if (head[8] != Version || head[9] != AlgorithmArgon2id || params.OpsLimit < MinOpsLimit
        || params.OpsLimit > MaxOpsLimit || params.MemLimitKiB < MinMemLimitKiB
        || params.MemLimitKiB > MaxMemLimitKiB)
        return std::nullopt;
    std::memcpy(params.Salt.data(), head + 18, params.Salt.size());
    std::memcpy(params.Nonce.data(), head + 34, params.Nonce.size());
    return params;
}

TKvStrongKey DeriveStrongKey(const QString &password, const TKvStrongParams &params)
{
    InitSodium();
    QByteArray secret = PasswordBytes(password);
    const TWipeOnExit wipeSecret(secret);
    TKvStrongKey key;
    if (crypto_pwhash(key.Data(), TKvStrongKey::Length, secret.constData(), size_t(secret.size()),
                      params.Salt.data(), params.OpsLimit, size_t(params.MemLimitKiB) * 1024,
                      crypto_pwhash_ALG_ARGON2ID13)
        != 0)
        throw TKvFileError(QString(), QStringLiteral("not enough memory to derive the file key"));
    return key;
}

QByteArray SealStrongContainer(QByteArrayView plain, const TKvStrongParams &params, const TKvStrongKey &key)
{
    using namespace KvStrong;
    InitSodium();
    QByteArray bytes(HeaderLength + plain.size() + TagLength, Qt::Uninitialized);
    auto *head = reinterpret_cast<unsigned char *>(bytes.data());
    std::memcpy(head, Magic.data(), size_t(Magic.size()));
    head[8] = Version;
    head[9] = AlgorithmArgon2id;
    PutLe32(head + 10, params.OpsLimit);
    PutLe32(head + 14, params.MemLimitKiB);
    std::memcpy(head + 18, params.Salt.data(), params.Salt.size());
    std::memcpy(head + 34, params.Nonce.data(), params.Nonce.size());
    unsigned long long sealedLength = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(head + HeaderLength, &sealedLength, Unsigned(plain.data()),
                                               static_cast<unsigned long long>(plain.size()), head,
                                               HeaderLength, nullptr, params.Nonce.data(), key.Data());
    return bytes;
}

int OpenStrongContainer(TKvMemIni &ini, QByteArrayView bytes, const TKvStrongKey &key)
{
    using namespace KvStrong;
    InitSodium();
    Q_ASSERT(bytes.size() >= HeaderLength + TagLength);
    const unsigned char *head = Unsigned(bytes.data());
    QByteArray plain(bytes.size() - HeaderLength - TagLength, Qt::Uninitialized);
    const TWipeOnExit wipePlain(plain);
    unsigned long long plainLength = 0;
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(
            reinterpret_cast<unsigned char *>(plain.data()), &plainLength, nullptr, head + HeaderLength,
            static_cast<unsigned long long>(bytes.size() - HeaderLength), head, HeaderLength, head + 34,
            key.Data())
        != 0)
        return lrWrongPassword;
    QBuffer stream(&plain);
    stream.open(QIODevice::ReadOnly);
    return ini.ReadUtf8(stream);
}

QByteArray StrongContainerBytes(const TKvMemIni &ini, const QString &password, const TKvStrongParams &params)
{
    QByteArray plain = ContainerBody(ini);
    const TWipeOnExit wipePlain(plain);
    return SealStrongContainer(plain, params, DeriveStrongKey(password, params));
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
    QByteArray secret = PasswordBytes(password);
    const TWipeOnExit wipeSecret(secret);
    TMd5Hash md5(secret);
    // The digest's hexadecimal text, upper case, every digit twice.
    constexpr char HexDigits[] = "0123456789ABCDEF";
    TKvFileKey key;
    for (size_t i = 0; i < md5.Digest().size(); ++i) {
        const quint8 byte = md5.Digest()[i];
        key[4 * i] = key[4 * i + 1] = HexDigits[byte >> 4];
        key[4 * i + 2] = key[4 * i + 3] = HexDigits[byte & 15];
    }
    // Its block buffer still holds the password's last bytes.
    static_assert(std::is_trivially_destructible_v<TMd5Hash>);
    sodium_memzero(&md5, sizeof md5);
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
    TKvFileKey key = MakeFileKey(password);
    XorWithKey(bytes.data(), bytes.size(), key);
    WipeKey(key);
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
    if (found == TKvContainerFormat::Strong) {
        const std::optional<TKvStrongParams> params = ReadStrongHeader(bytes);
        if (!params)
            return lrNotContainer;
        return OpenStrongContainer(ini, bytes, DeriveStrongKey(password, *params));
    }
    if (bytes.size() < KvContainer::HeaderLength)
        return lrNotContainer;

    // Decrypted in place: the file's bytes are held once, and wiped once read.
    const TWipeOnExit wipePlain(bytes);
    TKvFileKey key = MakeFileKey(password);
    XorWithKey(bytes.data(), bytes.size(), key);
    WipeKey(key);
    if (QByteArrayView(bytes).first(KvContainer::HeaderLength) != KvContainer::Header)
        return lrWrongPassword;

    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadOnly);
    stream.seek(KvContainer::HeaderLength);
    return ini.ReadUtf8(stream);
}
