// Reading the version block that the build embeds in an executable.
#include "kvversioninfo.h"

#include "kvversionblock.h"

#include <QFile>
#include <QFileInfo>
#include <QList>

#include <array>
#include <optional>
#include <utility>

namespace {

using TBlockEntries = QList<std::pair<QByteArrayView, QByteArrayView>>;

constexpr quint8 MaskByte = 0x5A;

// The marker is kept here masked and unmasked at run time, so that an
// executable holding this reader holds no second plain copy of the marker
// that the search could mistake for the block.
QByteArray BlockMarker()
{
    static constexpr auto Masked = [] {
        constexpr char plain[] = KV_VERSION_BLOCK_MARKER;
        std::array<char, KvVersionBlock::MarkerLength> masked{};
        for (int i = 0; i < KvVersionBlock::MarkerLength; ++i)
            masked[size_t(i)] = char(plain[i] ^ MaskByte);
        return masked;
    }();
    // Read through volatile, so the compiler cannot undo the masking at build time.
    static volatile quint8 mask = MaskByte;
    QByteArray marker(KvVersionBlock::MarkerLength, Qt::Uninitialized);
    for (int i = 0; i < KvVersionBlock::MarkerLength; ++i)
        marker[i] = char(Masked[size_t(i)] ^ mask);
    return marker;
}

// The NUL-terminated text at `pos`, advancing `pos` past its NUL; nothing when
// there is no NUL or the text holds a control character (then this is not a block).
std::optional<QByteArrayView> NextText(QByteArrayView data, qsizetype &pos)
{
    const qsizetype end = data.indexOf('\0', pos);
    if (end < 0)
        return std::nullopt;
    const QByteArrayView text = data.sliced(pos, end - pos);
    for (char c : text) {
        if (quint8(c) < 0x20 || c == 0x7F)
            return std::nullopt;
    }
    pos = end + 1;
    return text;
}

// The path and value pairs of a block whose marker ends just before `data`;
// nothing when the bytes there are not a well-formed block with at least one pair.
std::optional<TBlockEntries> ParseBlock(QByteArrayView data)
{
    data = data.first(qMin<qsizetype>(data.size(), KvVersionBlock::MaxSize));
    TBlockEntries entries;
    qsizetype pos = 0;
    for (;;) {
        const std::optional<QByteArrayView> path = NextText(data, pos);
        if (!path)
            return std::nullopt;
        if (path->isEmpty())
            return entries.isEmpty() ? std::nullopt : std::optional(entries);
        const std::optional<QByteArrayView> value = NextText(data, pos);
        if (!value)
            return std::nullopt;
        entries.append({*path, *value});
    }
}

// Finds the first well-formed block in the bytes of a file.
std::optional<TBlockEntries> FindBlock(QByteArrayView data)
{
    const QByteArray marker = BlockMarker();
    for (qsizetype at = data.indexOf(marker); at >= 0; at = data.indexOf(marker, at + 1)) {
        if (std::optional<TBlockEntries> entries = ParseBlock(data.sliced(at + marker.size())))
            return entries;
    }
    return std::nullopt;
}

// Query paths compare without regard to ASCII case, as version queries do.
std::optional<QByteArrayView> Query(const TBlockEntries &entries, QByteArrayView path)
{
    for (const auto &[entryPath, value] : entries) {
        if (entryPath.compare(path, Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}

bool IsHexDigits(QByteArrayView text)
{
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}

} // namespace

QString FileVersionString(const QString &fileName, const QString &name)
{
    if (!QFileInfo(fileName).isFile())
        return {};
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() <= 0)
        return {};
    // Mapped when possible: only the pages the search touches are read.
    QByteArray readBytes;
    QByteArrayView data;
    if (const uchar *mapped = file.map(0, file.size()))
        data = QByteArrayView(mapped, file.size());
    else {
        readBytes = file.readAll();
        data = readBytes;
    }

    const std::optional<TBlockEntries> entries = FindBlock(data);
    if (!entries)
        return {};
    // The first translation chooses the string table: language and code page,
    // four hexadecimal digits each.
    const std::optional<QByteArrayView> translation = Query(*entries, "\\VarFileInfo\\Translation");
    if (!translation || translation->size() < 8 || !IsHexDigits(translation->first(8)))
        return {};
    const QByteArray path =
        "\\StringFileInfo\\" + translation->first(8).toByteArray().toUpper() + '\\' + name.toUtf8();
    const std::optional<QByteArrayView> value = Query(*entries, path);
    return value ? QString::fromUtf8(*value) : QString();
}
