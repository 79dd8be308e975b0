// Saving a file without ever leaving it half-written.
//
// The new content goes to an unnamed temporary file in the target's folder
// (O_TMPFILE: a process killed while writing leaves nothing behind), which is
// given a name only once it is complete and synced, and at once renamed over
// the target. Where the file system has no unnamed files, a named temporary
// file beside the target is used instead. The temporary file which takes the
// old file's owner, group, mode and extended attributes (ACLs among them), is
// synced to disk and renamed over the target in one step. Where renaming would
// change what the file is (several hard links, an owner this user cannot give a
// new file, a folder this user cannot create files in, something that is not a
// regular file) the content is first built in memory and then written in place,
// with its space reserved beforehand so that a full disk is found before the old
// content is touched.
#include "kvsafesave.h"

#include "kvfileerror.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>

namespace {

TKvSaveStepHook g_stepHook;

// Runs one step of the save; the test hook sees it first and may make it fail.
// Returns the system call's result, -1 with errno set on failure.
template <typename Call> int RunStep(TKvSaveStep step, Call call)
{
    if (g_stepHook) {
        if (const int error = g_stepHook(step)) {
            errno = error;
            return -1;
        }
    }
    int result;
    do
        result = call();
    while (result < 0 && errno == EINTR);
    return result;
}

int SyncFile(int fd)
{
    return RunStep(TKvSaveStep::SyncFile, [fd] { return ::fsync(fd); });
}

[[noreturn]] void Fail(const QString &fileName, int error)
{
    throw TKvFileError(fileName, qt_error_string(error));
}

// An open file descriptor, closed when it goes out of scope.
class FileHandle
{
public:
    explicit FileHandle(int fd = -1)
        : m_fd(fd)
    {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle &) = delete;
    FileHandle &operator=(const FileHandle &) = delete;

    int Get() const { return m_fd; }
    bool IsOpen() const { return m_fd >= 0; }
    void Reset(int fd)
    {
        Close();
        m_fd = fd;
    }
    // Closes the descriptor; false (with errno set) when closing reports an error.
    bool Close()
    {
        if (m_fd < 0)
            return true;
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0 || errno == EINTR;
    }

private:
    int m_fd;
};

// The path a chain of symbolic links finally names; that file may not exist yet
// (a dangling link is saved by creating its target).
QByteArray FollowLinks(const QString &fileName)
{
    QByteArray path = QFile::encodeName(fileName);
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st;
        if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        QByteArray target(PATH_MAX, Qt::Uninitialized);
        const ssize_t length = ::readlink(path.constData(), target.data(), size_t(target.size()));
        if (length < 0)
            Fail(fileName, errno);
        target.truncate(length);
        if (!target.startsWith('/')) {
            const qsizetype slash = path.lastIndexOf('/');
            target.prepend(slash >= 0 ? path.left(slash + 1) : QByteArray());
        }
        path = target;
    }
    Fail(fileName, ELOOP);
}

// A file that exists is read-only when nobody has a write bit on it or this user may
// not write it. Root passes the kernel's check, but a file marked read-only must
// stay protected from it as well. Returns 0 or the error to report.
int ReadOnlyError(const QByteArray &path, const struct stat &st)
{
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return EACCES;
    if (::faccessat(AT_FDCWD, path.constData(), W_OK, AT_EACCESS) != 0)
        return errno;
    return 0;
}

