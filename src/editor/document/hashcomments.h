#pragma once

#include <QObject>
#include <QString>

class TKvDocument;
class TKvDocumentFile;
class TKvMemIni;
class TKvStringRC;

// Whether a document read without "#" comments looks written with them: it
// its read found lines whose first character is "#" and no ";" comment lines.
bool LooksHashCommented(const TKvMemIni &ini);

// Whether the open file's "#" lines are comments, chosen for that one file.
// The preference decides for every file the person made no choice for; the
// choice is kept beside the file in the recent files. The window offers the
// choice (Offered) when a file read without "#" comments looks written with
// them, and keeps offering it, to undo, for a file with a choice.
class TKvHashComments : public QObject
{
    Q_OBJECT

public:
    TKvHashComments(const TKvDocument &document, TKvDocumentFile &file, TKvStringRC &recentFiles,
                    QObject *parent);

    // Whether reading path takes "#" lines as comments.
    bool ReadsHashComments(const QString &path) const;
    bool Offered() const { return m_offered; }
    // Whether the open document was read with "#" comments.
    bool On() const;
    // The other choice for the open file, remembered, and the file read again
    // with it (after the question about unsaved changes; Cancel changes nothing).
    void Toggle();

signals:
    void OfferChanged();

private:
    void DocumentRead();

    const TKvDocument &m_document;
    TKvDocumentFile &m_file;
    TKvStringRC &m_recentFiles;
    bool m_looksHashCommented = false; // of the text last read
    bool m_offered = false;
};
