// encrypt and decrypt: the password-protected file.
#include "clicommon.h"
#include "kvcontainer.h"
#include "kvsafesave.h"

#include <QFile>

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

namespace {

constexpr qsizetype MinimumPasswordLength = 5;
constexpr qsizetype MaximumPasswordBytes = 4096;

// The first line of a file or of standard input, without its line end.
QString ReadPassword(const TKvArguments &args)
{
    const QString passwordFile = args.Option(QStringLiteral("--password-file"));
    QByteArray line;
    // Read no further than a password can be long: /dev/zero has no line end.
    const auto tooLong = [&] {
        return TKvCliError::Failure(
            QStringLiteral("%1: the password line is longer than %2 bytes")
                .arg(passwordFile.isEmpty() ? QStringLiteral("standard input") : passwordFile)
                .arg(MaximumPasswordBytes));
    };
    if (!passwordFile.isEmpty()) {
        QFile file(passwordFile);
        if (!file.open(QIODevice::ReadOnly))
            throw TKvCliError::Failure(QStringLiteral("%1: %2").arg(passwordFile, file.errorString()));
        line = file.readLine(MaximumPasswordBytes + 3); // room for CR LF and one byte too many
    } else {
        int c;
        while (line.size() <= MaximumPasswordBytes + 2 && (c = std::getchar()) != EOF && c != '\n')
            line.append(char(c));
    }
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    if (line.size() > MaximumPasswordBytes) {
        WipeSecret(line);
        throw tooLong();
    }
    QString password = QString::fromUtf8(line);
    WipeSecret(line);
    return password;
}

QString FormatName(TKvContainerFormat format)
{
    return format == TKvContainerFormat::Strong ? QStringLiteral("strong") : QStringLiteral("legacy");
}

// The result, and the container's format when one was read or written.
QString ResultJson(int result, std::optional<TKvContainerFormat> format = std::nullopt)
{
    QString value = QString::number(result);
    if (result == lrNotContainer)
        value = QStringLiteral("\"lrNotContainer\"");
    else if (result == lrWrongPassword)
        value = QStringLiteral("\"lrWrongPassword\"");
    if (format)
        return QStringLiteral(R"({"result": %1, "format": "%2"})").arg(value, FormatName(*format)) + u'\n';
    return QStringLiteral(R"({"result": %1})").arg(value) + u'\n';
}

} // namespace

int EncryptCommand(const QStringList &argv)
{
    const TKvArguments args(argv, {QStringLiteral("--password-file"), QStringLiteral("--format")}, {});
    args.Expect(2, 2);
    const QString formatName = args.Has(QStringLiteral("--format")) ? args.Option(QStringLiteral("--format"))
                                                                    : QStringLiteral("strong");
    if (formatName != u"strong" && formatName != u"legacy")
        throw TKvCliError::Usage(QStringLiteral("--format takes strong or legacy"));
    const TKvContainerFormat format =
        formatName == u"strong" ? TKvContainerFormat::Strong : TKvContainerFormat::Legacy;
    const TKvSecretText password(ReadPassword(args));
    // As the editor asks of a new password.
    if (password.Text().size() < MinimumPasswordLength) {
        PrintError(
            QStringLiteral("the password must have at least %1 characters").arg(MinimumPasswordLength));
        return KvExit::Usage;
    }
    TKvMemIni ini;
    ApplyReadingOptions(ini, args);
    const int result = ini.LoadFromFile(args.At(0));
    if (const int code = ReportRead(result, args.At(0)))
        return code;
    SaveEncrypted(ini, args.At(1), password.Text(), format);
    Print(ResultJson(result, format));
    return KvExit::Ok;
}

int DecryptCommand(const QStringList &argv)
{
    const TKvArguments args(argv, {QStringLiteral("--password-file")}, {});
    args.Expect(2, 2);
    TKvSecretText password(ReadPassword(args));
    TKvMemIni ini;
    ApplyReadingOptions(ini, args);
    TKvContainerFormat format = TKvContainerFormat::Strong;
    const int result = LoadEncrypted(ini, args.At(0), password.Text(), &format);
    password.Clear();
    Print(result >= 0 ? ResultJson(result, format) : ResultJson(result));
    if (result == lrNotContainer) {
        PrintError(QStringLiteral("%1: not a password-protected file").arg(args.At(0)));
        return KvExit::NotOpened;
    }
    if (result == lrWrongPassword) {
        PrintError(QStringLiteral("%1: wrong password; nothing was written").arg(args.At(0)));
        return KvExit::NotOpened;
    }
    if (const int code = ReportRead(result, args.At(0)))
        return code;
    // The plain text is created readable by its owner only.
    SafeSaveFile(
        args.At(1), [&](QIODevice &file) { ini.SaveToStream(file, KvEncoding::Utf8); }, 0600);
    return KvExit::Ok;
}

// What a file is, read without a password: a strong or a legacy container, or
// neither (then an INI text, if anything).
int InfoCommand(const QStringList &argv)
{
    const TKvArguments args(argv, {}, {});
    args.Expect(1, 1);
    QFile file(args.At(0));
    if (!file.exists()) {
        PrintError(QStringLiteral("%1: File Does not exist").arg(args.At(0)));
        return KvExit::FileMissing;
    }
    if (!file.open(QIODevice::ReadOnly))
        throw TKvCliError::Failure(QStringLiteral("%1: %2").arg(args.At(0), file.errorString()));
    const std::optional<TKvContainerFormat> format = RecognisedContainer(file.read(64));
    Print(QStringLiteral(R"({"container": %1})")
              .arg(format ? u'"' + FormatName(*format) + u'"' : QStringLiteral("null"))
          + u'\n');
    return KvExit::Ok;
}
