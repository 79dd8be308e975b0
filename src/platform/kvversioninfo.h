#pragma once

#include <QString>

// A text from the version data of an executable: the string `name` (such as
// "FileVersion") of the block's first translation. Empty when the file cannot
// be read, carries no version block, or the block has no such string.
QString FileVersionString(const QString &fileName, const QString &name);
