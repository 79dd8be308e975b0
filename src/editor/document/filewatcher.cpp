#include "filewatcher.h"

#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

#include <sys/stat.h>

TKvFileStamp TKvFileStamp::Of(const QString &path)
{
    TKvFileStamp stamp;
    struct stat info;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0)
        return stamp;
    stamp.Exists = true;
    stamp.Size = qint64(info.st_size);
    stamp.ModifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    stamp.Device = quint64(info.st_dev);
    stamp.Inode = quint64(info.st_ino);
    return stamp;
}

TKvFileWatcher::TKvFileWatcher(QObject *parent)
    : QObject(parent)
    , m_watcher(new QFileSystemWatcher(this))
    , m_settle(new QTimer(this))
{
    m_settle->setSingleShot(true);
    m_settle->setInterval(SettleMs);
    connect(m_settle, &QTimer::timeout, this, &TKvFileWatcher::Settle);
    auto noticed = [this] {
        Arm();
        m_settle->start();
    };
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, noticed);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, noticed);
}

void TKvFileWatcher::Watch(const QString &path)
{
    Unwatch();
    m_path = QFileInfo(path).absoluteFilePath();
    m_known = TKvFileStamp::Of(m_path);
    m_reported = m_known;
    m_toldRemoved = false;
    Arm();
}

void TKvFileWatcher::Unwatch()
{
    m_settle->stop();
    if (!m_watcher->files().isEmpty())
        m_watcher->removePaths(m_watcher->files());
    if (!m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->directories());
    m_path.clear();
    m_known = m_reported = TKvFileStamp();
}

// The watch on a file ends when the file is replaced or removed; it is set
// again whenever the file is there.
void TKvFileWatcher::Arm()
{
    if (m_path.isEmpty())
        return;
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!m_watcher->directories().contains(folder))
        m_watcher->addPath(folder);
    if (QFileInfo::exists(m_path)) {
        // A watch on a replaced file still names the old inode: renew it.
        if (m_watcher->files().contains(m_path))
            m_watcher->removePath(m_path);
        m_watcher->addPath(m_path);
    }
}

bool TKvFileWatcher::ChangedOnDisk() const
{
    if (m_path.isEmpty())
        return false;
    const TKvFileStamp now = TKvFileStamp::Of(m_path);
    return now.Exists && now != m_known;
}

void TKvFileWatcher::Settle()
{
    if (m_path.isEmpty())
        return;
    const TKvFileStamp now = TKvFileStamp::Of(m_path);
    if (!now.Exists) {
        if (m_known.Exists && !m_toldRemoved) {
            m_toldRemoved = true;
            emit Removed();
        }
        return;
    }
    m_toldRemoved = false;
    if (now == m_known || now == m_reported)
        return;
    m_reported = now;
    emit Changed();
}

void TKvFileWatcher::Remind()
{
    m_reported = m_known;
    if (!m_path.isEmpty())
        m_settle->start();
}
