// diff and merge: comparing INI files by sections and items rather than by
// lines, and bringing one file's changes into another.
#include "clicommon.h"
#include "clijson.h"
#include "kvcompare.h"
#include "kvmerge.h"

#include <initializer_list>
#include <optional>

namespace {

const QString IgnoreCase = QStringLiteral("--ignore-case");
const QString WithComments = QStringLiteral("--with-comments");
const QString Json = QStringLiteral("--json");

TKvCompareOptions CompareOptions(const TKvArguments &args)
{
    TKvCompareOptions options;
    options.IgnoreCase = args.Has(IgnoreCase);
    options.WithComments = args.Has(WithComments);
    return options;
}

QString JsonOrNull(const QString *text)
{
    return text ? JsonString(*text) : QStringLiteral("null");
}

QString ValueJson(const TKvIniVal *val)
{
    return val ? JsonString(val->ValueView()) : QStringLiteral("null");
}

QString CommentJson(const TKvIniVal *val)
{
    return val ? JsonString(val->CommentView()) : QStringLiteral("null");
}

QString SectionCommentJson(const TKvIniSection *section)
{
    return JsonOrNull(section ? &section->Comment : nullptr);
}

// "section" and "occurrence", and for an item "key" and "key_occurrence".
QString IdentityJson(const TKvDifference &difference)
{
    QString out = QStringLiteral(R"("section": %1, "occurrence": %2)")
                      .arg(JsonString(difference.SectionName()))
                      .arg(difference.SectionOccurrence);
    if (!difference.IsSectionChange())
        out += QStringLiteral(R"(, "key": %1, "key_occurrence": %2)")
                   .arg(JsonString(difference.KeyName()))
                   .arg(difference.KeyOccurrence);
    return out;
}

// The names of the changes in the JSON records, in the order of TKvChange.
const char *const ChangeNames[] = {"added",         "removed",         "changed",
                                   "section-added", "section-removed", "section-changed"};

// A conflict's name in the JSON records and in the lines, by TKvConflict.
struct TConflictNames
{
    const char *Json;
    const char *Text;
};
const TConflictNames ConflictNames[] = {
    {"", ""},
    {"changed-on-both", "changed on both sides"},
    {"removed-by-mine", "removed in mine, changed in theirs"},
    {"removed-by-theirs", "changed in mine, removed in theirs"},
    {"added-on-both", "added on both sides"},
};

// One version of a changed section or item: its label in the JSON record
// ("old", "mine", ...) and its section and item, null where it lacks them.
struct TVersion
{
    const char *Label;
    const TKvIniSection *Section;
    const TKvIniVal *Val;
};

// The fields of the versions of one change: a section's comment as
// "<label>_comment" of each version; an item's value as "<label>" of each,
// then with comments its comment as "<label>_comment" of each.
QString VersionsJson(const TKvDifference &d, std::initializer_list<TVersion> versions,
                     const TKvCompareOptions &options)
{
    QString out;
    const auto field = [&out](const TVersion &version, QLatin1String suffix, const QString &json) {
        out += QStringLiteral(R"(, "%1%2": %3)").arg(QLatin1String(version.Label), suffix, json);
    };
    const QLatin1String comment("_comment");
    if (d.Change == TKvChange::SectionChanged) {
        for (const TVersion &version : versions)
            field(version, comment, SectionCommentJson(version.Section));
    } else if (!d.IsSectionChange()) {
        for (const TVersion &version : versions)
            field(version, QLatin1String(), ValueJson(version.Val));
        if (options.WithComments) {
            for (const TVersion &version : versions)
                field(version, comment, CommentJson(version.Val));
        }
    }
    return out;
}

QString DifferenceJson(const TKvDifference &d, const TKvCompareOptions &options)
{
    return QStringLiteral(R"({"change": "%1", %2)")
               .arg(QLatin1String(ChangeNames[int(d.Change)]), IdentityJson(d))
           + VersionsJson(d, {{"old", d.SectionA, d.ValA}, {"new", d.SectionB, d.ValB}}, options) + u'}';
}

QString Occurrence(qint32 occurrence)
{
    return occurrence > 0 ? QStringLiteral(" (occurrence %1)").arg(occurrence) : QString();
}

QString SectionTitle(const TKvDifference &d)
{
    const QStringView name = d.SectionName();
    const QString title =
        name.isEmpty() ? QStringLiteral("(before the first section)") : u'[' + name.toString() + u']';
    return title + Occurrence(d.SectionOccurrence);
}

// An item as a line would show it: name=value, with ;comment when compared.
QString ItemText(const TKvIniVal &val, const TKvCompareOptions &options)
{
    QString text = val.ValueView().toString();
    if (options.WithComments && !val.CommentView().isEmpty())
        text += QStringLiteral(" ;") + val.Comment();
    return text;
}

QString SectionCommentText(const TKvIniSection &section)
{
    return section.Comment.isEmpty() ? QStringLiteral("(no comment)") : u';' + section.Comment;
}

// The readable form: a line per section that has differences, then its
// items indented, "+" added, "-" removed, "~" changed (old -> new).
QString DifferencesText(const std::vector<TKvDifference> &differences, const TKvCompareOptions &options)
{
    QString out;
    const TKvDifference *group = nullptr;
    for (const TKvDifference &d : differences) {
        switch (d.Change) {
        case TKvChange::SectionAdded:
            out += QStringLiteral("+ %1\n").arg(SectionTitle(d));
            group = nullptr;
            continue;
        case TKvChange::SectionRemoved:
            out += QStringLiteral("- %1\n").arg(SectionTitle(d));
            group = nullptr;
            continue;
        default:
            break;
        }
        if (!group || group->SectionA != d.SectionA || group->SectionB != d.SectionB) {
            out += QStringLiteral("%1\n").arg(SectionTitle(d));
            group = &d;
        }
        const QString key =
            d.IsSectionChange() ? QString() : d.KeyName().toString() + Occurrence(d.KeyOccurrence);
        switch (d.Change) {
        case TKvChange::SectionChanged:
            out += QStringLiteral("  ~ comment: %1 -> %2\n")
                       .arg(SectionCommentText(*d.SectionA), SectionCommentText(*d.SectionB));
            break;
        case TKvChange::ItemAdded:
            out += QStringLiteral("  + %1 = %2\n").arg(key, ItemText(*d.ValB, options));
            break;
        case TKvChange::ItemRemoved:
            out += QStringLiteral("  - %1 = %2\n").arg(key, ItemText(*d.ValA, options));
            break;
        default:
            out += QStringLiteral("  ~ %1 = %2 -> %3\n")
                       .arg(key, ItemText(*d.ValA, options), ItemText(*d.ValB, options));
            break;
        }
    }
    return out;
}

QString ConflictJson(const TKvMergeStep &step, const TKvCompareOptions &options, bool decided)
{
    const TKvDifference &d = step.Change;
    QString out = QStringLiteral(R"({"conflict": "%1", %2)")
                      .arg(QLatin1String(ConflictNames[int(step.Conflict)].Json), IdentityJson(d))
                  + VersionsJson(d,
                                 {{"base", step.SectionBase, step.ValBase},
                                  {"mine", d.SectionA, d.ValA},
                                  {"theirs", d.SectionB, d.ValB}},
                                 options);
    if (decided)
        out += QStringLiteral(R"(, "resolved": "%1")").arg(step.TakeTheirs ? u"theirs" : u"mine");
    return out + u'}';
}

QString VersionText(const TKvIniVal *val, const TKvCompareOptions &options)
{
    return val ? u'"' + ItemText(*val, options) + u'"' : QStringLiteral("(none)");
}

QString ConflictText(const TKvMergeStep &step, const TKvCompareOptions &options, bool decided)
{
    const TKvDifference &d = step.Change;
    const QLatin1String what(ConflictNames[int(step.Conflict)].Text);
    QString text = QStringLiteral("conflict %1").arg(SectionTitle(d));
    if (d.Change == TKvChange::SectionChanged) {
        text += QStringLiteral(" comment: %1 (base %2, mine %3, theirs %4)")
                    .arg(what,
                         step.SectionBase ? SectionCommentText(*step.SectionBase) : QStringLiteral("(none)"),
                         SectionCommentText(*d.SectionA), SectionCommentText(*d.SectionB));
    } else if (d.IsSectionChange()) {
        text += QStringLiteral(": %1").arg(what);
    } else {
        text += QStringLiteral(" %1%2: %3 (base %4, mine %5, theirs %6)")
                    .arg(d.KeyName().toString(), Occurrence(d.KeyOccurrence), what,
                         VersionText(step.ValBase, options), VersionText(d.ValA, options),
                         VersionText(d.ValB, options));
    }
    if (decided)
        text += step.TakeTheirs ? QStringLiteral(": took theirs") : QStringLiteral(": kept mine");
    return text + u'\n';
}

// The conflicts of a plan, as JSON records or lines.
QString ConflictsOutput(const TKvMergePlan &plan, const TKvCompareOptions &options, bool json, bool decided)
{
    QString out;
    for (const TKvMergeStep &step : plan.Steps) {
        if (!step.IsConflict())
            continue;
        if (json)
            out += (out.isEmpty() ? QString() : QStringLiteral(", ")) + ConflictJson(step, options, decided);
        else
            out += ConflictText(step, options, decided);
    }
    return out;
}

} // namespace

