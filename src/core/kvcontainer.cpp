// The password-protected file format: key derivation, the XOR cipher, writing
// and reading.
#include "kvcontainer.h"

#include "kvfileerror.h"
#include "kvmd5.h"
#include "kvmemini.h"
#include "kvsafesave.h"

#include <QBuffer>
#include <QFile>

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

} // namespace

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

int LoadEncrypted(TKvMemIni &ini, const QString &fileName, const QString &password)
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
