// quillon-ini: the command table, the dispatch and the reporting of failures.
#include "clicommon.h"
#include "kvfileerror.h"
#include "kvplainmessage.h"
#include "quillon_version.h"

#include <QScopeGuard>

#include <cstdio>
#include <exception>
#include <functional>
#include <map>
#include <new>

namespace {

const char Usage[] = R"(Usage: quillon-ini COMMAND [ARGUMENTS]

Commands:
  dump FILE [--encoding E]            print the document as JSON
  save IN OUT [--encoding E] [--out E]
                                      read IN and write it to OUT
  stats FILE [--encoding E]           print the five counters as JSON
  get FILE SECTION [KEY]              print a value, or a whole section
  set FILE SECTION KEY VALUE [--comment C]
                                      set a value (adding the section or key)
  del FILE SECTION [KEY]              delete a key, or a whole section
  sort FILE --by name|value|count|comment [--descending]
            [--sections-only|--items-only]
                                      sort sections and items
  find FILE TEXT [--whole-words] [--case-sensitive] [--backward]
            [--where SN,SC,IN,IV,IC]  list every match as JSON
  encrypt IN OUT [--password-file F]  write IN as a password-protected file
  decrypt IN OUT [--password-file F]  write a password-protected file as UTF-8

Encodings: auto (detect, the default), 65001 (UTF-8), 0 (ANSI code page),
1200 (UTF-16 LE), 1201 (UTF-16 BE). Files are written back in the encoding
they were read with (ANSI and UTF-16 stay, anything else becomes UTF-8).
Passwords are read from the first line of standard input unless
--password-file names a file whose first line is the password.

Exit codes: 0 success, 1 I/O error or failed command, 2 usage error,
3 file does not exist, 4 text cannot be parsed, 5 not a password-protected
file or wrong password, 6 a UTF-32 file (not read, nothing written).
)";

using Command = std::function<int(const QStringList &)>;

const std::map<QString, Command> &Commands()
{
    static const std::map<QString, Command> commands = {
        {QStringLiteral("dump"), DumpCommand},       {QStringLiteral("save"), SaveCommand},
        {QStringLiteral("stats"), StatsCommand},     {QStringLiteral("get"), GetCommand},
        {QStringLiteral("set"), SetCommand},         {QStringLiteral("del"), DelCommand},
        {QStringLiteral("sort"), SortCommand},       {QStringLiteral("find"), FindCommand},
        {QStringLiteral("encrypt"), EncryptCommand}, {QStringLiteral("decrypt"), DecryptCommand},
    };
    return commands;
}

} // namespace

int RunQuillonIni(QStringList args)
{
    if (args.isEmpty() || args.first() == u"--help" || args.first() == u"-h") {
        std::fputs(Usage, args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? KvExit::Usage : KvExit::Ok;
    }
    if (args.first() == u"--version") {
        Print(QStringLiteral("quillon-ini %1\n").arg(QStringLiteral(QUILLON_VERSION)));
        return KvExit::Ok;
    }

    // The core's own messages (the 32-bit refusal) go to stderr like ours.
    const TKvPlainMessageHandler previous =
        SetPlainMessageHandler([](const QString &text) { PrintError(text); });
    const auto restore = qScopeGuard([&] { SetPlainMessageHandler(previous); });

    const QString name = args.takeFirst();
    const auto command = Commands().find(name);
    if (command == Commands().end()) {
        PrintError(QStringLiteral("unknown command %1 (see --help)").arg(name));
        return KvExit::Usage;
    }
    try {
        return command->second(args);
    } catch (const TKvUsageError &error) {
        PrintError(error.message + QStringLiteral(" (see --help)"));
        return KvExit::Usage;
    } catch (const TKvCommandError &error) {
        PrintError(error.message);
        return KvExit::Failure;
    } catch (const TKvExitRequest &request) {
        return request.code;
    } catch (const TKvFileError &error) {
        PrintError(error.FileName().isEmpty()
                       ? error.Message()
                       : QStringLiteral("%1: %2").arg(error.FileName(), error.Message()));
        return KvExit::Failure;
    } catch (const std::bad_alloc &) {
        PrintError(QStringLiteral("not enough memory"));
        return KvExit::Failure;
    } catch (const std::exception &error) {
        PrintError(QString::fromLocal8Bit(error.what()));
        return KvExit::Failure;
    }
}
