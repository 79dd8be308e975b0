// Byte <-> UTF-16 conversions for the file encodings.
//
// Single-byte code pages go through the generated 256-entry tables; the
// double-byte ones (932, 936, 949, 950) through glibc's iconv. Bytes that cannot
// be decoded become lone surrogates U+DC00 + byte, and encoding turns a lone
// surrogate U+DC80..U+DCFF back into its byte, so every file survives a read and
// an unchanged write byte for byte.
#include "kvtextcodec.h"

#include "kvcodepages.h"
#include "kvhugepages.h"

#include <QStringList>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <memory>
#include <mutex>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace KvTextCodec {

namespace {

constexpr char QuestionMark = '?';
constexpr quint32 DefaultCodePage = 1252;

bool IsHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}
// A byte that could not be decoded is carried as the lone surrogate U+DC00 + byte.
char16_t ByteAsSurrogate(uchar byte)
{
    return char16_t(0xDC00 + byte);
}
bool IsByteSurrogate(char16_t c)
{
    return c >= 0xDC80 && c <= 0xDCFF;
}

// Notes one character an encoding turns into "?".
void NoteLoss(TKvEncodingLoss *loss, qsizetype maxExamples, QStringView character)
{
    if (!loss)
        return;
    ++loss->Count;
    if (loss->Examples.size() < maxExamples) {
        const QString example = character.toString();
        if (!loss->Examples.contains(example))
            loss->Examples << example;
    }
}

char16_t *Units(QString &text)
{
    return reinterpret_cast<char16_t *>(text.data());
}
const uchar *Bytes(QByteArrayView bytes)
{
    return reinterpret_cast<const uchar *>(bytes.data());
}

// --- System code page -------------------------------------------------------------

struct LanguagePage
{
    const char *language;
    quint32 codePage;
};

// The languages whose Windows ANSI code page is not 1252 (Chinese is decided by region).
constexpr LanguagePage LanguagePages[] = {
    {"cs", 1250}, {"pl", 1250}, {"hu", 1250}, {"sk", 1250}, {"sl", 1250}, {"hr", 1250}, {"ro", 1250},
    {"sq", 1250}, {"bs", 1250}, {"ru", 1251}, {"uk", 1251}, {"bg", 1251}, {"be", 1251}, {"mk", 1251},
    {"sr", 1251}, {"kk", 1251}, {"el", 1253}, {"tr", 1254}, {"az", 1254}, {"uz", 1254}, {"he", 1255},
    {"ar", 1256}, {"fa", 1256}, {"ur", 1256}, {"et", 1257}, {"lv", 1257}, {"lt", 1257}, {"vi", 1258},
    {"th", 874},  {"ja", 932},  {"ko", 949},
};

std::atomic<quint32> OverrideCodePage{0};

// The locale the environment names for character classification, as
// setlocale(LC_ALL, "") would take it.
QString EnvironmentLocaleName()
{
    for (const char *variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const QByteArray value = qgetenv(variable);
        if (!value.isEmpty())
            return QString::fromLocal8Bit(value);
    }
    return QStringLiteral("C");
}

// The character set the environment's locale uses. Asked of a locale object of
// its own so the process locale is neither needed nor changed.
QString EnvironmentCharset(const QString &localeName)
{
    if (locale_t locale = newlocale(LC_CTYPE_MASK, "", locale_t(nullptr))) {
        const QString charset = QString::fromLatin1(nl_langinfo_l(CODESET, locale));
        freelocale(locale);
        return charset;
    }
    // Not installed: the process stays in the C locale, unless the name says
    // which character set is meant ("de_DE.ISO-8859-1@euro").
    const qsizetype dot = localeName.indexOf(u'.');
    if (dot < 0)
        return QString();
    QString charset = localeName.mid(dot + 1);
    const qsizetype at = charset.indexOf(u'@');
    if (at >= 0)
        charset.truncate(at);
    return charset;
}

// --- Single-byte code pages ------------------------------------------------------------

constexpr quint32 SingleBytePages[] = {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258};
constexpr int SingleBytePageCount = int(std::size(SingleBytePages));