// Writes all bytes at the descriptor's position; false with errno set on failure.
bool WriteFully(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// Copies the extended attributes of the old file (POSIX ACLs, SELinux labels, user
// attributes) onto the new one, as far as the file system and this user allow.
void CopyExtendedAttributes(const QByteArray &from, int to)
{
    const ssize_t listSize = ::listxattr(from.constData(), nullptr, 0);
    if (listSize <= 0)
        return;
    QByteArray names(listSize, Qt::Uninitialized);
    const ssize_t got = ::listxattr(from.constData(), names.data(), size_t(names.size()));
    if (got <= 0)
        return;
    names.truncate(got);
    for (const QByteArray &name : names.split('\0')) {
        if (name.isEmpty())
            continue;
        const ssize_t valueSize = ::getxattr(from.constData(), name.constData(), nullptr, 0);
        if (valueSize < 0)
            continue;
        QByteArray value(valueSize, Qt::Uninitialized);
        const ssize_t valueGot =
            ::getxattr(from.constData(), name.constData(), value.data(), size_t(value.size()));
        if (valueGot < 0)
            continue;
        ::fsetxattr(to, name.constData(), value.constData(), size_t(valueGot), 0); // best effort
    }
}

// The folder of a path, as open() takes it.
QByteArray FolderOf(const QByteArray &target)
{
    const qsizetype slash = target.lastIndexOf('/');
    return slash > 0 ? target.left(slash) : slash == 0 ? QByteArray("/") : QByteArray(".");
}

// A fresh hidden name beside the target, short enough for any file system.
QByteArray TemporaryName(const QByteArray &target)
{
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash >= 0 ? target.left(slash + 1) : QByteArray();
    const QByteArray base = (slash >= 0 ? target.mid(slash + 1) : target).left(200);
    const QByteArray suffix = QByteArray::number(QRandomGenerator::global()->generate(), 16);
    return folder + '.' + base + '.' + suffix + ".tmp";
}

// Creates a new, empty temporary file in the target's folder: an unnamed one
// where the file system allows it (the path returned is then empty), a named
// one otherwise. Returns false with errno set when neither can be made.
bool CreateTemporary(const QByteArray &target, mode_t mode, FileHandle &handle, QByteArray &path)
{
    path.clear();
#ifdef O_TMPFILE
    const QByteArray folder = FolderOf(target);
    const int unnamed = RunStep(TKvSaveStep::CreateUnnamed, [&] {
        return ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    });
    if (unnamed >= 0) {
        handle.Reset(unnamed);
        return true;
    }
    // Only a missing kind of file falls back; a folder we may not write in fails here as below.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT)
        return false;
#endif
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = TemporaryName(target);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            handle.Reset(fd);
            path = name;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    errno = EEXIST;
    return false;
}

// Gives the complete unnamed file a name beside the target; returns that name,
// empty with errno set on failure.
QByteArray LinkTemporary(int fd, const QByteArray &target)
{
    const QByteArray procPath = "/proc/self/fd/" + QByteArray::number(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = TemporaryName(target);
        int result = RunStep(TKvSaveStep::LinkFile, [&] {
            return ::linkat(AT_FDCWD, procPath.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW);
        });
        // Without /proc: linking the descriptor itself needs a privilege.
        if (result != 0 && errno == ENOENT)
            result = ::linkat(fd, "", AT_FDCWD, name.constData(), AT_EMPTY_PATH);
        if (result == 0)
            return name;
        if (errno != EEXIST)
            return {};
    }
    errno = EEXIST;
    return {};
}

// Gives the temporary file the old file's owner, group and mode; false when this
// user cannot give it the same owner or group.
bool TakeOverOwnerAndMode(int fd, const QByteArray &target, const struct stat &old)
{
    struct stat now;
    if (::fstat(fd, &now) != 0)
        return false;
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) && ::fchown(fd, old.st_uid, old.st_gid) != 0)
        return false;
    // After the owner: changing the owner clears the set-user-ID and set-group-ID bits.
    if (::fchmod(fd, old.st_mode & 07777) != 0)
        return false;
    CopyExtendedAttributes(target, fd);
    return true;
}

// The device the content is written to: the temporary file's descriptor. Every
// write goes straight to the file, and a write that does not go through whole
// fails with the system's reason (QFile reports a short write without one) and
// is remembered, so that a writer which ignores a failed write still fails the save.
class TemporaryFileDevice : public QIODevice
{
public:
    explicit TemporaryFileDevice(int fd)
        : m_fd(fd)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }

    bool WriteFailed() const { return m_writeFailed; }

    bool seek(qint64 pos) override
    {
        if (::lseek(m_fd, off_t(pos), SEEK_SET) < 0) {
            setErrorString(qt_error_string(errno));
            return false;
        }
        return QIODevice::seek(pos);
    }
    qint64 size() const override
    {
        struct stat st;
        return ::fstat(m_fd, &st) == 0 ? qint64(st.st_size) : 0;
    }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        if (!WriteFully(m_fd, data, size)) {
            setErrorString(qt_error_string(errno));
            m_writeFailed = true;
            return -1;
        }
        return size;
    }

