#include "kvstringrc.h"

#include <QFileInfo>

int TKvStringRC::IndexOf(const QString &path) const
{
    for (int i = 0; i < Count(); ++i) {
        if (Strings[i].Path == path)
            return i;
    }
    return -1;
}

void TKvStringRC::AddRecentFile(const QString &path, int encodingIndex)
{
    if (path.isEmpty())
        return;
    const int index = IndexOf(path);
    if (index == 0)
        return;
    if (index > 0)
        Strings.removeAt(index);
    else
        while (Count() >= MaxCount)
            Strings.removeLast();
    Strings.prepend({path, encodingIndex});
}

void TKvStringRC::RemoveMissingFiles()
{
    for (int i = Count() - 1; i >= 0; --i) {
        if (!QFileInfo::exists(Strings[i].Path))
            Strings.removeAt(i);
    }
}
