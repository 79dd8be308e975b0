// find: every position that repeated Find Next (or Find Previous) visits.
#include "clicommon.h"
#include "kvfind.h"

namespace {

bool IsSentinel(qint32 cursor)
{
    return cursor == KvSearchCursor::Before || cursor == KvSearchCursor::After;
}

} // namespace

int FindCommand(const QStringList &argv)
{
    const TKvArguments args(
        argv, {QStringLiteral("--encoding"), QStringLiteral("--where")},
        {QStringLiteral("--whole-words"), QStringLiteral("--case-sensitive"), QStringLiteral("--backward")});
    args.Expect(2, 2);
    TSearchStruct options;
    options.WholeWords = args.Has(QStringLiteral("--whole-words"));
    options.CaseSensitive = args.Has(QStringLiteral("--case-sensitive"));
    options.Backwards = args.Has(QStringLiteral("--backward"));
    if (args.Has(QStringLiteral("--where")))
        ParseWhere(args.Option(QStringLiteral("--where")), options);

    TKvMemIni ini;
    LoadForEdit(ini, args.At(0), args);
    TKvSearch search(args.At(1), options.CaseSensitive, options.WholeWords);

    // As the Find dialog's Find First starts, then Find Next (Previous) after each match.
    const qint32 start = options.Backwards ? KvSearchCursor::After : KvSearchCursor::Before;
    qint32 sectionCursor = start;
    qint32 itemCursor = start;
    QStringList matches;
    while (Find(search, ini, sectionCursor, itemCursor, options)) {
        // A match on the section's own texts leaves the item cursor on the sentinel.
        const qint32 count = ini.Sections[sectionCursor]->Vals.Count();
        if (itemCursor < 0 || itemCursor >= count)
            itemCursor = start;
        matches << QStringLiteral("[%1, %2]").arg(sectionCursor).arg(itemCursor);
        if (options.Backwards)
            StepBackward(sectionCursor, itemCursor, options, ini);
        else
            StepForward(sectionCursor, itemCursor, options, ini);
        if (IsSentinel(sectionCursor))
            break;
    }
    Print(QStringLiteral(R"({"result": %1, "matches": [%2]})")
              .arg(matches.isEmpty() ? u"false" : u"true", matches.join(u", "))
          + u'\n');
    return KvExit::Ok;
}
