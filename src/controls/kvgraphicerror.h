#pragma once

#include <QString>

#include <stdexcept>

// The one error the drawing code raises: an operation on a bitmap that cannot
// be done (no pixels, no surface, a row outside the bitmap). The controls do
// not catch it.
class EKvInvalidGraphicOperation : public std::runtime_error
{
public:
    explicit EKvInvalidGraphicOperation(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {}

    const QString &Message() const { return m_message; }

private:
    QString m_message;
};

namespace KvGraphicMessage {
inline const QString ScanlinesOutOfRange = QStringLiteral("Scanlines Out of Range");
inline const QString NoDibSection = QStringLiteral("No DibSection");
inline const QString NoBitmapCreated = QStringLiteral("No Bitmap Created");
inline const QString ImageListInvalidParameter =
    QStringLiteral("CopyImageFromImageList\r\nERROR_INVALID_PARAMETER");
} // namespace KvGraphicMessage
