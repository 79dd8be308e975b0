#pragma once

#include <QString>

#include <functional>

class QIODevice;

// Writes a file so that a failure never leaves it half-written: the content
// goes to a temporary file in the same folder (unnamed until it is complete,
// where the file system allows, so that even a killed process leaves none), which takes the old file's
// mode (and owner, group and extended attributes where possible), is flushed to
// disk and renamed over the target. A symbolic link is followed and the file it
// names is replaced. A file with several hard links, or whose owner cannot be
// kept, or in a folder where no new file can be made, is written in place (its
// content built in memory first and its space reserved before the old content is
// touched). A new file gets newFileMode less the umask (0666: the default). An existing
// target that nobody may write, or this user may not write, is refused with
// "Permission denied", also for root. `write` writes the whole content to the
// device it is given; an exception from it is passed on after cleaning up (a
// TKvFileError without a file name gets fileName). Throws TKvFileError with the
// platform's error text when anything fails; the old file then stays as it was
// and no temporary file is left behind. Running out of memory is such a failure.
// A file written in place keeps a copy of its old bytes beside it (this name)
// while it is rewritten. Found there later, the copy tells of an interrupted
// save: InterruptedSaveBackup returns its path (empty when there is none);
// the file, symbolic links followed, is the one named.
QString InterruptedSaveBackupName(const QString &fileName);
QString InterruptedSaveBackup(const QString &fileName);

void SafeSaveFile(const QString &fileName, const std::function<void(QIODevice &)> &write,
                  int newFileMode = 0666);

// The steps of a save that make it durable and atomic, in the order they run:
// an unnamed temporary file is created (CreateUnnamed), synced to disk
// (SyncFile), given a name (LinkFile) and renamed over the target (Rename),
// then the folder is synced (SyncFolder). A save in place only syncs the file.
// A save in place (a file with several hard links) first copies the old
// content to a backup beside the file and syncs it (SyncBackup), rewrites and
// syncs the file (SyncFile), then removes the backup (RemoveBackup).
enum class TKvSaveStep { CreateUnnamed, SyncFile, LinkFile, Rename, SyncFolder, SyncBackup, RemoveBackup };

// For tests: called before each step; returning an errno value makes the step
// fail with it as if the system had reported it, 0 lets it run. Returns the
// previous hook; an empty hook removes it.
using TKvSaveStepHook = std::function<int(TKvSaveStep step)>;
TKvSaveStepHook SetSafeSaveStepHook(TKvSaveStepHook hook);
