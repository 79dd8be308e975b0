// encrypt and decrypt: the password-protected file.
#include "clicommon.h"
#include "kvcontainer.h"
#include "kvsafesave.h"

#include <QFile>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

constexpr qsizetype MinimumPasswordLength = 5;

// The first line of a file or of standard input, without its line end.
QString ReadPassword(const TKvArguments &args)
{
    const QString passwordFile = args.Option(QStringLiteral("--password-file"));
    QByteArray line;
    if (!passwordFile.isEmpty()) {
        QFile file(passwordFile);
        if (!file.open(QIODevice::ReadOnly))
            throw TKvCliError::Failure(QStringLiteral("%1: %2").arg(passwordFile, file.errorString()));
        line = file.readLine();
    } else {
        std::string text;
        std::getline(std::cin, text);
        line = QByteArray::fromStdString(text);
    }
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

QString ResultJson(int result)
{
    QString value = QString::number(result);
    if (result == lrNotContainer)
        value = QStringLiteral("\"lrNotContainer\"");
    else if (result == lrWrongPassword)
        value = QStringLiteral("\"lrWrongPassword\"");
    return QStringLiteral(R"({"result": %1})").arg(value) + u'\n';
}

} // namespace

int EncryptCommand(const QStringList &argv)
{
    const TKvArguments args(argv, {QStringLiteral("--password-file")}, {});
    args.Expect(2, 2);
    const QString password = ReadPassword(args);
    // As the editor asks of a new password.
    if (password.size() < MinimumPasswordLength) {
        PrintError(
            QStringLiteral("the password must have at least %1 characters").arg(MinimumPasswordLength));
        return KvExit::Usage;
    }
    TKvMemIni ini;
    const int result = ini.LoadFromFile(args.At(0));
    if (const int code = ReportRead(result, args.At(0)))
        return code;
    SaveEncrypted(ini, args.At(1), password);
    Print(ResultJson(result));
    return KvExit::Ok;
}

int DecryptCommand(const QStringList &argv)
{
    const TKvArguments args(argv, {QStringLiteral("--password-file")}, {});
    args.Expect(2, 2);
    const QString password = ReadPassword(args);
    TKvMemIni ini;
    const int result = LoadEncrypted(ini, args.At(0), password);
    Print(ResultJson(result));
    if (result == lrNotContainer || result == lrWrongPassword)
        return KvExit::NotOpened;
    if (const int code = ReportRead(result, args.At(0)))
        return code;
    // The plain text is created readable by its owner only.
    SafeSaveFile(
        args.At(1), [&](QIODevice &file) { ini.SaveToStream(file, KvEncoding::Utf8); }, 0600);
    return KvExit::Ok;
}
