#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QMimeData;
class TKvIniSection;
class TKvIniVal;

// The two formats of the editor's own on the clipboard. They mark what kind
// of text a copy holds, so that another running editor can paste it whole;
// the text itself always travels as plain text too.
namespace KvClipFormat {
inline const QString Section = QStringLiteral("KvIniSectionClipFormat");
inline const QString Item = QStringLiteral("KvIniItemClipFormat");
// Texts of this many characters or more are not copied.
constexpr qsizetype MaxTextLength = (qsizetype(1) << 30) - 1;
} // namespace KvClipFormat

// The block every format of a copy carries: the text as UTF-16
// little-endian code units, one NUL code unit, and one more zero byte
// (2 × length + 3 bytes, the last one zero).
QByteArray ClipBlock(const QString &text);

// The data of one copy: the text as plain text, and the same block under the
// section format and the item format when they are wanted. Null when the
// text is too long to copy.
std::unique_ptr<QMimeData> MakeClipData(const QString &text, bool sectionFormat, bool itemFormat);

// What the clipboard holds, as far as the paste commands care.
struct TKvClipState
{
    bool HasSection = false;
    bool HasItem = false;
    bool HasText = false;
};
// Reads the flags from clipboard data (none: all off). A format counts under
// its bare name and under the name Qt gives it on Windows
// (application/x-qt-windows-mime;value="Name").
TKvClipState ClipStateOf(const QMimeData *data);

// ---- Copy texts ----

// "[" name "]", then " ;" and the comment unless in values-only mode or the
// comment is empty.
QString SectionHeaderText(const TKvIniSection &section, bool valuesOnly);
// The line of one entry, with its comment.
QString EntryClipText(const TKvIniVal &val);
// The header and every line of a section, with the comments.
QString SectionClipText(const TKvIniSection &section);
// The header text, CR LF, and the line of one entry.
QString SectionAndEntryClipText(const TKvIniSection &section, const TKvIniVal &val, bool valuesOnly);

// ---- Paste parsers ----

// The first line of a text as one entry: "=" separates name and value, ";"
// starts the comment, a line without "=" is an error line.
std::unique_ptr<TKvIniVal> ParseClipItem(const QString &text);
// A text as one section: an optional header, then entries up to the next
// header or the end. A malformed header still gives what was parsed.
std::unique_ptr<TKvIniSection> ParseClipSection(const QString &text);
