#pragma once

#include <QString>

#include <functional>

class QIODevice;

// Writes a file so that a failure never leaves it half-written: the content
// goes to a temporary file in the same folder, which takes the old file's
// mode (and owner where possible), is flushed to disk and renamed over the
// target. A symbolic link is followed. A file with several hard links, or whose
// owner cannot be kept, is written in place. A read-only target is refused.
// Throws TKvFileError with the platform's error text when anything fails.
void SafeSaveFile(const QString &fileName, const std::function<void(QIODevice &)> &write);
