// Placeholder; replaced by the safe save.
#include "kvsafesave.h"

#include "kvfileerror.h"

#include <QSaveFile>

void SafeSaveFile(const QString &fileName, const std::function<void(QIODevice &)> &write)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw TKvFileError(fileName, file.errorString());
    write(file);
    if (!file.commit())
        throw TKvFileError(fileName, file.errorString());
}
