#include "clipformats.h"

#include "kvmemini.h"

#include <QMimeData>

#include <cstring>

namespace {

bool HasFormat(const QMimeData &data, const QString &name)
{
    return data.hasFormat(name)
           || data.hasFormat(QStringLiteral("application/x-qt-windows-mime;value=\"%1\"").arg(name));
}

} // namespace

QByteArray ClipBlock(const QString &text)
{
    const qsizetype units = text.size();
    QByteArray block(2 * units + 3, '\0');
    char *out = block.data();
    for (qsizetype i = 0; i < units; ++i) {
        const char16_t unit = text.at(i).unicode();
        out[2 * i] = char(unit & 0xFF);
        out[2 * i + 1] = char(unit >> 8);
    }
    return block;
}

std::unique_ptr<QMimeData> MakeClipData(const QString &text, bool sectionFormat, bool itemFormat)
{
    if (text.size() >= KvClipFormat::MaxTextLength)
        return nullptr;
    auto data = std::make_unique<QMimeData>();
    if (sectionFormat || itemFormat) {
        const QByteArray block = ClipBlock(text);
        if (sectionFormat)
            data->setData(KvClipFormat::Section, block);
        if (itemFormat)
            data->setData(KvClipFormat::Item, block);
    }
    data->setText(text);
    return data;
}

TKvClipState ClipStateOf(const QMimeData *data)
{
    TKvClipState state;
    if (!data)
        return state;
    state.HasSection = HasFormat(*data, KvClipFormat::Section);
    state.HasItem = HasFormat(*data, KvClipFormat::Item);
    state.HasText = data->hasText();
    return state;
}

QString SectionHeaderText(const TKvIniSection &section, bool valuesOnly)
{
    QString text = u'[' + section.Name + u']';
    if (!valuesOnly && !section.Comment.isEmpty())
        text += QStringLiteral(" ;") + section.Comment;
    return text;
}

QString EntryClipText(const TKvIniVal &val)
{
    return val.GetText(true);
}

QString SectionClipText(const TKvIniSection &section)
{
    return section.GetText(true);
}

QString SectionAndEntryClipText(const TKvIniSection &section, const TKvIniVal &val, bool valuesOnly)
{
    return SectionHeaderText(section, valuesOnly) + QStringLiteral("\r\n") + EntryClipText(val);
}

std::unique_ptr<TKvIniVal> ParseClipItem(const QString &text)
{
    auto val = std::make_unique<TKvIniVal>();
    val->ParseLine(text);
    return val;
}

std::unique_ptr<TKvIniSection> ParseClipSection(const QString &text)
{
    auto section = std::make_unique<TKvIniSection>();
    section->Parse(text);
    return section;
}
