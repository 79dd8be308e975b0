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

#include <QByteArray>
#include <QString>

#include <array>

class TKvMemIni;

// Results of LoadEncrypted besides those of the UTF-8 reader (65001 on
// success, -2 for text that cannot be parsed completely).
constexpr int lrNotContainer = -3;  // shorter than the 22-byte header
constexpr int lrWrongPassword = -4; // the decrypted header is not the expected text

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

// Writes the document as a container file through the safe save (the old file
// stays intact until the new one is complete). Throws TKvFileError when the
// file cannot be written. The document's FileName is not changed.
void SaveEncrypted(const TKvMemIni &ini, const QString &fileName, const QString &password);

// Reads a container file into the document (appending, as the readers do):
// the UTF-8 reader's result, lrNotContainer or lrWrongPassword. A file that is
// missing or cannot be read throws TKvFileError. The document's FileName is
// not changed.
int LoadEncrypted(TKvMemIni &ini, const QString &fileName, const QString &password);