int DiffCommand(const QStringList &argv)
{
    const TKvArguments args(argv, {QStringLiteral("--encoding")}, {Json, IgnoreCase, WithComments});
    args.Expect(2, 2);
    TKvMemIni a;
    TKvMemIni b;
    LoadForEdit(a, args.At(0), args);
    LoadForEdit(b, args.At(1), args);
    const TKvCompareOptions options = CompareOptions(args);
    const std::vector<TKvDifference> differences = KvCompare::Diff(a, b, options);
    if (args.Has(Json)) {
        QString out = QStringLiteral(R"({"equal": %1, "changes": [)")
                          .arg(differences.empty() ? QStringLiteral("true") : QStringLiteral("false"));
        for (size_t i = 0; i < differences.size(); ++i) {
            if (i > 0)
                out += QStringLiteral(", ");
            out += DifferenceJson(differences[i], options);
        }
        Print(out + QStringLiteral("]}\n"));
    } else if (!differences.empty()) {
        Print(QStringLiteral("--- %1\n+++ %2\n").arg(args.At(0), args.At(1))
              + DifferencesText(differences, options));
    }
    return differences.empty() ? KvExit::Ok : KvExit::Failure;
}

int MergeCommand(const QStringList &argv)
{
    const QString output = QStringLiteral("-o");
    const QString prefer = QStringLiteral("--prefer");
    const TKvArguments args(argv, {QStringLiteral("--encoding"), output, QStringLiteral("--output"), prefer},
                            {Json, IgnoreCase, WithComments, QStringLiteral("--lossy")});
    args.Expect(3, 3);
    const QString preferred = args.Option(prefer);
    if (args.Has(prefer) && preferred != u"mine" && preferred != u"theirs")
        throw TKvCliError::Usage(QStringLiteral("--prefer takes mine or theirs"));
    if (args.Has(output) && args.Has(QStringLiteral("--output")))
        throw TKvCliError::Usage(QStringLiteral("-o and --output name the same thing"));
    QString target = args.Has(output) ? args.Option(output) : args.Option(QStringLiteral("--output"));
    const bool inPlace = target.isEmpty();
    if (inPlace)
        target = args.At(1);

    // Written in place, MINE stays locked from before it is read until the
    // merged file has replaced it, as set, del and sort do.
    std::optional<TKvEditLock> lock;
    if (inPlace)
        lock.emplace(target);
    TKvMemIni base;
    TKvMemIni mine;
    TKvMemIni theirs;
    LoadForEdit(base, args.At(0), args);
    LoadForEdit(mine, args.At(1), args);
    LoadForEdit(theirs, args.At(2), args);

    const TKvCompareOptions options = CompareOptions(args);
    TKvMergePlan plan = KvMerge::Plan(base, mine, theirs, options);
    const qsizetype conflicts = plan.ConflictCount();
    const bool json = args.Has(Json);
    const bool decided = args.Has(prefer);
    if (conflicts > 0 && !decided) {
        if (json)
            Print(QStringLiteral(R"({"written": false, "conflicts": [%1]})"
                                 "\n")
                      .arg(ConflictsOutput(plan, options, true, false)));
        else
            Print(ConflictsOutput(plan, options, false, false));
        PrintError(QStringLiteral("%1 conflict(s); nothing was written (--prefer mine or --prefer theirs "
                                  "decides them)")
                       .arg(conflicts));
        return KvExit::Failure;
    }
    KvMerge::PreferTheirs(plan, preferred == u"theirs");
    const qsizetype taken = qsizetype(plan.Steps.size()) - (preferred == u"theirs" ? 0 : conflicts);
    // Reported before the merge changes MINE's items that the report shows.
    const QString decisions = ConflictsOutput(plan, options, json, true);
    KvMerge::Apply(mine, plan, options);
    // Nothing to bring in leaves MINE as it is; another output gets the copy.
    const bool write = taken > 0 || !inPlace;
    if (write) {
        mine.KeepLayout = true;
        if (lock)
            lock->RequireStillNamed();
        WriteDocument(mine, target, DefaultOutputEncoding(mine.Encoding), args);
    }
    if (json)
        Print(QStringLiteral(R"({"written": %1, "file": %2, "applied": %3, "conflicts": [%4]})"
                             "\n")
                  .arg(write ? QStringLiteral("true") : QStringLiteral("false"), JsonString(target))
                  .arg(taken)
                  .arg(decisions));
    else
        Print(decisions);
    return KvExit::Ok;
}