// Byte for every UTF-16 code unit of one single-byte code page; 0 where the code
// page has no byte (units below 0x80 never look here).
struct EncodeTable
{
    std::once_flag built;
    std::unique_ptr<uchar[]> bytes;
};

const uchar *EncodeTableFor(int pageIndex)
{
    static std::array<EncodeTable, SingleBytePageCount> tables;
    EncodeTable &table = tables[pageIndex];
    std::call_once(table.built, [&] {
        const char16_t *decode = KvCodePages::SingleByteTable(SingleBytePages[pageIndex]);
        table.bytes = std::make_unique<uchar[]>(0x10000); // zero-filled
        for (int byte = 0x80; byte < 0x100; ++byte) {
            table.bytes[decode[byte]] = uchar(byte);
            table.bytes[ByteAsSurrogate(uchar(byte))] = uchar(byte);
        }
    });
    return table.bytes.get();
}

int SingleBytePageIndex(quint32 codePage)
{
    for (int i = 0; i < SingleBytePageCount; ++i)
        if (SingleBytePages[i] == codePage)
            return i;
    return -1;
}

// Decodes bytes into out (room for one unit per byte), one unit per byte.
void DecodeSingleByteInto(QByteArrayView bytes, const char16_t *table, char16_t *out)
{
    const uchar *in = Bytes(bytes);
    const uchar *end = in + bytes.size();
#ifdef __SSE2__
    // Sixteen bytes at a time; ASCII, the usual case, widens without the table.
    const __m128i zero = _mm_setzero_si128();
    for (; end - in >= 16; in += 16, out += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in));
        if (_mm_movemask_epi8(block) == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_unpacklo_epi8(block, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 8), _mm_unpackhi_epi8(block, zero));
        } else {
            for (int i = 0; i < 16; ++i)
                out[i] = table[in[i]];
        }
    }
#endif
    for (; in < end; ++in, ++out)
        *out = table[*in];
}

const char16_t *SingleByteTableOrDefault(quint32 codePage)
{
    const char16_t *table = KvCodePages::SingleByteTable(codePage);
    return table ? table : KvCodePages::SingleByteTable(DefaultCodePage);
}

QByteArray EncodeSingleByte(QStringView text, const uchar *table, TKvEncodingLoss *loss,
                            qsizetype maxExamples)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char *out = bytes.data();
    const char16_t *in = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = in[i];
        if (c < 0x80) {
            *out++ = char(c);
        } else if (IsHighSurrogate(c) && i + 1 < n && IsLowSurrogate(in[i + 1])) {
            *out++ = QuestionMark; // no single-byte code page holds a character beyond U+FFFF
            NoteLoss(loss, maxExamples, text.sliced(i, 2));
            ++i;
        } else {
            const uchar byte = table[c];
            *out++ = byte != 0 ? char(byte) : QuestionMark;
            if (byte == 0)
                NoteLoss(loss, maxExamples, text.sliced(i, 1));
        }
    }
    bytes.truncate(out - bytes.data());
    return bytes;
}

// --- Double-byte code pages through iconv ----------------------------------------------

#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr const char *Utf16Host = "UTF-16LE";
#else
constexpr const char *Utf16Host = "UTF-16BE";
#endif

const char *IconvCharset(quint32 codePage)
{
    switch (codePage) {
    case 932:
        return "CP932";
    case 936:
        return "CP936";
    case 949:
        return "CP949";
    case 950:
        return "CP950";
    default:
        return nullptr;
    }
}

// An open iconv conversion, closed when it goes out of scope.
class IconvHandle
{
public:
    IconvHandle(const char *to, const char *from)
        : m_cd(iconv_open(to, from))
    {}
    ~IconvHandle()
    {
        if (IsOpen())
            iconv_close(m_cd);
    }
    IconvHandle(const IconvHandle &) = delete;
    IconvHandle &operator=(const IconvHandle &) = delete;

    bool IsOpen() const { return m_cd != iconv_t(-1); }
    iconv_t Get() const { return m_cd; }

private:
    iconv_t m_cd;
};