private:
    int m_fd;
    bool m_writeFailed = false;
};

// Rethrows a file error of the write callback with the target's name when it
// carries none (the device the callback wrote to has no name of its own).
[[noreturn]] void RethrowNamed(const QString &fileName)
{
    try {
        throw;
    } catch (const TKvFileError &error) {
        if (error.FileName().isEmpty())
            throw TKvFileError(fileName, error.Message());
        throw;
    }
}

// Makes a folder entry durable; best effort, the file is complete either way.
void SyncFolderOf(const QByteArray &target, TKvSaveStep step)
{
    FileHandle handle(::open(FolderOf(target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (handle.IsOpen())
        RunStep(step, [&] { return ::fsync(handle.Get()); });
}

// Copies the file's present content to its backup and syncs both the copy and
// the folder, so that a rewrite in place killed half-way leaves the old bytes.
// False when the folder takes no new file (the file is then rewritten without).
bool WriteBackup(const QString &fileName, const QByteArray &target, const QByteArray &backup)
{
    FileHandle source(::open(target.constData(), O_RDONLY | O_CLOEXEC));
    if (!source.IsOpen())
        Fail(fileName, errno);
    FileHandle copy(::open(backup.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!copy.IsOpen()) {
        if (errno == EACCES || errno == EPERM || errno == EROFS)
            return false;
        Fail(fileName, errno);
    }
    const auto failAndRemove = [&](int error) {
        copy.Close();
        ::unlink(backup.constData());
        Fail(fileName, error);
    };
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(source.Get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            failAndRemove(errno);
        if (got == 0)
            break;
        if (!WriteFully(copy.Get(), chunk, got))
            failAndRemove(errno);
    }
    if (RunStep(TKvSaveStep::SyncBackup, [&] { return ::fsync(copy.Get()); }) != 0 || !copy.Close())
        failAndRemove(errno);
    SyncFolderOf(target, TKvSaveStep::SyncFolder);
    return true;
}

void SaveInPlace(const QString &fileName, const QByteArray &target, const struct stat &old,
                 const std::function<void(QIODevice &)> &write)
{
    // Build the whole content first: a failing callback then leaves the file untouched.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    try {
        write(buffer);
    } catch (...) {
        RethrowNamed(fileName);
    }
    const QByteArray &content = buffer.data();

    const bool regular = S_ISREG(old.st_mode);
    // A regular file is rewritten only while a synced copy of its old bytes
    // lies beside it (where its folder takes one); a copy left by an
    // interrupted save is never overwritten.
    const QByteArray backup = QFile::encodeName(InterruptedSaveBackupName(QFile::decodeName(target)));
    bool backedUp = false;
    if (regular) {
        struct stat existing;
        if (::lstat(backup.constData(), &existing) == 0) {
            throw TKvFileError(fileName, QStringLiteral("An earlier save of this file was interrupted; its old "
                                                        "content is in %1. Restore or remove that file first.")
                                             .arg(QFile::decodeName(backup)));
        }
        backedUp = WriteBackup(fileName, target, backup);
    }
    bool touched = false; // the old content is no longer whole
    const auto fail = [&](int error) {
        if (backedUp && !touched)
            ::unlink(backup.constData());
        if (backedUp && touched) {
            throw TKvFileError(fileName, qt_error_string(error)
                                             + QStringLiteral(". The file's old content is in %1.")
                                                   .arg(QFile::decodeName(backup)));
        }
        Fail(fileName, error);
    };

    FileHandle file(::open(target.constData(), O_WRONLY | O_CLOEXEC));
    if (!file.IsOpen())
        fail(errno);
    if (regular && content.size() > old.st_size) {
        // Reserve the space before writing, so that a full disk or a size limit stops
        // the save while the old content is still whole.
        int error;
        do
            error = ::posix_fallocate(file.Get(), 0, off_t(content.size()));
        while (error == EINTR);
        if (error != 0 && error != EOPNOTSUPP && error != ENOSYS && error != EINVAL)
            fail(error);
    }
    touched = true;
    if (!WriteFully(file.Get(), content.constData(), content.size()))
        fail(errno);
    if (regular && (::ftruncate(file.Get(), off_t(content.size())) != 0 || SyncFile(file.Get()) != 0))
        fail(errno);
    if (!file.Close())
        fail(errno);
    if (backedUp)
        RunStep(TKvSaveStep::RemoveBackup, [&] { return ::unlink(backup.constData()); });
}

// Makes the rename itself durable; best effort, the file is complete either way.
void SyncFolder(const QByteArray &target)
{
    SyncFolderOf(target, TKvSaveStep::SyncFolder);
}

void Save(const QString &fileName, const std::function<void(QIODevice &)> &write, int newFileMode);

} // namespace

void SafeSaveFile(const QString &fileName, const std::function<void(QIODevice &)> &write, int newFileMode)
{
    try {
        Save(fileName, write, newFileMode);
    } catch (const std::bad_alloc &) {
        throw TKvFileError(fileName, QStringLiteral("Not enough memory to save the file."));
    }
}

QString InterruptedSaveBackupName(const QString &fileName)
{
    return fileName + QStringLiteral(".quillon-backup");
}

QString InterruptedSaveBackup(const QString &fileName)
{
    const QFileInfo file(fileName);
    const QString backup = InterruptedSaveBackupName(file.exists() ? file.canonicalFilePath() : fileName);
    return QFileInfo::exists(backup) ? backup : QString();
}

TKvSaveStepHook SetSafeSaveStepHook(TKvSaveStepHook hook)
{
    return std::exchange(g_stepHook, std::move(hook));
}

namespace {

void Save(const QString &fileName, const std::function<void(QIODevice &)> &write, int newFileMode)
{
    if (fileName.isEmpty())
        Fail(fileName, ENOENT);
    const QByteArray target = FollowLinks(fileName);

    struct stat old;
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (!exists && errno != ENOENT)
        Fail(fileName, errno);
    if (exists) {
        if (S_ISDIR(old.st_mode))
            Fail(fileName, EISDIR);
        if (const int error = ReadOnlyError(target, old))
            Fail(fileName, error);
        if (!S_ISREG(old.st_mode) || old.st_nlink > 1)
            return SaveInPlace(fileName, target, old, write);
    }

    // A new file gets the mode asked for (less the umask); a replacement starts
    // private and takes the old file's mode below.
    FileHandle handle;
    QByteArray temporary;
    if (!CreateTemporary(target, exists ? 0600 : mode_t(newFileMode), handle, temporary)) {
        const int error = errno;
        if (exists && (error == EACCES || error == EPERM))
            return SaveInPlace(fileName, target, old, write); // the file is writable, its folder is not
        Fail(fileName, error);
    }
    if (exists && !TakeOverOwnerAndMode(handle.Get(), target, old)) {
        handle.Close();
        if (!temporary.isEmpty())
            ::unlink(temporary.constData());
        return SaveInPlace(fileName, target, old, write);
    }

    try {
        TemporaryFileDevice file(handle.Get());
        try {
            write(file);
        } catch (...) {
            RethrowNamed(fileName);
        }
        if (file.WriteFailed())
            throw TKvFileError(fileName, file.errorString());
        file.close();
        if (SyncFile(handle.Get()) != 0)
            Fail(fileName, errno);
        if (temporary.isEmpty()) {
            temporary = LinkTemporary(handle.Get(), target);
            if (temporary.isEmpty())
                Fail(fileName, errno);
        }
        if (!handle.Close())
            Fail(fileName, errno);
        if (RunStep(TKvSaveStep::Rename, [&] { return ::rename(temporary.constData(), target.constData()); })
            != 0)
            Fail(fileName, errno);
    } catch (...) {
        handle.Close();
        if (!temporary.isEmpty())
            ::unlink(temporary.constData());
        throw;
    }
    SyncFolder(target);
}

} // namespace
