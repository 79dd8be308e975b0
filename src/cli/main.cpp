// quillon-ini: reads, writes and inspects INI files with the document core.
#include "clijson.h"
#include "kvfileerror.h"
#include "kvmemini.h"
#include "quillon_version.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <functional>
#include <map>
#include <optional>

namespace {

constexpr int ExitOk = 0;
constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;
constexpr int ExitFileMissing = 3;
constexpr int ExitUnparsable = 4;

const char Usage[] = R"(Usage: quillon-ini COMMAND [ARGUMENTS]

Commands:
  dump FILE [--encoding E]            print the document as JSON
  save IN OUT [--encoding E] [--out E]
                                      read IN and write it to OUT
  stats FILE [--encoding E]           print the five counters

Encodings: auto (detect, the default), 65001 (UTF-8), 0 (ANSI code page),
1200 (UTF-16 LE), 1201 (UTF-16 BE). The output encoding of save defaults to
the one read (ANSI and UTF-16 stay, anything else becomes UTF-8).

Exit codes: 0 success, 1 I/O error or failed command, 2 usage error,
3 file does not exist, 4 text cannot be parsed.
)";

void Print(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

void PrintError(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fprintf(stderr, "quillon-ini: %s\n", bytes.constData());
}

struct UsageError
{
    QString message;
};

// Command-line arguments: positional ones in order, options by name.
class Arguments
{
public:
    Arguments(const QStringList &args, const QStringList &valueOptions, const QStringList &flags)
    {
        for (qsizetype i = 0; i < args.size(); ++i) {
            const QString &arg = args[i];
            if (valueOptions.contains(arg)) {
                if (i + 1 >= args.size())
                    throw UsageError{arg + QStringLiteral(" needs a value")};
                m_options[arg] = args[++i];
            } else if (flags.contains(arg)) {
                m_options[arg] = QString();
            } else if (arg.startsWith(u"--") && arg.size() > 2) {
                throw UsageError{QStringLiteral("unknown option ") + arg};
            } else {
                m_positional << arg;
            }
        }
    }

    const QString &At(qsizetype index) const { return m_positional[index]; }
    qsizetype Count() const { return m_positional.size(); }
    void Expect(qsizetype minimum, qsizetype maximum) const
    {
        if (Count() < minimum || Count() > maximum)
            throw UsageError{QStringLiteral("wrong number of arguments")};
    }
    bool Has(const QString &option) const { return m_options.count(option) != 0; }
    QString Option(const QString &option) const
    {
        const auto it = m_options.find(option);
        return it == m_options.end() ? QString() : it->second;
    }

private:
    QStringList m_positional;
    std::map<QString, QString> m_options;
};

// The encoding named by an option; nullopt means detect.
std::optional<quint32> ParseEncoding(const QString &text, bool allowAuto)
{
    if (text.isEmpty() || (allowAuto && text == u"auto"))
        return std::nullopt;
    for (quint32 code : {KvEncoding::Utf8, KvEncoding::Ansi, KvEncoding::Utf16LE, KvEncoding::Utf16BE}) {
        if (text == QString::number(code))
            return code;
    }
    throw UsageError{QStringLiteral("unknown encoding ") + text};
}

int Load(TKvMemIni &ini, const QString &fileName, const Arguments &args)
{
    const std::optional<quint32> encoding = ParseEncoding(args.Option(QStringLiteral("--encoding")), true);
    return encoding ? ini.LoadFromFile(fileName, *encoding) : ini.LoadFromFile(fileName);
}

// Exit code for a failed read, after saying why; ExitOk when the read succeeded.
int ReportRead(int result, const QString &fileName)
{
    if (result == KvReadResult::FileMissing) {
        PrintError(QStringLiteral("%1: File Does not exist").arg(fileName));
        return ExitFileMissing;
    }
    if (result == KvReadResult::Unparsable) {
        PrintError(QStringLiteral("%1: Error Reading File").arg(fileName));
        return ExitUnparsable;
    }
    return ExitOk;
}

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

int Dump(const QStringList &argv)
{
    const Arguments args(argv, {QStringLiteral("--encoding")}, {});
    args.Expect(1, 1);
    TKvMemIni ini;
    const int result = Load(ini, args.At(0), args);
    QString out = QStringLiteral(R"({"result": %1, "encoding": %2, "sections": [)")
                      .arg(result)
                      .arg(ini.Encoding);
    for (qint32 s = 0; s < ini.Sections.Count; ++s) {
        const TKvIniSection &section = *ini.Sections[s];
        if (s > 0)
            out += u", ";
        out += QStringLiteral(R"({"name": %1, "comment": %2, "entries": [)")
                   .arg(JsonString(section.Name), JsonString(section.Comment));
        for (qint32 v = 0; v < section.Vals.Count; ++v) {
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

int Stats(const QStringList &argv)
{
    const Arguments args(argv, {QStringLiteral("--encoding")}, {});
    args.Expect(1, 1);
    TKvMemIni ini;
    const int result = Load(ini, args.At(0), args);
    if (const int code = ReportRead(result, args.At(0)))
        return code;
    Print(CountsJson(ini.CountAll()) + u'\n');
    return ExitOk;
}

// The encoding a document is written in when nothing else is asked for.
quint32 DefaultOutputEncoding(quint32 readEncoding)
{
    switch (readEncoding) {
    case KvEncoding::Ansi:
    case KvEncoding::Utf16LE:
    case KvEncoding::Utf16BE:
        return readEncoding;
    default:
        return KvEncoding::Utf8;
    }
}

int Save(const QStringList &argv)
{
    const Arguments args(argv, {QStringLiteral("--encoding"), QStringLiteral("--out")}, {});
    args.Expect(2, 2);
    TKvMemIni ini;
    if (const int code = ReportRead(Load(ini, args.At(0), args), args.At(0)))
        return code;
    const std::optional<quint32> out = ParseEncoding(args.Option(QStringLiteral("--out")), false);
    ini.SaveToFile(args.At(1), out.value_or(DefaultOutputEncoding(ini.Encoding)));
    return ExitOk;
}

using Command = std::function<int(const QStringList &)>;

const std::map<QString, Command> &Commands()
{
    static const std::map<QString, Command> commands = {
        {QStringLiteral("dump"), Dump},
        {QStringLiteral("save"), Save},
        {QStringLiteral("stats"), Stats},
    };
    return commands;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillon-ini"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLON_VERSION));

    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty() || args.first() == u"--help" || args.first() == u"-h") {
        std::fputs(Usage, args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? ExitUsage : ExitOk;
    }
    if (args.first() == u"--version") {
        Print(QStringLiteral("quillon-ini %1\n").arg(QStringLiteral(QUILLON_VERSION)));
        return ExitOk;
    }

    const QString name = args.takeFirst();
    const auto command = Commands().find(name);
    if (command == Commands().end()) {
        PrintError(QStringLiteral("unknown command %1 (see --help)").arg(name));
        return ExitUsage;
    }
    try {
        return command->second(args);
    } catch (const UsageError &error) {
        PrintError(error.message + QStringLiteral(" (see --help)"));
        return ExitUsage;
    } catch (const TKvFileError &error) {
        PrintError(QStringLiteral("%1: %2").arg(error.FileName(), error.Message()));
        return ExitFailure;
    }
}
