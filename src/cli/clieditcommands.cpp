// get, set, del and sort: scriptable edits through the core. Everything the
// command does not touch is written back as the writer keeps it.
#include "clicommon.h"
#include "kvfieldrule.h"

namespace {

TKvIniSection *FindSection(TKvMemIni &ini, const QString &name)
{
    const qint32 index = ini.IndexOfSectionName(name);
    return index >= 0 ? ini.Sections[index] : nullptr;
}

// The first value item of the section with exactly this name.
TKvIniVal *FindKey(const TKvIniSection &section, const QString &key)
{
    for (TKvIniVal *val : section.Vals) {
        if (val->Kind() == ikValue && val->NameView() == key)
            return val;
    }
    return nullptr;
}

TKvIniSection &RequireSection(TKvMemIni &ini, const QString &name)
{
    TKvIniSection *section = FindSection(ini, name);
    if (!section)
        throw TKvCliError::Failure(QStringLiteral("no section [%1] in %2").arg(name, ini.FileName));
    return *section;
}

TKvIniVal &RequireKey(const TKvMemIni &ini, const TKvIniSection &section, const QString &key)
{
    TKvIniVal *val = FindKey(section, key);
    if (!val)
        throw TKvCliError::Failure(
            QStringLiteral("no key %1 in section [%2] of %3").arg(key, section.Name, ini.FileName));
    return *val;
}

// Refuses a text that would not read back as given once written.
void RequireReadsBack(TKvField field, const QString &what, const QString &text, const TKvArguments &args)
{
    const QString problem = FieldProblem(field, text, HashCommentsAsked(args));
    if (!problem.isEmpty()) {
        PrintError(QStringLiteral("the %1 cannot be written as given: %2").arg(what, problem));
        throw TKvCliError::Reported(KvExit::Usage);
    }
}

// Spaces and tabs around a name, a value or a comment are not kept in a file
// (the reader drops them), so a text given with them is taken without, for
// finding as for storing, and the user is told.
QString GivenText(const QString &text, const QString &what)
{
    const QString taken = TrimmedFieldText(text).toString();
    if (taken.size() == text.size())
        return text;
    PrintError(QStringLiteral("the %1 \"%2\" is taken as \"%3\": spaces and tabs around it are not kept")
                   .arg(what, text, taken));
    return taken;
}

} // namespace

int GetCommand(const QStringList &argv)
{
    const TKvArguments args(argv, {QStringLiteral("--encoding")}, {});
    args.Expect(2, 3);
    TKvMemIni ini;
    LoadForEdit(ini, args.At(0), args);
    const TKvIniSection &section = RequireSection(ini, GivenText(args.At(1), QStringLiteral("section name")));
    if (args.Count() == 3)
        Print(RequireKey(ini, section, GivenText(args.At(2), QStringLiteral("key"))).Value() + u'\n');
    else
        Print(section.GetText(true).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    return KvExit::Ok;
}

int SetCommand(const QStringList &argv)
{
    const TKvArguments args(argv, {QStringLiteral("--encoding"), QStringLiteral("--comment")}, WriteFlags());
    args.Expect(4, 4);
    const QString name = GivenText(args.At(1), QStringLiteral("section name"));
    const QString key = GivenText(args.At(2), QStringLiteral("key"));
    const QString value = GivenText(args.At(3), QStringLiteral("value"));
    const QString comment = args.Option(QStringLiteral("--comment"));
    if (key.trimmed().isEmpty())
        throw TKvCliError::Usage(QStringLiteral("the key must not be empty"));
    RequireReadsBack(TKvField::SectionName, QStringLiteral("section name"), name, args);
    RequireReadsBack(TKvField::ItemName, QStringLiteral("key"), key, args);
    RequireReadsBack(TKvField::ItemValue, QStringLiteral("value"), value, args);
    RequireReadsBack(TKvField::ItemComment, QStringLiteral("comment"), comment, args);
    const TKvEditLock lock(args.At(0));
    TKvMemIni ini;
    LoadForEdit(ini, args.At(0), args);
    TKvIniSection *section = FindSection(ini, name);
    if (!section) {
        section = ini.AddSection(name);
        section->AddVal(u"", u"", u"");
    }
    if (TKvIniVal *val = FindKey(*section, key)) {
        val->SetValue(value);
        if (args.Has(QStringLiteral("--comment")))
            val->SetComment(comment);
    } else {
        section->InsertVal(section->NewItemIndex(), key, value, comment);
    }
    WriteBack(ini, args, lock);
    return KvExit::Ok;
}

int DelCommand(const QStringList &argv)
{
    const TKvArguments args(argv, {QStringLiteral("--encoding")}, WriteFlags());
    args.Expect(2, 3);
    const TKvEditLock lock(args.At(0));
    TKvMemIni ini;
    LoadForEdit(ini, args.At(0), args);
    TKvIniSection &section = RequireSection(ini, GivenText(args.At(1), QStringLiteral("section name")));
    if (args.Count() == 3)
        section.DeleteVal(&RequireKey(ini, section, GivenText(args.At(2), QStringLiteral("key"))));
    else
        ini.DeleteSection(&section);
    WriteBack(ini, args, lock);
    return KvExit::Ok;
}

int SortCommand(const QStringList &argv)
{
    const QString sectionsOnly = QStringLiteral("--sections-only");
    const QString itemsOnly = QStringLiteral("--items-only");
    const TKvArguments args(argv, {QStringLiteral("--encoding"), QStringLiteral("--by")},
                            WriteFlags({QStringLiteral("--descending"), sectionsOnly, itemsOnly}));
    args.Expect(1, 1);
    const QString by = args.Option(QStringLiteral("--by"));
    const std::map<QString, TKvSortKey> keys = {{QStringLiteral("name"), skName},
                                                {QStringLiteral("value"), skValue},
                                                {QStringLiteral("count"), skCount},
                                                {QStringLiteral("comment"), skComment}};
    const auto key = keys.find(by);
    if (key == keys.end())
        throw TKvCliError::Usage(QStringLiteral("--by takes name, value, count or comment"));
    if (args.Has(sectionsOnly) && args.Has(itemsOnly))
        throw TKvCliError::Usage(QStringLiteral("--sections-only and --items-only exclude each other"));

    const TKvEditLock lock(args.At(0));
    TKvMemIni ini;
    LoadForEdit(ini, args.At(0), args);
    const bool ascending = !args.Has(QStringLiteral("--descending"));
    if (args.Has(sectionsOnly)) {
        ini.SortSections(key->second, ascending);
    } else if (args.Has(itemsOnly)) {
        for (TKvIniSection *section : ini.Sections)
            section->SortVals(key->second, ascending);
    } else {
        ini.SortAll(key->second, ascending);
    }
    WriteBack(ini, args, lock);
    return KvExit::Ok;
}
