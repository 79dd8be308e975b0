#include "lists/kvfilter.h"

#include "document/kvdocument.h"
#include "kvfunctions.h"
#include "kvmemini.h"
#include "kvsearch.h"

#include <numeric>

TKvFilter::TKvFilter(const TKvDocument *document, QObject *parent)
    : QObject(parent)
{
    if (!document)
        return;
    // Whatever changed, the last answers may be wrong now.
    const auto invalidate = [this] { Invalidate(); };
    connect(document, &TKvDocument::AboutToReset, this, invalidate);
    connect(document, &TKvDocument::SectionsInserted, this, invalidate);
    connect(document, &TKvDocument::SectionsRemoved, this, invalidate);
    connect(document, &TKvDocument::SectionChanged, this, invalidate);
    connect(document, &TKvDocument::ValsInserted, this, invalidate);
    connect(document, &TKvDocument::ValsRemoved, this, invalidate);
    connect(document, &TKvDocument::ValReplaced, this, invalidate);
    connect(document, &TKvDocument::Reordered, this, invalidate);
}

TKvFilter::~TKvFilter() = default;

void TKvFilter::SetText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    m_search = text.isEmpty() ? nullptr : std::make_unique<TKvSearch>(text, false, false);
}

void TKvFilter::Invalidate()
{
    m_sections.valid = false;
    m_vals.valid = false;
}

bool TKvFilter::Passes(QStringView text) const
{
    return !text.isEmpty() && m_search->Find(text) >= 0;
}

bool TKvFilter::SectionNamePasses(const TKvIniSection &section) const
{
    return !IsActive() || Passes(section.Name);
}

bool TKvFilter::ValPasses(const TKvIniVal &val) const
{
    if (!IsActive())
        return true;
    // A comment line's text is its comment, which the filter does not look at.
    return val.Kind() != ikComment && (Passes(val.NameView()) || Passes(val.ValueView()));
}

bool TKvFilter::SectionPasses(const TKvIniSection &section) const
{
    if (SectionNamePasses(section))
        return true;
    for (const TKvIniVal *val : section.Vals) {
        if (ValPasses(*val))
            return true;
    }
    return false;
}

bool TKvFilter::Narrows(const QString &answeredFor) const
{
    if (answeredFor.isEmpty() || m_text.size() < answeredFor.size())
        return false;
    // Whatever contains the new text contains the old one, case ignored alike.
    TKvSearch old(answeredFor, false, false);
    return old.Find(m_text) >= 0;
}

const std::vector<qint32> &TKvFilter::Sections(const TKvMemIni &ini)
{
    SectionsAnswer &answer = m_sections;
    if (answer.valid && answer.ini == &ini && answer.text == m_text)
        return answer.indices;
    const bool narrow = answer.valid && answer.ini == &ini && Narrows(answer.text);
    std::vector<qint32> indices;
    if (narrow) {
        for (const qint32 index : answer.indices) {
            if (SectionPasses(*ini.Sections[index]))
                indices.push_back(index);
        }
    } else {
        for (qint32 index = 0; index < ini.Sections.Count(); ++index) {
            if (SectionPasses(*ini.Sections[index]))
                indices.push_back(index);
        }
    }
    answer = {&ini, m_text, true, std::move(indices)};
    return answer.indices;
}

const std::vector<qint32> &TKvFilter::Vals(const TKvIniSection &section)
{
    ValsAnswer &answer = m_vals;
    if (answer.valid && answer.section == &section && answer.text == m_text)
        return answer.positions;
    std::vector<qint32> positions;
    const bool all = SectionNamePasses(section);
    if (all) {
        positions.resize(size_t(section.Vals.Count()));
        std::iota(positions.begin(), positions.end(), 0);
    } else if (answer.valid && answer.section == &section && !answer.all && Narrows(answer.text)) {
        for (const qint32 position : answer.positions) {
            if (ValPasses(*section.Vals[position]))
                positions.push_back(position);
        }
    } else {
        positions.reserve(size_t(section.Vals.Count()));
        for (qint32 position = 0; position < section.Vals.Count(); ++position) {
            if (ValPasses(*section.Vals[position]))
                positions.push_back(position);
        }
    }
    answer = {&section, m_text, true, all, std::move(positions)};
    return answer.positions;
}

QString TKvFilter::CountText(qint64 shown, qint64 total)
{
    return QStringLiteral("%1 of %2").arg(GroupThousands(QString::number(shown)),
                                          GroupThousands(QString::number(total)));
}