QString DecodeIconv(QByteArrayView bytes, const char *charset)
{
    const IconvHandle cd(Utf16Host, charset);
    QString text(bytes.size() + 8, Qt::Uninitialized); // a byte never gives more than one unit
    qsizetype written = 0;
    // Room for one unit per remaining byte plus a few, for the bytes kept as they are.
    auto reserve = [&](qsizetype units) {
        if (text.size() - written < units + 8)
            text.resize(written + units + 8);
    };
    if (!cd.IsOpen()) {
        // Without the converter keep ASCII and carry every other byte unchanged.
        for (uchar byte : bytes)
            Units(text)[written++] = byte < 0x80 ? char16_t(byte) : ByteAsSurrogate(byte);
        text.truncate(written);
        return text;
    }

    char *in = const_cast<char *>(bytes.data());
    size_t inLeft = size_t(bytes.size());
    auto convert = [&](char **input, size_t *inputLeft) {
        char *out = reinterpret_cast<char *>(Units(text) + written);
        size_t outLeft = size_t(text.size() - written) * sizeof(char16_t);
        const size_t result = iconv(cd.Get(), input, inputLeft, &out, &outLeft);
        written = reinterpret_cast<char16_t *>(out) - Units(text);
        return result != size_t(-1);
    };
    while (inLeft > 0) {
        if (convert(&in, &inLeft))
            break;
        const int error = errno;
        if (error == E2BIG) {
            reserve(text.size());
            continue;
        }
        reserve(qsizetype(inLeft));
        if (error == EILSEQ) {
            // A byte that starts no character of the code page: keep it, go on after it.
            Units(text)[written++] = ByteAsSurrogate(uchar(*in));
            ++in;
            --inLeft;
            continue;
        }
        // EINVAL: the input ends inside a character; keep its bytes.
        while (inLeft > 0) {
            Units(text)[written++] = ByteAsSurrogate(uchar(*in));
            ++in;
            --inLeft;
        }
    }
    reserve(8);
    convert(nullptr, nullptr); // writes out any state the converter still holds
    text.truncate(written);
    return text;
}

QByteArray EncodeIconv(QStringView text, const char *charset, TKvEncodingLoss *loss, qsizetype maxExamples)
{
    const IconvHandle cd(charset, Utf16Host);
    QByteArray bytes(text.size() * 2 + 8, Qt::Uninitialized); // at most two bytes per unit
    qsizetype written = 0;
    auto reserve = [&](qsizetype count) {
        if (bytes.size() - written < count + 8)
            bytes.resize(written + count + 8);
    };
    const char16_t *begin = text.utf16();
    const qsizetype n = text.size();
    if (!cd.IsOpen()) {
        for (qsizetype i = 0; i < n; ++i) {
            const char16_t c = begin[i];
            bytes[written++] = c < 0x80 ? char(c) : IsByteSurrogate(c) ? char(c - 0xDC00) : QuestionMark;
            if (c >= 0x80 && !IsByteSurrogate(c))
                NoteLoss(loss, maxExamples, text.sliced(i, 1));
        }
        bytes.truncate(written);
        return bytes;
    }

    char *in = reinterpret_cast<char *>(const_cast<char16_t *>(begin));
    size_t inLeft = size_t(n) * sizeof(char16_t);
    auto convert = [&](char **input, size_t *inputLeft) {
        char *out = bytes.data() + written;
        size_t outLeft = size_t(bytes.size() - written);
        const size_t result = iconv(cd.Get(), input, inputLeft, &out, &outLeft);
        written = out - bytes.data();
        return result != size_t(-1);
    };
    while (inLeft > 0) {
        if (convert(&in, &inLeft))
            break;
        if (errno == E2BIG) {
            reserve(bytes.size());
            continue;
        }
        // EILSEQ (a character the code page cannot hold, or a lone surrogate) or
        // EINVAL (a high surrogate at the very end).
        reserve(1);
        const qsizetype i = reinterpret_cast<const char16_t *>(in) - begin;
        const char16_t c = begin[i];
        qsizetype units = 1;
        if (IsByteSurrogate(c)) {
            bytes[written++] = char(c - 0xDC00); // a byte that could not be decoded when read
        } else {
            if (IsHighSurrogate(c) && i + 1 < n && IsLowSurrogate(begin[i + 1]))
                units = 2;
            bytes[written++] = QuestionMark;
            NoteLoss(loss, maxExamples, text.sliced(i, units));
        }
        in += units * qsizetype(sizeof(char16_t));
        inLeft -= size_t(units) * sizeof(char16_t);
    }
    reserve(8);
    convert(nullptr, nullptr);
    bytes.truncate(written);
    return bytes;
}

