#pragma once

#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <QSysInfo>

#include <algorithm>
#include <fstream>
#include <string>

// Helpers both benchmarks share: measuring a child, medians, markdown tables.

// The high-water mark of the process's resident memory, in KiB.
inline qint64 PeakResidentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, 6, "VmHWM:") == 0)
            return std::stoll(line.substr(6));
    }
    return -1;
}

inline double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    if (n == 0)
        return 0;
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

inline QString Fixed(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

// The processor's name for the table's heading.
inline QString CpuName()
{
    QFile cpuinfo(QStringLiteral("/proc/cpuinfo"));
    if (cpuinfo.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : cpuinfo.readAll().split('\n')) {
            if (line.startsWith("model name"))
                return QString::fromUtf8(line.mid(line.indexOf(':') + 1).trimmed());
        }
    }
    return QSysInfo::currentCpuArchitecture();
}

class TReport
{
public:
    void Line(const QString &text = {}) { m_text += text + u'\n'; }
    void Row(const QStringList &cells)
    {
        Line(QStringLiteral("| ") + cells.join(QStringLiteral(" | ")) + QStringLiteral(" |"));
    }
    // The first textColumns columns hold text (left-aligned), the others numbers.
    void Header(const QStringList &cells, qsizetype textColumns)
    {
        Row(cells);
        QStringList rule;
        for (qsizetype i = 0; i < cells.size(); ++i)
            rule.append(i < textColumns ? QStringLiteral("---") : QStringLiteral("---:"));
        Row(rule);
    }
    const QString &Text() const { return m_text; }

private:
    QString m_text;
};
