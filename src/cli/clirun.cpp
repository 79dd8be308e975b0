// quillon-ini: the command table, the dispatch and the reporting of failures.
#include "clicommon.h"
#include "kvfileerror.h"
#include "kvplainmessage.h"
#include "kvtextcodec.h"
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
  save IN OUT [--encoding E] [--out E] [--keep-layout] [--lossy]
                                      read IN and write it to OUT
  stats FILE [--encoding E]           print the five counters as JSON
  get FILE SECTION [KEY]              print a value, or a whole section
  set FILE SECTION KEY VALUE [--comment C] [--normalise] [--lossy]
                                      set a value (adding the section or key)
  del FILE SECTION [KEY] [--normalise] [--lossy]
                                      delete a key, or a whole section
  sort FILE --by name|value|count|comment [--descending]
            [--sections-only|--items-only] [--normalise] [--lossy]
                                      sort sections and items
  find FILE TEXT [--whole-words] [--case-sensitive] [--backward]
            [--where SN,SC,IN,IV,IC]  list every match as JSON
  replace FILE TEXT NEW [--where SN,SC,IN,IV,IC] [--whole-words]
            [--case-sensitive] [--dry-run] [--normalise] [--lossy]
                                      replace every match of TEXT with NEW
                                      (as find matches) and print how many;
                                      --dry-run lists each change and writes
                                      nothing. Exit 0 replaced, 1 nothing
                                      matched, 2 a replacement would not read
                                      back as written (nothing replaced)
  encrypt IN OUT [--password-file F] [--format strong|legacy]
                                      write IN as a password-protected file
                                      (strong: Argon2id + XChaCha20-Poly1305,
                                      the default; legacy: for older versions)
  decrypt IN OUT [--password-file F]  write a password-protected file as UTF-8
  info FILE                           say whether FILE is a strong or legacy
                                      password-protected file
  diff A B [--json] [--ignore-case] [--with-comments]
                                      the differences by meaning: sections and
                                      items by name and occurrence, values as
                                      read (exit 0 equal, 1 different)
  merge BASE MINE THEIRS [-o OUT] [--prefer mine|theirs] [--json]
                                      bring THEIRS' changes since BASE into MINE
                                      (in place by default, keeping its layout);
                                      a conflict writes nothing (exit 1)

--hash-comments, with any command, reads a line whose first character other
than spaces and tabs is "#" as a comment line (as one starting with ";"), and
writes it back with "#"; without it such a line is an item or an error line.

Encodings: auto (detect, the default), 65001 (UTF-8), 0 (ANSI code page),
1200 (UTF-16 LE), 1201 (UTF-16 BE). Files are written back in the encoding
they were read with (ANSI and UTF-16 stay, anything else becomes UTF-8).

The ANSI code page is the locale's character set: UTF-8 (65001) on UTF-8,
C and POSIX locales, else the Windows code page of the locale's language.
--ansi-codepage N, with any command, chooses it: 874, 932, 936, 949, 950,
1250 to 1258, or 65001.
%1

set, del, sort and replace write every line they did not change exactly as
it was read, and changed and new lines with the line end the file mostly uses;
--normalise writes the whole file in the usual form instead (CR LF line ends,
no blanks around "=", an empty line after each section). save writes the
usual form unless --keep-layout is given.

A file is not written when its code page cannot hold some of its characters;
--lossy writes each of them as "?".

Passwords are read from the first line of standard input unless
--password-file names a file whose first line is the password.

Exit codes: 0 success, 1 I/O error or failed command, 2 usage error,
3 file does not exist, 4 text cannot be parsed, 5 not a password-protected
file or wrong password, 6 a UTF-32 file (not read, nothing written),
7 characters the code page cannot hold (nothing written).
)";

// The usage text with the code page in use.
QString UsageText(bool chosen)
{
    const quint32 inUse = KvTextCodec::SystemAnsiCodePage();
    const QString line =
        QStringLiteral("In use now: %1 (%2), %3.")
            .arg(inUse)
            .arg(KvTextCodec::CodePageName(inUse),
                 chosen ? QStringLiteral("chosen with --ansi-codepage") : QStringLiteral("from the locale"));
    return QString::fromUtf8(Usage).arg(line);
}

using Command = std::function<int(const QStringList &)>;

const std::map<QString, Command> &Commands()
{
    static const std::map<QString, Command> commands = {
        {QStringLiteral("dump"), DumpCommand},       {QStringLiteral("save"), SaveCommand},
        {QStringLiteral("stats"), StatsCommand},     {QStringLiteral("get"), GetCommand},
        {QStringLiteral("set"), SetCommand},         {QStringLiteral("del"), DelCommand},
        {QStringLiteral("sort"), SortCommand},       {QStringLiteral("find"), FindCommand},
        {QStringLiteral("encrypt"), EncryptCommand}, {QStringLiteral("decrypt"), DecryptCommand},
        {QStringLiteral("info"), InfoCommand},       {QStringLiteral("replace"), ReplaceCommand},
        {QStringLiteral("diff"), DiffCommand},       {QStringLiteral("merge"), MergeCommand},
    };
    return commands;
}

} // namespace

int RunQuillonIni(QStringList args)
{
    bool codePageChosen = false;
    try {
        codePageChosen = ApplyAnsiCodePage(args);
    } catch (const TKvCliError &error) {
        PrintError(error.Message());
        return error.Code();
    }
    // A run in-process leaves the code page as it found it.
    const auto restoreCodePage = qScopeGuard([codePageChosen] {
        if (codePageChosen)
            KvTextCodec::SetSystemAnsiCodePage(0);
    });
    // Like --ansi-codepage, --hash-comments may come before the command too.
    const QString hashComments = QStringLiteral("--hash-comments");
    qsizetype leading = 0;
    while (!args.isEmpty() && args.first() == hashComments) {
        args.removeFirst();
        ++leading;
    }
    if (leading > 0 && !args.isEmpty())
        args.insert(1, hashComments);
    if (args.isEmpty() || args.first() == u"--help" || args.first() == u"-h") {
        std::fputs(qPrintable(UsageText(codePageChosen)), args.isEmpty() ? stderr : stdout);
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
    } catch (const TKvCliError &error) {
        if (!error.Message().isEmpty())
            PrintError(error.Message());
        return error.Code();
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
