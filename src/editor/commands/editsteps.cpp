#include "editsteps.h"

#include "document/kvdocument.h"
#include "kvmemini.h"

#include <algorithm>
#include <type_traits>

// ---- The step -------------------------------------------------------------------

TKvEditStep::TKvEditStep(TKvDocument &document, TKvSelection &selection, const QString &name)
    : QUndoCommand(name)
    , m_document(document)
    , m_selection(selection)
    , m_before(selection.Current())
{}

void TKvEditStep::redo()
{
    Apply();
    if (!m_pushed) {
        // The push: the command leaves its own selection afterwards.
        m_pushed = true;
        m_after = m_selection.Current();
        return;
    }
    m_selection.Restore(m_after);
}

void TKvEditStep::undo()
{
    Revert();
    m_selection.Restore(m_before);
}

void TKvEditStep::SelectionSettled()
{
    m_after = m_selection.Current();
}

// ---- Ranges ---------------------------------------------------------------------

template <typename T>
TKvRangeStep<T>::TKvRangeStep(TKvDocument &document, TKvSelection &selection, const QString &name,
                              TKvIniSection *owner, qint32 position, std::vector<T *> items)
    : TKvEditStep(document, selection, name)
    , m_owner(owner)
    , m_position(position)
    , m_count(qint32(items.size()))
    , m_items(std::move(items))
    , m_inserting(true)
    , m_owned(true)
{}

template <typename T>
TKvRangeStep<T>::TKvRangeStep(TKvDocument &document, TKvSelection &selection, const QString &name,
                              TKvIniSection *owner, qint32 position, qint32 count)
    : TKvEditStep(document, selection, name)
    , m_owner(owner)
    , m_position(position)
    , m_count(count)
    , m_inserting(false)
    , m_owned(false)
{}

template <typename T> TKvRangeStep<T>::~TKvRangeStep()
{
    if (m_owned)
        qDeleteAll(m_items);
}

template <typename T> void TKvRangeStep<T>::Put()
{
    if constexpr (std::is_same_v<T, TKvIniSection>) {
        const qint32 count = m_document.Ini().Sections.Count();
        if (m_position < 0 || m_position > count)
            m_position = count;
        m_document.InsertSections(m_position, m_items);
    } else {
        if (m_position < 0 || m_position > m_owner->Vals.Count())
            m_position = m_owner->Vals.Count();
        m_document.InsertVals(m_owner, m_position, m_items);
    }
    m_owned = false;
}

template <typename T> void TKvRangeStep<T>::Take()
{
    if constexpr (std::is_same_v<T, TKvIniSection>)
        m_items = m_document.TakeSections(m_position, m_count);
    else
        m_items = m_document.TakeVals(m_owner, m_position, m_count);
    m_owned = true;
}

template class TKvRangeStep<TKvIniSection>;
template class TKvRangeStep<TKvIniVal>;

// ---- Texts ----------------------------------------------------------------------

TKvSectionTextStep::TKvSectionTextStep(TKvDocument &document, TKvSelection &selection, const QString &name,
                                       TKvIniSection *section, const QString &newName,
                                       const QString &newComment)
    : TKvEditStep(document, selection, name)
    , m_section(section)
    , m_name(newName)
    , m_comment(newComment)
{}

void TKvSectionTextStep::Swap()
{
    m_document.SwapSectionText(m_section, m_name, m_comment);
}

TKvReplaceValStep::TKvReplaceValStep(TKvDocument &document, TKvSelection &selection, const QString &name,
                                     TKvIniSection *section, qint32 position, TKvIniVal *now)
    : TKvEditStep(document, selection, name)
    , m_section(section)
    , m_position(position)
    , m_out(now)
{}

TKvReplaceValStep::~TKvReplaceValStep()
{
    delete m_out;
}

void TKvReplaceValStep::Swap()
{
    m_out = m_document.ReplaceVal(m_section, m_position, m_out);
}

// ---- Orders --------------------------------------------------------------------

TKvOrderStep::TKvOrderStep(TKvDocument &document, TKvSelection &selection, const QString &name, Scope scope,
                           TKvIniSection *section, std::function<void(TKvMemIni &)> sort)
    : TKvEditStep(document, selection, name)
    , m_scope(scope)
    , m_section(section)
    , m_sort(std::move(sort))
{}

TKvOrderStep::Order TKvOrderStep::Take() const
{
    Order order;
    const TKvMemIni &ini = m_document.Ini();
    if (m_scope == OneSectionsEntries)
        order.sections = {m_section};
    else
        order.sections.assign(ini.Sections.begin(), ini.Sections.end());
    if (m_scope != OneSectionsEntries) {
        order.headerLines.reserve(order.sections.size());
        for (const TKvIniSection *section : order.sections)
            order.headerLines.push_back(section->HeaderLine());
    }
    if (m_scope != SectionOrder) {
        size_t total = 0;
        for (const TKvIniSection *section : order.sections)
            total += size_t(section->Vals.Count());
        order.vals.reserve(total);
        for (const TKvIniSection *section : order.sections)
            order.vals.insert(order.vals.end(), section->Vals.begin(), section->Vals.end());
        order.changedMarks.reserve(total);
        for (const TKvIniVal *val : order.vals)
            order.changedMarks.push_back(val->IsMarkedChanged());
    }
    return order;
}

void TKvOrderStep::Put(const Order &order)
{
    m_document.Reorder(ReorderedSection(), [this, &order](TKvMemIni &ini) {
        if (m_scope != OneSectionsEntries) {
            std::copy(order.sections.begin(), order.sections.end(), ini.Sections.begin());
            for (size_t i = 0; i < order.sections.size(); ++i)
                order.sections[i]->RestoreHeaderLine(order.headerLines[i]);
        }
        if (m_scope != SectionOrder) {
            TKvIniVal *const *from = order.vals.data();
            for (TKvIniSection *section : order.sections) {
                std::copy(from, from + section->Vals.Count(), section->Vals.begin());
                from += section->Vals.Count();
            }
            for (size_t i = 0; i < order.vals.size(); ++i)
                order.vals[i]->RestoreChangedMark(order.changedMarks[i]);
        }
    });
}

void TKvOrderStep::Apply()
{
    if (m_sorted) {
        Put(m_afterOrder);
        return;
    }
    m_beforeOrder = Take();
    m_document.Reorder(ReorderedSection(), m_sort);
    m_afterOrder = Take();
    m_sorted = true;
}

void TKvOrderStep::Revert()
{
    Put(m_beforeOrder);
}
