#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <sys/types.h>

// File operations of the store that must not lose data or follow another user's links.
namespace SafeFile {

// The folder is ours: a folder owned by this user, reached through no link owned by someone
// else.
bool isTrustedFolder(const QString &path);

// Creates the folder and its missing parents owner-only (0700), checks it as above and takes
// group and other write access away.
bool ensurePrivateFolder(const QString &path);

// Replaces folder/fileName with data: a new file beside it (created exclusively, never through
// a link), written, flushed to disk and renamed over the old one. A link standing in the
// file's place is replaced, not followed. On failure the old file is untouched.
bool writeAtomically(const QString &folder, const QString &fileName, const QByteArray &data,
                     mode_t mode);

// Renames folder/fileName to folder/fileName + suffix (with a counter when taken).
bool moveAside(const QString &folder, const QString &fileName, const QString &suffix);

// Removes temporary files that a killed writer left beside fileName. Call with the lock held.
void removeLeftovers(const QString &folder, const QString &fileName);

// An exclusive advisory lock on the file at path (created owner-only when missing), held until
// the returned descriptor is closed or the process ends, however it ends. A link, FIFO or
// other non-file in its place is replaced. -1 (errno set) when it cannot be opened or after
// timeoutMs.
int lockExclusive(const QString &path, int timeoutMs);

// NotRegular: a FIFO, socket or device stands where the file should be (never opened for
// reading, so it cannot block).
enum class ReadStatus { Ok, Missing, TooLarge, NotRegular, Failed };
struct ReadResult {
    ReadStatus status = ReadStatus::Failed;
    QByteArray bytes;
};
ReadResult readFile(const QString &path, qint64 maxSize);

} // namespace SafeFile
