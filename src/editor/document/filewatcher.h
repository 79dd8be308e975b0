#pragma once

#include <QObject>
#include <QString>

class QFileSystemWatcher;
class QTimer;

// What tells one version of a file from another without reading it.
struct TKvFileStamp
{
    bool Exists = false;
    qint64 Size = 0;
    qint64 ModifiedNs = 0; // modification time in nanoseconds
    quint64 Device = 0;
    quint64 Inode = 0;

    static TKvFileStamp Of(const QString &path);
    bool operator==(const TKvFileStamp &) const = default;
};

// Watches the current file for changes made by other programs. The file's
// folder is watched too, so that a file replaced by a rename (as atomic savers
// and our own save do) is watched again. Nothing runs while nothing changes:
// the notifications come from the kernel, and a short settle timer lets a
// writer finish before the file is compared with the version last loaded or
// saved (size, modification time, inode).
class TKvFileWatcher : public QObject
{
    Q_OBJECT

public:
    static constexpr int SettleMs = 150;

    explicit TKvFileWatcher(QObject *parent = nullptr);

    // The file was just loaded or saved: its present state is ours.
    void Watch(const QString &path);
    void Unwatch();
    const QString &Path() const { return m_path; }
    // The file on disk is no longer the version last loaded or saved.
    bool ChangedOnDisk() const;
    // Reports a change again that was reported at a bad moment.
    void Remind();

signals:
    // Another program changed the file (once per new version on disk).
    void Changed();
    // The file is gone (removed or renamed away); told once until it is back or watched anew.
    void Removed();

private:
    void Arm();
    void Settle();

    QFileSystemWatcher *m_watcher = nullptr;
    QTimer *m_settle = nullptr;
    QString m_path;
    TKvFileStamp m_known;    // the version last loaded or saved
    TKvFileStamp m_reported; // the version last reported as changed
    bool m_toldRemoved = false;
};
