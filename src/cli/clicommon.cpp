#include "clicommon.h"

#include "kvlayoutwriter.h"
#include "kvsafesave.h"
#include "kvtextcodec.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {
const QString HashCommentsFlag = QStringLiteral("--hash-comments");
} // namespace

TKvArguments::TKvArguments(const QStringList &args, const QStringList &valueOptions, const QStringList &flags)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (valueOptions.contains(arg)) {
            if (i + 1 >= args.size())
                throw TKvCliError::Usage(arg + QStringLiteral(" needs a value"));
            m_options[arg] = args[++i];
        } else if (flags.contains(arg) || arg == HashCommentsFlag) {
            m_options[arg] = QString();
        } else if (arg.startsWith(u"--") && arg.size() > 2) {
            throw TKvCliError::Usage(QStringLiteral("unknown option ") + arg);
        } else {
            m_positional << arg;
        }
    }
}

void TKvArguments::Expect(qsizetype minimum, qsizetype maximum) const
{
    if (Count() < minimum || Count() > maximum)
        throw TKvCliError::Usage(QStringLiteral("wrong number of arguments"));
}

QString TKvArguments::Option(const QString &option) const
{
    const auto it = m_options.find(option);
    return it == m_options.end() ? QString() : it->second;
}

std::optional<quint32> ParseEncoding(const QString &text, bool allowAuto)
{
    if (text.isEmpty() || (allowAuto && text == u"auto"))
        return std::nullopt;
    for (quint32 code : {KvEncoding::Utf8, KvEncoding::Ansi, KvEncoding::Utf16LE, KvEncoding::Utf16BE}) {
        if (text == QString::number(code))
            return code;
    }
    throw TKvCliError::Usage(QStringLiteral("unknown encoding ") + text);
}

bool HashCommentsAsked(const TKvArguments &args)
{
    return args.Has(HashCommentsFlag);
}

void ApplyReadingOptions(TKvMemIni &ini, const TKvArguments &args)
{
    ini.HashComments = HashCommentsAsked(args);
}

int Load(TKvMemIni &ini, const QString &fileName, const TKvArguments &args)
{
    ApplyReadingOptions(ini, args);
    const std::optional<quint32> encoding = ParseEncoding(args.Option(QStringLiteral("--encoding")), true);
    return encoding ? ini.LoadFromFile(fileName, *encoding) : ini.LoadFromFile(fileName);
}

int ReportRead(int result, const QString &fileName)
{
    if (const QString backup = InterruptedSaveBackup(fileName); !backup.isEmpty()) {
        PrintError(
            QStringLiteral("%1: an earlier save of this file was interrupted; its old content is in %2")
                .arg(fileName, backup));
    }
    if (result == lrFileMissing) {
        PrintError(QStringLiteral("%1: File Does not exist").arg(fileName));
        return KvExit::FileMissing;
    }
    if (result == lrUnparsable) {
        PrintError(QStringLiteral("%1: Error Reading File").arg(fileName));
        return KvExit::Unparsable;
    }
    // The core has shown its 32-bit message already.
    if (result == lrRefused32Bit)
        return KvExit::Refused32Bit;
    return KvExit::Ok;
}

void LoadForEdit(TKvMemIni &ini, const QString &fileName, const TKvArguments &args)
{
    if (const int code = ReportRead(Load(ini, fileName, args), fileName))
        throw TKvCliError::Reported(code);
}

void ParseWhere(const QString &text, TSearchStruct &options)
{
    options.SectionNames = options.SectionComments = false;
    options.ItemNames = options.ItemValues = options.ItemComments = false;
    const std::map<QString, bool TSearchStruct::*> flags = {
        {QStringLiteral("SN"), &TSearchStruct::SectionNames},
        {QStringLiteral("SC"), &TSearchStruct::SectionComments},
        {QStringLiteral("IN"), &TSearchStruct::ItemNames},
        {QStringLiteral("IV"), &TSearchStruct::ItemValues},
        {QStringLiteral("IC"), &TSearchStruct::ItemComments},
    };
    for (const QString &part : text.split(u',', Qt::SkipEmptyParts)) {
        const auto flag = flags.find(part.trimmed().toUpper());
        if (flag == flags.end())
            throw TKvCliError::Usage(QStringLiteral("--where takes SN, SC, IN, IV and IC"));
        options.*(flag->second) = true;
    }
}

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

