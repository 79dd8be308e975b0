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
    std::optional<bool> hashComments;
    if (index > 0) {
        hashComments = Strings[index].HashComments; // the choice moves up with its file
        Strings.removeAt(index);
    } else {
        while (Count() >= MaxCount)
            Strings.removeLast();
    }
    Strings.prepend({path, encodingIndex, hashComments});
}

std::optional<bool> TKvStringRC::HashCommentsOf(const QString &path) const
{
    const int index = IndexOf(path);
    return index >= 0 ? Strings[index].HashComments : std::nullopt;
}

void TKvStringRC::SetHashComments(const QString &path, std::optional<bool> on)
{
    const int index = IndexOf(path);
    if (index >= 0)
        Strings[index].HashComments = on;
}

void TKvStringRC::RemoveMissingFiles()
{
    for (int i = Count() - 1; i >= 0; --i) {
        if (!QFileInfo::exists(Strings[i].Path))
            Strings.removeAt(i);
    }
}
