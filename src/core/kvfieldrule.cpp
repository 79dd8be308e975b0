// What the reader would make of a field's text when the writer puts it on its
// line: a header "[name] ;comment", an item "name=value ;comment" or a comment
// line ";comment". A text is refused where the reader would end the field
// early, start another kind of line, or lose characters.
#include "kvfieldrule.h"

namespace {

bool IsSpaceOrTab(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringView TrimSpacesAndTabs(QStringView text)
{
    while (!text.isEmpty() && IsSpaceOrTab(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && IsSpaceOrTab(text.back()))
        text.chop(1);
    return text;
}

// Line ends end every field and a NUL ends the whole text. A section comment
// keeps every other character as read; a header ends at any character up to 13
// (tabs included); the item setters drop or rewrite the characters below 32
// but tab.
QString ControlProblem(TKvField field, QStringView text)
{
    for (const QChar c : text) {
        if (c == u'\r' || c == u'\n')
            return QStringLiteral("A line break cannot be kept; write the text on one line");
    }
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 32)
            continue;
        if (u == 0)
            return QStringLiteral("Control characters cannot be kept");
        if (field == TKvField::SectionName)
            return u == u'\t' ? QStringLiteral("A tab cannot be part of a section name")
                              : QStringLiteral("Control characters cannot be kept");
        if (field != TKvField::SectionComment && u != u'\t')
            return QStringLiteral("Control characters cannot be kept");
    }
    return {};
}

// The reader ends a value (or a header's tail) at the first ";" whose
// preceding character is not a backslash.
bool HasCommentStart(QStringView value)
{
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u';' && (i == 0 || value[i - 1] != u'\\'))
            return true;
    }
    return false;
}

} // namespace

QStringView TrimmedFieldText(QStringView text)
{
    return TrimSpacesAndTabs(text);
}

QString FieldProblem(TKvField field, QStringView text, bool hashComments)
{
    const QStringView trimmed = TrimSpacesAndTabs(text);
    if (QString problem = ControlProblem(field, trimmed); !problem.isEmpty())
        return problem;
    switch (field) {
    case TKvField::SectionName:
        if (trimmed.isEmpty())
            return QStringLiteral("A section needs a name");
        if (trimmed.contains(u']'))
            return QStringLiteral("']' ends the section name");
        break;
    case TKvField::ItemName:
        if (trimmed.startsWith(u'['))
            return QStringLiteral("A name starting with '[' makes the line a section header");
        if (trimmed.startsWith(u';'))
            return QStringLiteral("A name starting with ';' makes the line a comment");
        if (hashComments && trimmed.startsWith(u'#'))
            return QStringLiteral("A name starting with '#' makes the line a comment");
        if (trimmed.contains(u'='))
            return QStringLiteral("'=' ends the name; it cannot be part of it");
        break;
    case TKvField::ItemValue:
        if (HasCommentStart(trimmed))
            return QStringLiteral("';' starts a comment; write '\\;' to keep it in the value");
        break;
    case TKvField::LineText:
        if (trimmed.startsWith(u'['))
            return QStringLiteral("A line starting with '[' is a section header");
        if (trimmed.startsWith(u';') || (hashComments && trimmed.startsWith(u'#')))
            return QStringLiteral("A line starting with '%1' is a comment").arg(trimmed.front());
        if (trimmed.contains(u'='))
            return QStringLiteral("'=' makes the line an item");
        break;
    case TKvField::SectionComment:
    case TKvField::ItemComment:
        break;
    }
    return {};
}
