// Replacing: the changes are worked out first (a plan), then made.
#include "kvreplace.h"

#include "kvmemini.h"
#include "kvprogress.h"
#include "kvsearch.h"

#include <algorithm>
#include <utility>

namespace {

const QString NeedsName = QStringLiteral("An item needs a name");

// Works out the changes place by place, in Find Next's order.
class TPlanner
{
public:
    TPlanner(const TKvMemIni &ini, QStringView findText, const TSearchStruct &options,
             QStringView replacement)
        : m_ini(ini)
        , m_search(findText, options.CaseSensitive, options.WholeWords)
        , m_options(options)
        , m_replacement(replacement)
    {}

    // The section's name and comment.
    void PlanSection(qint32 s)
    {
        const TKvIniSection &section = *m_ini.Sections[s];
        if (m_options.SectionNames) {
            // Read without the blanks around it, so kept without them.
            Plan(s, -1, TKvField::SectionName, section.Name, TKvField::SectionName, true);
        }
        if (m_options.SectionComments) {
            // Kept exactly as read: blanks included.
            Plan(s, -1, TKvField::SectionComment, section.Comment, TKvField::SectionComment, false);
        }
    }

    // The entry's name, value and comment.
    void PlanEntry(qint32 s, qint32 e)
    {
        const TKvIniVal &val = *m_ini.Sections[s]->Vals[e];
        const qsizetype first = Result.Changes.size();
        bool nameless = val.NameView().isEmpty(); // once replaced
        if (m_options.ItemNames) {
            if (const TKvReplacement *change =
                    Plan(s, e, TKvField::ItemName, val.NameView(), TKvField::ItemName, true))
                nameless = change->New.isEmpty();
        }
        if (m_options.ItemValues) {
            // An error line is written as its value alone.
            const TKvField rule = val.Kind() == ikError ? TKvField::LineText : TKvField::ItemValue;
            Plan(s, e, TKvField::ItemValue, val.ValueView(), rule, true);
        }
        if (m_options.ItemComments)
            Plan(s, e, TKvField::ItemComment, val.CommentView(), TKvField::ItemComment, true);
        // The setters apply the kind rule: an item left without a name (or one
        // read without, "=x") would become an error or a comment line.
        if (val.Kind() == ikValue && nameless) {
            for (qsizetype i = first; i < Result.Changes.size(); ++i) {
                if (Result.Changes[i].Problem.isEmpty())
                    Result.Changes[i].Problem = NeedsName;
            }
        }
    }

    TKvReplacePlan Result;

private:
    // Adds the change of one text when the find text occurs in it; rule: the
    // field rule that judges the new text; trimmed: the field drops the
    // blanks around it.
    TKvReplacement *Plan(qint32 s, qint32 e, TKvField field, QStringView old, TKvField rule, bool trimmed)
    {
        if (old.isEmpty())
            return nullptr;
        const QList<qsizetype> starts = m_search.FindAll(old);
        if (starts.isEmpty())
            return nullptr;
        const qsizetype findLength = m_search.FindText().size();
        QString text;
        text.reserve(old.size() + starts.size() * (m_replacement.size() - findLength));
        qsizetype from = 0;
        for (const qsizetype start : starts) {
            text.append(old.sliced(from, start - from)).append(m_replacement);
            from = start + findLength;
        }
        text.append(old.sliced(from));

        TKvReplacement change;
        change.Section = s;
        change.Entry = e;
        change.Field = field;
        change.Old = old.toString();
        change.Count = starts.size();
        change.Problem = FieldProblem(rule, text, m_ini.HashComments);
        const QStringView kept = trimmed ? TrimmedFieldText(text) : QStringView(text);
        change.New = kept.size() == text.size() ? std::move(text) : kept.toString();
        Result.Changes.append(std::move(change));
        return &Result.Changes.back();
    }

