#include "document/hashcomments.h"

#include "document/documentfile.h"
#include "document/kvdocument.h"
#include "kvmemini.h"
#include "settings/kvstringrc.h"
#include "settings/preferences.h"

bool LooksHashCommented(const TKvMemIni &ini)
{
    // Read without the option, "# key = v" is an item and "# text" an unparsable line.
    const TKvCommentLines &lines = ini.ReadCommentLines();
    return !ini.HashComments && lines.Semicolon == 0 && lines.HashLedItems > 0;
}

TKvHashComments::TKvHashComments(const TKvDocument &document, TKvDocumentFile &file,
                                 TKvStringRC &recentFiles, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_file(file)
    , m_recentFiles(recentFiles)
{
    // The lines are looked at once per read; the name (set after the text,
    // or not at all when the same file is read again) only decides the offer.
    connect(&document, &TKvDocument::DocumentReset, this, [this] {
        m_looksHashCommented = LooksHashCommented(m_document.Ini());
        DocumentRead();
    });
    connect(&document, &TKvDocument::FileStateChanged, this, &TKvHashComments::DocumentRead);
}

bool TKvHashComments::ReadsHashComments(const QString &path) const
{
    return m_recentFiles.HashCommentsOf(path).value_or(CurrentPreferences().HashComments);
}

bool TKvHashComments::On() const
{
    return m_document.Ini().HashComments;
}

void TKvHashComments::DocumentRead()
{
    const QString &path = m_document.File().FileName;
    const bool offered = !path.isEmpty() && m_document.File().Open
                         && (m_recentFiles.HashCommentsOf(path).has_value() || m_looksHashCommented);
    if (offered == m_offered)
        return;
    m_offered = offered;
    emit OfferChanged();
}

void TKvHashComments::Toggle()
{
    const QString path = m_document.File().FileName;
    if (path.isEmpty())
        return;
    const bool wanted = !On();
    const std::optional<bool> before = m_recentFiles.HashCommentsOf(path);
    m_recentFiles.SetHashComments(path, wanted);
    m_file.ActReloadExecute();
    if (On() != wanted) {
        // Cancelled, or the file could not be read: the choice stays as it was.
        m_recentFiles.SetHashComments(path, before);
    }
    emit OfferChanged();
}
