// replace: Replace All from the command line, as one edit of the file.
#include "clicommon.h"
#include "clijson.h"
#include "kvreplace.h"

namespace {

// Exit codes of replace besides those every command has.
constexpr int NothingMatched = 1;
constexpr int Refused = 2;

// One change: its position as find gives it, the section's name, the text and
// the old and new text, such as: [1, 0] [a] IV: "hello world" -> "hello there"
QString Describe(const TKvMemIni &ini, const TKvReplacement &change)
{
    return QStringLiteral("[%1, %2] [%3] %4: %5 -> %6")
        .arg(change.Section)
        .arg(change.Entry)
        .arg(ini.Sections[change.Section]->Name, PlaceCode(change.Field), JsonString(change.Old),
             JsonString(change.New));
}

} // namespace

int ReplaceCommand(const QStringList &argv)
{
    const QString dryRun = QStringLiteral("--dry-run");
    const TKvArguments args(
        argv, {QStringLiteral("--encoding"), QStringLiteral("--where")},
        WriteFlags({QStringLiteral("--whole-words"), QStringLiteral("--case-sensitive"), dryRun}));
    args.Expect(3, 3);
    TSearchStruct options;
    options.WholeWords = args.Has(QStringLiteral("--whole-words"));
    options.CaseSensitive = args.Has(QStringLiteral("--case-sensitive"));
    if (args.Has(QStringLiteral("--where")))
        ParseWhere(args.Option(QStringLiteral("--where")), options);

    // A dry run only reads: it neither waits for nor holds the lock.
    std::optional<TKvEditLock> lock;
    if (!args.Has(dryRun))
        lock.emplace(args.At(0));
    TKvMemIni ini;
    LoadForEdit(ini, args.At(0), args);
    const TKvReplacePlan plan = PlanReplace(ini, args.At(1), options, args.At(2));

    if (!plan.CanApply()) {
        for (const TKvReplacement &change : plan.Changes) {
            if (!change.Problem.isEmpty())
                PrintError(
                    QStringLiteral("%1 cannot be written: %2").arg(Describe(ini, change), change.Problem));
        }
        PrintError(QStringLiteral("nothing was replaced"));
        return Refused;
    }
    const qsizetype count = plan.Occurrences();
    const QString texts =
        QStringLiteral("%1 text%2").arg(plan.Changes.size()).arg(plan.Changes.size() == 1 ? "" : "s");
    if (args.Has(dryRun)) {
        for (const TKvReplacement &change : plan.Changes)
            Print(Describe(ini, change) + u'\n');
        Print(QStringLiteral("%1 to replace in %2; nothing written (--dry-run)\n").arg(count).arg(texts));
        return count > 0 ? KvExit::Ok : NothingMatched;
    }
    if (count == 0) {
        Print(QStringLiteral("0 replaced\n"));
        return NothingMatched;
    }
    ApplyReplace(ini, plan);
    WriteBack(ini, args, *lock);
    Print(QStringLiteral("%1 replaced in %2\n").arg(count).arg(texts));
    return KvExit::Ok;
}
