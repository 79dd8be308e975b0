#pragma once

#include "kvmemini.h"
#include "kvsearchoptions.h"

#include <QString>
#include <QStringList>

#include <map>
#include <optional>

// Exit codes of quillon-ini.
namespace KvExit {
constexpr int Ok = 0;
constexpr int Failure = 1;
constexpr int Usage = 2;
constexpr int FileMissing = 3;
constexpr int Unparsable = 4;
constexpr int NotOpened = 5;    // not a container, or the wrong password
constexpr int Refused32Bit = 6; // a UTF-32 file: not read, nothing written
constexpr int Lossy = 7;        // the code page cannot hold some characters (see --lossy)
} // namespace KvExit

// Why a command ends early, with the exit code it ends with. A usage error
// points to --help; an empty message means the reason was reported already.
class TKvCliError
{
public:
    static TKvCliError Usage(const QString &message)
    {
        return {KvExit::Usage, message + QStringLiteral(" (see --help)")};
    }
    static TKvCliError Failure(const QString &message) { return {KvExit::Failure, message}; }
    static TKvCliError Reported(int code) { return {code, QString()}; }

    int Code() const { return m_code; }
    const QString &Message() const { return m_message; }

private:
    TKvCliError(int code, const QString &message)
        : m_code(code)
        , m_message(message)
    {}

    int m_code;
    QString m_message;
};

void Print(const QString &text);
void PrintError(const QString &text);

// Command-line arguments: positional ones in order, options by name. Every
// command takes --hash-comments (the reading option of TKvMemIni).
class TKvArguments
{
public:
    TKvArguments(const QStringList &args, const QStringList &valueOptions, const QStringList &flags);

    const QString &At(qsizetype index) const { return m_positional[index]; }
    qsizetype Count() const { return m_positional.size(); }
    void Expect(qsizetype minimum, qsizetype maximum) const;
    bool Has(const QString &option) const { return m_options.count(option) != 0; }
    QString Option(const QString &option) const;

private:
    QStringList m_positional;
    std::map<QString, QString> m_options;
};

// Whether lines starting with "#" are comment lines (--hash-comments).
bool HashCommentsAsked(const TKvArguments &args);
// How a document is read as the command line asks (--hash-comments).
void ApplyReadingOptions(TKvMemIni &ini, const TKvArguments &args);
// The encoding named by an option; nullopt means detect.
std::optional<quint32> ParseEncoding(const QString &text, bool allowAuto);
// Reads a file as --encoding and --hash-comments ask; returns the read result.
int Load(TKvMemIni &ini, const QString &fileName, const TKvArguments &args);
// Exit code for a failed read, after saying why; KvExit::Ok when the read succeeded.
int ReportRead(int result, const QString &fileName);
// Reads a file for a command that works on it; a failed read is reported
// and ends the command (TKvCliError).
void LoadForEdit(TKvMemIni &ini, const QString &fileName, const TKvArguments &args);
// An advisory lock on a file, held from before it is read until the command
// ends (after its new content has been renamed over it), so that edits of one
// file by several commands run one after another and none is lost. Waits for
// the lock; when the file was replaced while waiting, locks the new one. A
// file that cannot be opened is not locked (the read reports why).
class TKvEditLock
{
public:
    // Refuses (TKvCliError::Failure) a path that names something other than a
    // regular file, before opening it: a FIFO would block or swallow the edit.
    explicit TKvEditLock(const QString &fileName);
    ~TKvEditLock();
    TKvEditLock(const TKvEditLock &) = delete;
    TKvEditLock &operator=(const TKvEditLock &) = delete;

    // Refuses (TKvCliError::Failure) when the name no longer names the file that
    // was locked and read: another program renamed a file over it.
    void RequireStillNamed() const;

private:
    QString m_fileName;
    int m_fd = -1;
};

// The five "where" flags of options from a list such as "SN,IV" (--where).
void ParseWhere(const QString &text, TSearchStruct &options);

// The encoding a document is written in when nothing else is asked for:
// ANSI and UTF-16 stay, anything else becomes UTF-8.
quint32 DefaultOutputEncoding(quint32 readEncoding);

// Takes --ansi-codepage N out of the arguments and makes N the system code
// page; a value that is not a selectable code page is a usage error. Returns
// whether the option was there.
bool ApplyAnsiCodePage(QStringList &args);
// Writes the document to a file. Refuses (exit code 6, after saying which
// characters) when the encoding would turn characters into "?", unless the
// command line has --lossy. outputChosen: the command takes --out (said in the message).
void WriteDocument(TKvMemIni &ini, const QString &fileName, quint32 encoding, const TKvArguments &args,
                   bool outputChosen = false);
// Writes an edited document over its file, still held by lock: lines the
// command did not touch as they were read, unless --normalise asks for the
// usual form throughout.
void WriteBack(TKvMemIni &ini, const TKvArguments &args, const TKvEditLock &lock);
// The flags of a command that writes back: --normalise, --lossy and these.
QStringList WriteFlags(QStringList flags = {});

// The commands; each returns the exit code.
int DumpCommand(const QStringList &argv);
int SaveCommand(const QStringList &argv);
int StatsCommand(const QStringList &argv);
int GetCommand(const QStringList &argv);
int SetCommand(const QStringList &argv);
int DelCommand(const QStringList &argv);
int SortCommand(const QStringList &argv);
int FindCommand(const QStringList &argv);
int ReplaceCommand(const QStringList &argv);
int EncryptCommand(const QStringList &argv);
int DecryptCommand(const QStringList &argv);
int InfoCommand(const QStringList &argv);
int DiffCommand(const QStringList &argv);
int MergeCommand(const QStringList &argv);

// Runs one command line (without the program name) and returns the exit code;
// every failure is reported on stderr, none escapes.
int RunQuillonIni(QStringList args);
