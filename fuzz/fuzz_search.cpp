// The search engine with random options on a random document: the matcher
// agrees with a plain reference matcher, Find Previous visits exactly the
// places Find Next visits, in reverse order, and Replace All changes exactly
// those places, into texts that read back as they were written.
#include "fuzzcommon.h"
#include "kvfind.h"
#include "kvmemini.h"
#include "kvreplace.h"

#include <QList>
#include <QPair>

namespace {

const QString Delimiters = QStringLiteral(" .,\"':?!()&;[]{}/<>-+*=-|");

bool IsDelimiter(QChar c)
{
    return Delimiters.contains(c);
}

// The plain matcher: lower-case both one code unit at a time, try every start.
qsizetype ReferenceFind(QString findText, QString text, bool caseSensitive, bool wholeWords)
{
    const qsizetype m = findText.size();
    const qsizetype n = text.size();
    if (m == 0)
        return -1;
    if (!caseSensitive) {
        for (QChar &c : findText)
            c = c.toLower();
        for (QChar &c : text)
            c = c.toLower();
    }
    for (qsizetype i = 0; i + m <= n; ++i) {
        if (QStringView(text).sliced(i, m) != findText)
            continue;
        if (!wholeWords)
            return i;
        const bool before = i == 0 || IsDelimiter(text[i - 1]);
        const bool after = i + m == n || IsDelimiter(text[i + m]);
        if (before && after)
            return i;
    }
    return -1;
}

using TVisit = QPair<qint32, qint32>;

// Every place a repeated find visits from one end of the document; a match on
// a section's own texts is recorded with item -1 in both directions.
QList<TVisit> Visits(const TKvMemIni &ini, const QString &findText, const TSearchStruct &options,
                     qint32 limit)
{
    TKvSearch search(findText, options.CaseSensitive, options.WholeWords);
    qint32 section = options.Backwards ? KvSearchCursor::After : KvSearchCursor::Before;
    qint32 item = section;
    QList<TVisit> visits;
    while (Find(search, ini, section, item, options)) {
        visits.append({section, item == KvSearchCursor::After ? KvSearchCursor::Before : item});
        if (visits.size() > limit)
            FuzzFail("a repeated find does not end");
        if (options.Backwards)
            StepBackward(section, item, options, ini);
        else
            StepForward(section, item, options, ini);
        if (section == KvSearchCursor::Before || section == KvSearchCursor::After)
            break;
    }
    return visits;
}

// Replacements that the field rule refuses in some places and not in others.
const QString Replacements[] = {
    QString(),           QStringLiteral("x"),     QStringLiteral(";"),  QStringLiteral("="),
    QStringLiteral("#"), QStringLiteral(" a b "), QStringLiteral("\n"), QStringLiteral("[")};

// The places a plan changes, once each, in its order.
QList<TVisit> Places(const TKvReplacePlan &plan)
{
    QList<TVisit> places;
    for (const TKvReplacement &change : plan.Changes) {
        const TVisit place{change.Section, change.Entry};
        if (places.isEmpty() || places.back() != place)
            places.append(place);
    }
    return places;
}

// Whether the entries of a section read back (back) as they are in it; the
// writer's empty line after a section reads back as one more blank entry.
bool SameEntries(const TKvIniSection &a, const TKvIniSection &b)
{
    if (a.Name != b.Name || a.Comment != b.Comment || b.Vals.Count() < a.Vals.Count()
        || b.Vals.Count() > a.Vals.Count() + 1)
        return false;
    for (qint32 e = 0; e < b.Vals.Count(); ++e) {
        const TKvIniVal &y = *b.Vals[e];
        if (e == a.Vals.Count())
            return y.Kind() == ikBlank;
        const TKvIniVal &x = *a.Vals[e];
        if (x.Kind() != y.Kind() || x.NameView() != y.NameView() || x.ValueView() != y.ValueView()
            || x.CommentView() != y.CommentView())
            return false;
    }
    return true;
}

// The sections of a document as they read back from its written text; null
// when they come back otherwise than one for one.
std::unique_ptr<TKvMemIni> ReadBack(const TKvMemIni &ini)
{
    auto back = std::make_unique<TKvMemIni>();
    back->HashComments = ini.HashComments;
    if (!back->Parse(ini.GetText()) || back->Sections.Count() != ini.Sections.Count())
        return nullptr;
    return back;
}

void CheckReplace(TKvMemIni &ini, const QString &findText, const TSearchStruct &options,
                  const QString &replacement, const QList<TVisit> &visits)
{
    const TKvReplacePlan plan = PlanReplace(ini, findText, options, replacement);
    if (Places(plan) != visits)
        FuzzFail("Replace All and Find Next find different places");
    // The sections whose changed texts are checked: those that read back as
    // they are before the change (a known normalisation may change others).
    std::vector<bool> checked(size_t(ini.Sections.Count()), false);
    if (!KnownNormalisation(ini)) {
        if (const auto before = ReadBack(ini)) {
            for (qint32 s = 0; s < ini.Sections.Count(); ++s)
                checked[size_t(s)] = SameEntries(*ini.Sections[s], *before->Sections[s]);
        }
    }
    const QString text = ini.GetText();
    if (!ApplyReplace(ini, plan)) {
        if (plan.CanApply())
            FuzzFail("a plan without problems was not applied");
        if (ini.GetText() != text)
            FuzzFail("a refused plan changed the document");
        return;
    }
    // An item's value emptied before its comment reads back as one blank:
    // the writer's known normalisation, not the replacement's.
    if (KnownNormalisation(ini))
        return;
    const auto back = ReadBack(ini);
    for (const TKvReplacement &change : plan.Changes) {
        if (!checked[size_t(change.Section)])
            continue;
        if (!back || !SameEntries(*ini.Sections[change.Section], *back->Sections[change.Section]))
            FuzzFail("a replacement does not read back as written", ini.GetText().toUtf8());
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSetUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TFuzzInput input(data, size);
    const uint8_t flags = input.Byte();
    const uint8_t lengthAndReplacement = input.Byte();
    const uint8_t findLength = lengthAndReplacement % 8;
    const QString &replacement = Replacements[(lengthAndReplacement / 8) % std::size(Replacements)];
    // UTF-16 from pairs of bytes, so any code unit (surrogates included) can occur.
    const QByteArray findBytes = input.Bytes(size_t(findLength) * 2);
    const QString findText(reinterpret_cast<const QChar *>(findBytes.constData()), findBytes.size() / 2);
    const QByteArray textBytes = input.Rest();
    QString text(reinterpret_cast<const QChar *>(textBytes.constData()), textBytes.size() / 2);
    text.replace(QChar(0), QChar(u' '));

    TSearchStruct options;
    options.SectionNames = flags & 1;
    options.SectionComments = flags & 2;
    options.ItemNames = flags & 4;
    options.ItemValues = flags & 8;
    options.ItemComments = flags & 16;
    options.WholeWords = flags & 32;
    options.CaseSensitive = flags & 64;

    TKvMemIni ini;
    ini.HashComments = flags & 128;
    if (!ini.Parse(text))
        return 0;

    // The matcher on every text of the document.
    TKvSearch search(findText, options.CaseSensitive, options.WholeWords);
    qint32 texts = 0;
    const auto check = [&](QStringView field) {
        ++texts;
        const QString copy = field.toString();
        if (search.Find(field) != ReferenceFind(findText, copy, options.CaseSensitive, options.WholeWords))
            FuzzFail("the matcher disagrees with the reference", copy.toUtf8());
        if (field.toString() != copy)
            FuzzFail("the matcher changed the text");
    };
    for (const TKvIniSection *section : ini.Sections) {
        check(section->Name);
        check(section->Comment);
        for (const TKvIniVal *val : section->Vals) {
            check(val->NameView());
            check(val->ValueView());
            check(val->CommentView());
        }
    }

    // Both directions visit the same places.
    options.Backwards = false;
    const QList<TVisit> forward = Visits(ini, findText, options, texts + 1);
    options.Backwards = true;
    QList<TVisit> backward = Visits(ini, findText, options, texts + 1);
    std::reverse(backward.begin(), backward.end());
    if (forward != backward) {
        QByteArray detail;
        for (const TVisit &v : forward)
            detail += QByteArray::number(v.first) + ':' + QByteArray::number(v.second) + ' ';
        detail += "| ";
        for (const TVisit &v : backward)
            detail += QByteArray::number(v.first) + ':' + QByteArray::number(v.second) + ' ';
        FuzzFail("Find Previous and Find Next visit different places", detail);
    }
    CheckReplace(ini, findText, options, replacement, forward);
    return 0;
}
