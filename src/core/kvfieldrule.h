#pragma once

#include <QString>
#include <QStringView>

// The texts a user can give a section or an item. LineText: the whole text of
// an error line (a line that is neither a header, an item nor a comment).
enum class TKvField { SectionName, SectionComment, ItemName, ItemValue, ItemComment, LineText };

// Decides whether a text given to a field reads back as written once the
// document is saved and opened again, on a plain line (a name starting with
// "[" or ";" reads back only through the form feed the writer then puts in
// front of the line, which other programs would not understand: refused). Returns an empty string when it does,
// otherwise a short hint for the user saying why not, such as
// "';' starts a comment; write '\;' to keep it in the value".
//
// Spaces and tabs around the text are not a problem: the fields drop them
// when the text is stored, so callers store the trimmed text. An empty text is
// a problem only for a section name (a nameless section writes no header). An
// item's value is judged as the value of a value item, written after "=".
// hashComments: the document reads lines starting with "#" as comments
// (TKvMemIni::HashComments), so a name or a line may not start with one.
QString FieldProblem(TKvField field, QStringView text, bool hashComments = false);
// The text as a field keeps it: without the spaces and tabs around it.
QStringView TrimmedFieldText(QStringView text);
