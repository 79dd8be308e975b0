#pragma once

#include <QFile>
#include <QString>
#include <QStringList>
#include <QSysInfo>

// Markdown tables and the small formatting helpers both benchmarks print with.

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