// --- UTF-8 -----------------------------------------------------------------------------

// Length of the well-formed UTF-8 sequence that starts at p with a non-ASCII lead
// byte, or 0 when it is not one; cp receives its code point.
int Utf8Sequence(const uchar *p, const uchar *end, char32_t &cp)
{
    const uchar lead = p[0];
    const qsizetype left = end - p;
    auto cont = [&](qsizetype i, uchar low = 0x80, uchar high = 0xBF) {
        return i < left && p[i] >= low && p[i] <= high;
    };
    if (lead >= 0xC2 && lead <= 0xDF) {
        if (!cont(1))
            return 0;
        cp = (char32_t(lead & 0x1F) << 6) | (p[1] & 0x3F);
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        // E0 needs A0.. (no overlongs); ED needs ..9F (no surrogates).
        const uchar low = lead == 0xE0 ? 0xA0 : 0x80;
        const uchar high = lead == 0xED ? 0x9F : 0xBF;
        if (!cont(1, low, high) || !cont(2))
            return 0;
        cp = (char32_t(lead & 0x0F) << 12) | (char32_t(p[1] & 0x3F) << 6) | (p[2] & 0x3F);
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        // F0 needs 90.. (no overlongs); F4 needs ..8F (nothing above U+10FFFF).
        const uchar low = lead == 0xF0 ? 0x90 : 0x80;
        const uchar high = lead == 0xF4 ? 0x8F : 0xBF;
        if (!cont(1, low, high) || !cont(2) || !cont(3))
            return 0;
        cp = (char32_t(lead & 0x07) << 18) | (char32_t(p[1] & 0x3F) << 12) | (char32_t(p[2] & 0x3F) << 6)
             | (p[3] & 0x3F);
        return 4;
    }
    return 0; // a continuation byte, C0, C1 or F5..FF
}

// Widens the run of ASCII bytes at p into out; returns its length. Checking and
// widening in one pass reads the bytes once (a big file's bytes are long out of
// the cache by the time they are decoded).
inline qsizetype WidenAscii(const uchar *p, const uchar *end, char16_t *out)
{
    const uchar *start = p;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    for (; end - p >= 16; p += 16, out += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        if (_mm_movemask_epi8(bytes) != 0)
            break;
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_unpacklo_epi8(bytes, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 8), _mm_unpackhi_epi8(bytes, zero));
    }
#endif
    for (; p < end && *p < 0x80; ++p)
        *out++ = *p;
    return p - start;
}

// Decodes bytes into out (room for one unit per byte): every valid sequence to its
// character, every other byte to U+DC00 + byte. Returns the end of the units written.
char16_t *DecodeUtf8Lossless(const uchar *p, const uchar *end, char16_t *out)
{
    while (p < end) {
        const qsizetype ascii = WidenAscii(p, end, out);
        p += ascii;
        out += ascii;
        if (p == end)
            break;
        char32_t cp = 0;
        const int length = Utf8Sequence(p, end, cp);
        if (length == 0) {
            *out++ = ByteAsSurrogate(*p++);
            continue;
        }
        if (cp > 0xFFFF) {
            *out++ = char16_t(0xD800 + ((cp - 0x10000) >> 10));
            *out++ = char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            *out++ = char16_t(cp);
        }
        p += length;
    }
    return out;
}

