#include "clicommon.h"

#include "kvlayoutwriter.h"
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

TKvArguments::TKvArguments(const QStringList &args, const QStringList &valueOptions, const QStringList &flags)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (valueOptions.contains(arg)) {
            if (i + 1 >= args.size())
                throw TKvCliError::Usage(arg + QStringLiteral(" needs a value"));
            m_options[arg] = args[++i];
        } else if (flags.contains(arg)) {
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

int Load(TKvMemIni &ini, const QString &fileName, const TKvArguments &args)
{
    const std::optional<quint32> encoding = ParseEncoding(args.Option(QStringLiteral("--encoding")), true);
    return encoding ? ini.LoadFromFile(fileName, *encoding) : ini.LoadFromFile(fileName);
}

int ReportRead(int result, const QString &fileName)
{
    if (result == KvReadResult::FileMissing) {
        PrintError(QStringLiteral("%1: File Does not exist").arg(fileName));
        return KvExit::FileMissing;
    }
    if (result == KvReadResult::Unparsable) {
        PrintError(QStringLiteral("%1: Error Reading File").arg(fileName));
        return KvExit::Unparsable;
    }
    // The core has shown its 32-bit message already.
    if (result == KvReadResult::Refused32Bit)
        return KvExit::Refused32Bit;
    return KvExit::Ok;
}

void LoadForEdit(TKvMemIni &ini, const QString &fileName, const TKvArguments &args)
{
    if (const int code = ReportRead(Load(ini, fileName, args), fileName))
        throw TKvCliError::Reported(code);
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
            PrintError(QStringLiteral("%1: %2 character(s) cannot be written in the code page %3 (%4); "
                                      "nothing was written. --lossy writes them as \"?\"%5")
                           .arg(fileName)
                           .arg(loss.Count)
                           .arg(KvTextCodec::CodePageName(KvTextCodec::SystemAnsiCodePage()),
                                loss.Examples.join(QStringLiteral(", ")),
                                outputChosen ? QStringLiteral(", --out 65001 writes UTF-8") : QString()));
            throw TKvCliError::Reported(KvExit::Lossy);
        }
    }
    ini.SaveToFile(fileName, encoding);
}

TKvEditLock::TKvEditLock(const QString &fileName)
{
    const QByteArray path = QFile::encodeName(fileName);
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

TKvEditLock::~TKvEditLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // releases the lock
}
