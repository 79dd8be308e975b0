#pragma once

#include <QString>

#include <functional>

class QIODevice;

// Writes a file so that a failure never leaves it half-written: the content
// goes to a temporary file in the same folder, which takes the old file's
// mode (and owner, group and extended attributes where possible), is flushed to
// disk and renamed over the target. A symbolic link is followed and the file it
// names is replaced. A file with several hard links, or whose owner cannot be
// kept, or in a folder where no new file can be made, is written in place (its
// content built in memory first and its space reserved before the old content is
// touched). A new file gets the default mode (0666 less the umask). An existing
// target that nobody may write, or this user may not write, is refused with
// "Permission denied", also for root. `write` writes the whole content to the
// device it is given; an exception from it is passed on after cleaning up (a
// TKvFileError without a file name gets fileName). Throws TKvFileError with the
// platform's error text when anything fails; the old file then stays as it was
// and no temporary file is left behind.
void SafeSaveFile(const QString &fileName, const std::function<void(QIODevice &)> &write);