// True when the text holds any surrogate code unit, paired or not.
bool HasSurrogates(QStringView text)
{
    const char16_t *p = text.utf16();
    const char16_t *end = p + text.size();
#ifdef __SSE2__
    // Eight units at a time: a unit is a surrogate when its top five bits are 11011.
    const __m128i mask = _mm_set1_epi16(short(0xF800));
    const __m128i surrogate = _mm_set1_epi16(short(0xD800));
    for (; end - p >= 8; p += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(units, mask), surrogate)) != 0)
            return true;
    }
#endif
    for (; p < end; ++p)
        if ((*p & 0xF800) == 0xD800)
            return true;
    return false;
}

QByteArray EncodeUtf8Lossless(QStringView text, TKvEncodingLoss *loss = nullptr, qsizetype maxExamples = 0)
{
    QByteArray bytes(text.size() * 3, Qt::Uninitialized); // a unit gives at most three bytes
    uchar *out = reinterpret_cast<uchar *>(bytes.data());
    const char16_t *in = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = in[i];
        if (c < 0x80) {
            *out++ = uchar(c);
        } else if (c < 0x800) {
            *out++ = uchar(0xC0 | (c >> 6));
            *out++ = uchar(0x80 | (c & 0x3F));
        } else if (IsHighSurrogate(c) && i + 1 < n && IsLowSurrogate(in[i + 1])) {
            const char32_t cp = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(in[i + 1]) - 0xDC00);
            *out++ = uchar(0xF0 | (cp >> 18));
            *out++ = uchar(0x80 | ((cp >> 12) & 0x3F));
            *out++ = uchar(0x80 | ((cp >> 6) & 0x3F));
            *out++ = uchar(0x80 | (cp & 0x3F));
            ++i;
        } else if (IsByteSurrogate(c)) {
            *out++ = uchar(c - 0xDC00); // a byte that was not valid UTF-8 when read
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            *out++ = QuestionMark;
            NoteLoss(loss, maxExamples, text.sliced(i, 1));
        } else {
            *out++ = uchar(0xE0 | (c >> 12));
            *out++ = uchar(0x80 | ((c >> 6) & 0x3F));
            *out++ = uchar(0x80 | (c & 0x3F));
        }
    }
    bytes.truncate(reinterpret_cast<char *>(out) - bytes.data());
    return bytes;
}

} // namespace

quint32 SystemAnsiCodePage()
{
    const quint32 codePage = OverrideCodePage.load(std::memory_order_relaxed);
    return codePage != 0 ? codePage : LocaleCodePage();
}

quint32 LocaleCodePage()
{
    // The environment does not change while the process runs.
    static const quint32 codePage = [] {
        const QString name = EnvironmentLocaleName();
        return CodePageForCharset(EnvironmentCharset(name), name);
    }();
    return codePage;
}

quint32 CodePageForCharset(const QString &charset, const QString &localeName)
{
    QString key = charset.toUpper();
    key.remove(u'-');
    key.remove(u'_');
    // glibc names the C locale's character set ANSI_X3.4-1968; Qt 6 reads the
    // C and POSIX locales as UTF-8.
    if (key.isEmpty() || key == u"UTF8" || key == u"ANSIX3.41968" || key == u"ASCII" || key == u"USASCII")
        return Utf8CodePage;
    return AnsiCodePageForLocale(localeName);
}

const QList<quint32> &SelectableCodePages()
{
    static const QList<quint32> pages = {874,  932,  936,  949,  950,  1250, 1251,        1252,
                                         1253, 1254, 1255, 1256, 1257, 1258, Utf8CodePage};
    return pages;
}

QString CodePageName(quint32 codePage)
{
    if (codePage == Utf8CodePage)
        return QStringLiteral("UTF-8");
    return QStringLiteral("Windows-%1").arg(codePage);
}

namespace {

QByteArray Encode(QStringView text, quint32 codePage, TKvEncodingLoss *loss, qsizetype maxExamples)
{
    if (codePage == Utf8CodePage) {
        if (!HasSurrogates(text))
            return text.toUtf8();
        return EncodeUtf8Lossless(text, loss, maxExamples);
    }
    if (const char *charset = IconvCharset(codePage))
        return EncodeIconv(text, charset, loss, maxExamples);
    int pageIndex = SingleBytePageIndex(codePage);
    if (pageIndex < 0)
        pageIndex = SingleBytePageIndex(DefaultCodePage);
    return EncodeSingleByte(text, EncodeTableFor(pageIndex), loss, maxExamples);
}

} // namespace

