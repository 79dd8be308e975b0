// dump, save and stats: reading and writing whole documents.
#include "clicommon.h"
#include "clijson.h"

namespace {

QString CountsJson(const TKvIniCounts &c)
{
    return QStringLiteral(R"({"sections": %1, "values": %2, "comments": %3, "errors": %4, "blanks": %5})")
        .arg(c.Sections)
        .arg(c.Values)
        .arg(c.Comments)
        .arg(c.Errors)
        .arg(c.Blanks);
}

QString EntryJson(const TKvIniVal &val)
{
    return QStringLiteral(R"({"kind": %1, "name": %2, "value": %3, "comment": %4})")
        .arg(quint32(val.Kind()))
        .arg(JsonString(val.NameView()), JsonString(val.ValueView()), JsonString(val.CommentView()));
}

} // namespace

int DumpCommand(const QStringList &argv)
{
    const TKvArguments args(argv, {QStringLiteral("--encoding")}, {});
    args.Expect(1, 1);
    TKvMemIni ini;
    const int result = Load(ini, args.At(0), args);
    QString out =
        QStringLiteral(R"({"result": %1, "encoding": %2, "sections": [)").arg(result).arg(ini.Encoding);
    for (qint32 s = 0; s < ini.Sections.Count(); ++s) {
        const TKvIniSection &section = *ini.Sections[s];
        if (s > 0)
            out += u", ";
        out += QStringLiteral(R"({"name": %1, "comment": %2, "entries": [)")
                   .arg(JsonString(section.Name), JsonString(section.Comment));
        for (qint32 v = 0; v < section.Vals.Count(); ++v) {
            if (v > 0)
                out += u", ";
            out += EntryJson(*section.Vals[v]);
        }
        out += u"]}";
    }
    out += QStringLiteral(R"(], "counts": %1})").arg(CountsJson(ini.CountAll()));
    out += u'\n';
    Print(out);
    return ReportRead(result, args.At(0));
}

int StatsCommand(const QStringList &argv)
{
    const TKvArguments args(argv, {QStringLiteral("--encoding")}, {});
    args.Expect(1, 1);
    TKvMemIni ini;
    LoadForEdit(ini, args.At(0), args);
    Print(CountsJson(ini.CountAll()) + u'\n');
    return KvExit::Ok;
}

int SaveCommand(const QStringList &argv)
{
    const TKvArguments args(argv, {QStringLiteral("--encoding"), QStringLiteral("--out")},
                            {QStringLiteral("--keep-layout"), QStringLiteral("--lossy")});
    args.Expect(2, 2);
    TKvMemIni ini;
    LoadForEdit(ini, args.At(0), args);
    const std::optional<quint32> out = ParseEncoding(args.Option(QStringLiteral("--out")), false);
    ini.KeepLayout = args.Has(QStringLiteral("--keep-layout"));
    WriteDocument(ini, args.At(1), out.value_or(DefaultOutputEncoding(ini.Encoding)), args, true);
    return KvExit::Ok;
}
