#pragma once

#include <optional>

#include <QList>
#include <QString>

// The recent-file list: full paths, most recent first, each with the encoding
// index the file was last opened or saved with.
class TKvStringRC
{
public:
    static constexpr int MaxCount = 10;

    struct Entry
    {
        QString Path;
        int EncodingIndex = 0;
        // Whether this file's "#" lines are comments, when the person chose
        // it for this file; nothing: the preference decides.
        std::optional<bool> HashComments;
        bool operator==(const Entry &) const = default;
    };
    QList<Entry> Strings;

    // Paths compare exactly: on Linux two names that differ in letter case are two files.
    int IndexOf(const QString &path) const;
    int Count() const { return int(Strings.size()); }

    // Puts a file at the top. An empty name is ignored; the first entry keeps
    // its encoding index; a name further down moves up; a new name pushes the
    // tenth entry out.
    void AddRecentFile(const QString &path, int encodingIndex);
    // The person's choice of "#" comments for a file, when there is one.
    std::optional<bool> HashCommentsOf(const QString &path) const;
    // Remembers the choice (nothing: none) for a file of the list; a file not in it is left out.
    void SetHashComments(const QString &path, std::optional<bool> on);
    // Removes, from the last entry to the first, every entry whose file does not exist.
    void RemoveMissingFiles();
};