TKvEncodingLoss FindEncodingLoss(QStringView text, quint32 codePage, qsizetype maxExamples)
{
    TKvEncodingLoss loss;
    AddEncodingLoss(loss, text, codePage, maxExamples);
    return loss;
}

void AddEncodingLoss(TKvEncodingLoss &loss, QStringView text, quint32 codePage, qsizetype maxExamples)
{
    Encode(text, codePage, &loss, maxExamples);
}

quint32 AnsiCodePageForLocale(const QString &localeName)
{
    // "sr_RS.UTF-8@latin" -> language "sr", region "RS"; "zh-Hant-TW" -> "zh", "TW".
    QString name = localeName;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] == u'.' || name[i] == u'@') {
            name.truncate(i);
            break;
        }
    }
    name.replace(u'-', u'_');
    const QStringList parts = name.split(u'_', Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return DefaultCodePage; // empty, "C" and "POSIX" fall through to 1252 as well
    const QString language = parts.first().toLower();
    const QString region = parts.size() > 1 ? parts.last().toUpper() : QString();
    if (language == u"zh") {
        // Traditional Chinese regions use Big5; the others (and Chinese without a
        // region) use GBK, as Windows chooses them.
        if (region == u"TW" || region == u"HK" || region == u"MO")
            return 950;
        return 936;
    }
    for (const LanguagePage &entry : LanguagePages)
        if (language == QLatin1String(entry.language))
            return entry.codePage;
    return DefaultCodePage;
}

void SetSystemAnsiCodePage(quint32 codePage)
{
    OverrideCodePage.store(codePage, std::memory_order_relaxed);
}

QString DecodeAnsi(QByteArrayView bytes, quint32 codePage)
{
    if (codePage == Utf8CodePage)
        return DecodeUtf8(bytes);
    if (const char *charset = IconvCharset(codePage))
        return DecodeIconv(bytes, charset);
    QString text(bytes.size(), Qt::Uninitialized);
    DecodeSingleByteInto(bytes, SingleByteTableOrDefault(codePage), Units(text));
    return text;
}

bool DecodesPieceByPiece(quint32 codePage)
{
    return codePage == Utf8CodePage || !IconvCharset(codePage);
}

qsizetype DecodeAnsiInto(QByteArrayView bytes, quint32 codePage, char16_t *out)
{
    Q_ASSERT(DecodesPieceByPiece(codePage));
    if (codePage == Utf8CodePage) {
        const uchar *begin = Bytes(bytes);
        return DecodeUtf8Lossless(begin, begin + bytes.size(), out) - out;
    }
    DecodeSingleByteInto(bytes, SingleByteTableOrDefault(codePage), out);
    return bytes.size();
}

QByteArray EncodeAnsi(QStringView text, quint32 codePage)
{
    return Encode(text, codePage, nullptr, 0);
}

QString DecodeUtf8(QByteArrayView bytes)
{
    // One pass: runs of ASCII (most files are nothing else) are widened as they
    // are checked, and only the other bytes are decoded one sequence at a time.
    // Unlike QString::fromUtf8 this keeps a leading byte-order mark (the caller
    // has already skipped the one mark a file may start with) and every
    // invalid byte.
    const uchar *begin = Bytes(bytes);
    QString text(bytes.size(), Qt::Uninitialized); // never more units than bytes
    KvAdviseHugePages(Units(text), size_t(text.size()) * sizeof(char16_t));
    text.truncate(DecodeUtf8Lossless(begin, begin + bytes.size(), Units(text)) - Units(text));
    return text;
}

QByteArray EncodeUtf8(QStringView text)
{
    // Without surrogates Qt's encoder gives the same bytes, faster.
    if (!HasSurrogates(text))
        return text.toUtf8();
    return EncodeUtf8Lossless(text);
}

} // namespace KvTextCodec
