#pragma once

#include <QString>

#include <stdexcept>

// A file that exists but cannot be opened, read, created or written. Carries
// the platform's error text; the core never shows it, the application does.
class TKvFileError : public std::runtime_error
{
public:
    TKvFileError(const QString &fileName, const QString &message)
        : std::runtime_error(message.toStdString()), m_fileName(fileName), m_message(message)
    {
    }

    const QString &FileName() const { return m_fileName; }
    const QString &Message() const { return m_message; }

private:
    QString m_fileName;
    QString m_message;
};
