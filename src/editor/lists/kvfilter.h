#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class TKvDocument;
class TKvIniSection;
class TKvIniVal;
class TKvMemIni;
class TKvSearch;

// The rule of the filter box above the lists: which sections and which
// entries the lists show for a filter text. A text passes when it contains
// the filter text, case ignored as Find ignores it. An entry passes when its
// name or its value passes (an unparsable line's text is its value; comment
// and blank lines never pass). A section passes when its name passes or any
// of its entries does; of a section whose name passes every entry is shown,
// of the others only the entries that pass. An empty text filters nothing.
//
// Typing one more character only narrows the answer, so while the text only
// grows and the document has not changed, the next answer examines only what
// passed before; any change of the document makes the next answer a full one.
class TKvFilter : public QObject
{
    Q_OBJECT

public:
    // document: the document whose changes end the narrowing, or none.
    explicit TKvFilter(const TKvDocument *document = nullptr, QObject *parent = nullptr);
    ~TKvFilter() override;

    void SetText(const QString &text);
    const QString &Text() const { return m_text; }
    bool IsActive() const { return !m_text.isEmpty(); }

    bool SectionPasses(const TKvIniSection &section) const;
    bool ValPasses(const TKvIniVal &val) const;
    bool SectionNamePasses(const TKvIniSection &section) const;

    // The indices of the sections of ini that pass, in document order.
    const std::vector<qint32> &Sections(const TKvMemIni &ini);
    // The positions of the entries of section the value list shows, ascending.
    const std::vector<qint32> &Vals(const TKvIniSection &section);
    // The document changed: the next answers are full ones.
    void Invalidate();

    // What the counters say while filtering: "12 of 970".
    static QString CountText(qint64 shown, qint64 total);

private:
    bool Passes(QStringView text) const;
    // Whether the filter text now only narrows the one an answer was made for.
    bool Narrows(const QString &answeredFor) const;

    QString m_text;
    std::unique_ptr<TKvSearch> m_search;
    // The last answers and the texts they were made for.
    struct SectionsAnswer
    {
        const TKvMemIni *ini = nullptr;
        QString text;
        bool valid = false;
        std::vector<qint32> indices;
    } m_sections;
    struct ValsAnswer
    {
        const TKvIniSection *section = nullptr;
        QString text;
        bool valid = false;
        bool all = false; // every entry, because the section's name passed
        std::vector<qint32> positions;
    } m_vals;
};
