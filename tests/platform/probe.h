#pragma once

// Runs platform_probe, the tests' child process, with a chosen environment.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct TProbeResult
{
    int ExitCode = -1;
    QString Output;
};

inline TProbeResult RunProbe(const QStringList &args, const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral(PLATFORM_PROBE), args);
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    TProbeResult result;
    if (process.exitStatus() == QProcess::NormalExit)
        result.ExitCode = process.exitCode();
    result.Output = QString::fromUtf8(process.readAllStandardOutput());
    return result;
}