bool ApplyAnsiCodePage(QStringList &args)
{
    const QString option = QStringLiteral("--ansi-codepage");
    bool found = false;
    for (qsizetype i = args.indexOf(option); i >= 0; i = args.indexOf(option)) {
        if (i + 1 >= args.size())
            throw TKvCliError::Usage(option + QStringLiteral(" needs a value"));
        bool ok = false;
        const quint32 codePage = args[i + 1].toUInt(&ok);
        if (!ok || !KvTextCodec::SelectableCodePages().contains(codePage))
            throw TKvCliError::Usage(QStringLiteral("unknown code page ") + args[i + 1]);
        KvTextCodec::SetSystemAnsiCodePage(codePage);
        args.remove(i, 2);
        found = true;
    }
    return found;
}

void WriteDocument(TKvMemIni &ini, const QString &fileName, quint32 encoding, const TKvArguments &args,
                   bool outputChosen)
{
    if (!args.Has(QStringLiteral("--lossy"))) {
        const KvTextCodec::TKvEncodingLoss loss = SaveEncodingLoss(ini, encoding);
        if (loss.Count > 0) {
            const bool utf16 = encoding == KvEncoding::Utf16LE || encoding == KvEncoding::Utf16BE;
            const QString target = utf16 ? QStringLiteral("UTF-16 (bytes that were not text when read)")
                                         : QStringLiteral("the code page ")
                                               + KvTextCodec::CodePageName(KvTextCodec::SystemAnsiCodePage());
            PrintError(QStringLiteral("%1: %2 character(s) cannot be written in %3 (%4); "
                                      "nothing was written. --lossy writes them as \"%5\"%6")
                           .arg(fileName)
                           .arg(loss.Count)
                           .arg(target, loss.Examples.join(QStringLiteral(", ")),
                                utf16 ? QStringLiteral("\uFFFD") : QStringLiteral("?"),
                                outputChosen ? QStringLiteral(", --out 65001 writes UTF-8") : QString()));
            throw TKvCliError::Reported(KvExit::Lossy);
        }
    }
    ini.SaveToFile(fileName, encoding);
}

void WriteBack(TKvMemIni &ini, const TKvArguments &args, const TKvEditLock &lock)
{
    lock.RequireStillNamed();
    ini.KeepLayout = !args.Has(QStringLiteral("--normalise"));
    WriteDocument(ini, ini.FileName, DefaultOutputEncoding(ini.Encoding), args);
}

QStringList WriteFlags(QStringList flags)
{
    return flags << QStringLiteral("--normalise") << QStringLiteral("--lossy");
}

TKvEditLock::TKvEditLock(const QString &fileName)
    : m_fileName(fileName)
{
    const QByteArray path = QFile::encodeName(fileName);
    struct stat named;
    if (::stat(path.constData(), &named) != 0) {
        if (errno == ENOENT)
            return; // the read says so
        throw TKvCliError::Failure(QStringLiteral("%1: %2").arg(fileName, qt_error_string(errno)));
    }
    if (!S_ISREG(named.st_mode)) {
        throw TKvCliError::Failure(
            QStringLiteral("%1: not a regular file; only regular files are edited in place").arg(fileName));
    }
    for (;;) {
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return;
        int locked;
        do
            locked = ::flock(fd, LOCK_EX);
        while (locked != 0 && errno == EINTR);
        struct stat held;
        struct stat now;
        // Locked the file that the name still names: done. Otherwise a save
        // replaced it while this one waited; lock the new file.
        if (locked != 0
            || (::fstat(fd, &held) == 0 && ::stat(path.constData(), &now) == 0 && held.st_dev == now.st_dev
                && held.st_ino == now.st_ino)) {
            m_fd = locked == 0 ? fd : -1;
            if (locked != 0)
                ::close(fd);
            return;
        }
        ::close(fd);
    }
}

void TKvEditLock::RequireStillNamed() const
{
    if (m_fd < 0)
        return;
    struct stat held;
    struct stat now;
    if (::fstat(m_fd, &held) == 0 && ::stat(QFile::encodeName(m_fileName).constData(), &now) == 0
        && held.st_dev == now.st_dev && held.st_ino == now.st_ino)
        return;
    throw TKvCliError::Failure(
        QStringLiteral("%1: replaced by another program during the edit; nothing was written")
            .arg(m_fileName));
}

TKvEditLock::~TKvEditLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // releases the lock
}