    const TKvMemIni &m_ini;
    TKvSearch m_search;
    const TSearchStruct &m_options;
    QStringView m_replacement;
};

QStringView CurrentText(const TKvMemIni &ini, const TKvReplacement &change)
{
    if (change.Section < 0 || change.Section >= ini.Sections.Count())
        return {};
    const TKvIniSection &section = *ini.Sections[change.Section];
    if (change.Entry < 0) {
        return change.Field == TKvField::SectionName ? QStringView(section.Name)
                                                     : QStringView(section.Comment);
    }
    if (change.Entry >= section.Vals.Count())
        return {};
    const TKvIniVal &val = *section.Vals[change.Entry];
    switch (change.Field) {
    case TKvField::ItemName:
        return val.NameView();
    case TKvField::ItemComment:
        return val.CommentView();
    default:
        return val.ValueView();
    }
}

} // namespace

QString PlaceCode(TKvField field)
{
    switch (field) {
    case TKvField::SectionName:
        return QStringLiteral("SN");
    case TKvField::SectionComment:
        return QStringLiteral("SC");
    case TKvField::ItemName:
        return QStringLiteral("IN");
    case TKvField::ItemComment:
        return QStringLiteral("IC");
    case TKvField::ItemValue:
    case TKvField::LineText:
        break;
    }
    return QStringLiteral("IV");
}

qsizetype TKvReplacePlan::Occurrences() const
{
    qsizetype count = 0;
    for (const TKvReplacement &change : Changes)
        count += change.Count;
    return count;
}

bool TKvReplacePlan::CanApply() const
{
    return std::none_of(Changes.begin(), Changes.end(),
                        [](const TKvReplacement &change) { return !change.Problem.isEmpty(); });
}

TKvReplacePlan PlanReplace(const TKvMemIni &ini, QStringView findText, const TSearchStruct &options,
                           QStringView replacement)
{
    TPlanner planner(ini, findText, options, replacement);
    // Progress counts the places looked at: each section and entry.
    qint64 places = ini.Sections.Count();
    if (options.AnyItemField()) {
        for (const TKvIniSection *section : ini.Sections)
            places += section->Vals.Count();
    }
    qint64 done = 0;
    for (qint32 s = 0; s < ini.Sections.Count(); ++s) {
        planner.PlanSection(s);
        KvProgress::Advance(++done, places);
        if (options.AnyItemField()) {
            for (qint32 e = 0; e < ini.Sections[s]->Vals.Count(); ++e) {
                planner.PlanEntry(s, e);
                KvProgress::Advance(++done, places);
            }
        }
    }
    return std::move(planner.Result);
}

TKvReplacePlan PlanReplaceAt(const TKvMemIni &ini, qint32 section, qint32 entry, QStringView findText,
                             const TSearchStruct &options, QStringView replacement)
{
    TPlanner planner(ini, findText, options, replacement);
    if (section >= 0 && section < ini.Sections.Count()) {
        if (entry < 0)
            planner.PlanSection(section);
        else if (entry < ini.Sections[section]->Vals.Count())
            planner.PlanEntry(section, entry);
    }
    return std::move(planner.Result);
}

bool ApplyReplace(TKvMemIni &ini, const TKvReplacePlan &plan)
{
    // All or nothing: every change is checked before the first is made.
    if (!plan.CanApply())
        return false;
    for (const TKvReplacement &change : plan.Changes) {
        if (CurrentText(ini, change) != change.Old)
            return false;
    }
    for (const TKvReplacement &change : plan.Changes) {
        TKvIniSection &section = *ini.Sections[change.Section];
        if (change.Entry < 0) {
            (change.Field == TKvField::SectionName ? section.Name : section.Comment) = change.New;
            continue;
        }
        TKvIniVal &val = *section.Vals[change.Entry];
        switch (change.Field) {
        case TKvField::ItemName:
            val.SetName(change.New);
            break;
        case TKvField::ItemComment:
            val.SetComment(change.New);
            break;
        default:
            val.SetValue(change.New);
            break;
        }
    }
    return true;
}
