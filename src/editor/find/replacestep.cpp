#include "replacestep.h"

#include "document/kvdocument.h"
#include "kvmemini.h"
#include "kvprogress.h"
#include "kvreplace.h"

TKvReplaceStep::TKvReplaceStep(TKvDocument &document, TKvSelection &selection, const QString &name,
                               const TKvReplacePlan &plan)
    : TKvEditStep(document, selection, name)
{
    const TKvMemIni &ini = document.Ini();
    // The plan lists the changes of one place one after another.
    qint32 lastSection = -1;
    qint32 lastEntry = -2;
    qint64 done = 0;
    for (const TKvReplacement &change : plan.Changes) {
        KvProgress::Advance(++done, plan.Changes.size());
        TKvIniSection *section = ini.Sections[change.Section];
        const bool samePlace = change.Section == lastSection && change.Entry == lastEntry;
        lastSection = change.Section;
        lastEntry = change.Entry;
        if (change.Entry < 0) {
            if (!samePlace)
                m_sections.push_back({section, section->Name, section->Comment});
            (change.Field == TKvField::SectionName ? m_sections.back().name : m_sections.back().comment) =
                change.New;
            continue;
        }
        if (!samePlace)
            m_entries.push_back({section, change.Entry, section->Vals[change.Entry]->Clone()});
        TKvIniVal *edited = m_entries.back().out;
        switch (change.Field) {
        case TKvField::ItemName:
            edited->SetName(change.New);
            break;
        case TKvField::ItemComment:
            edited->SetComment(change.New);
            break;
        default:
            edited->SetValue(change.New);
            break;
        }
    }
}

TKvReplaceStep::~TKvReplaceStep()
{
    for (const Entry &entry : m_entries)
        delete entry.out;
}

void TKvReplaceStep::Swap()
{
    for (SectionText &text : m_sections)
        m_document.SwapSectionText(text.section, text.name, text.comment);
    qint64 done = 0;
    for (Entry &entry : m_entries) {
        entry.out = m_document.ReplaceVal(entry.section, entry.position, entry.out);
        KvProgress::Advance(++done, qint64(m_entries.size()));
    }
}
