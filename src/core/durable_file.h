#pragma once
// The one way a file of the data root (or a file the tool writes for a person)
// is written: a temporary file beside it, written whole, flushed to the disk,
// checked, renamed over the old file, and the folder flushed. Whatever fails on
// the way, the old file stays byte for byte and the temporary file is removed,
// so a full disk or a folder without write access never leaves a file empty.

#include "core/file_error.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <optional>

namespace baisuu {

// What the system's error number of a failed open or write means for the
// person at the machine, in Japanese ("ディスクがいっぱいです。" for a full
// disk); the system's own words follow in brackets, never alone.
QString FileFaultText(int systemError);

// Replaces path with bytes durably (see above).
std::optional<FileError> WriteFileDurably(const QString& path, QByteArrayView bytes);

// Writes bytes durably as a new file at path unless a file has that name
// already, or takes it meanwhile on any machine of a share: then *made is
// false, and that file is left as it is.
std::optional<FileError> WriteNewFileDurably(const QString& path, QByteArrayView bytes,
                                             bool* made);

// Reads, changes and replaces a file under a lock of that file, so that two
// changes made at the same moment (two machines, two commands) are both kept:
// the second waits and then reads what the first wrote. edit gets the file's
// bytes (nullptr when there is no file), sets *replacement, and returns a
// refusal to leave the file alone. The lock is the family's whole-file
// byte-range lock, taken as an open-file-description lock where the system has
// one, so threads of one process exclude each other too.
using FileEdit = std::function<std::optional<FileError>(const QByteArray* current,
                                                        QByteArray* replacement)>;
std::optional<FileError> EditFileLocked(const QString& path, const FileEdit& edit);

// One try at the family's whole-file byte-range lock (from byte 0 to any end)
// on a file open for writing: 0 when taken, else the system's error number
// (EAGAIN or EACCES: another holder has it). An open-file-description lock
// where the system has one: it belongs to this open file, not to the process,
// so another thread's lock is not taken for ours, closing another descriptor
// of the file does not drop it, and other machines' fcntl locks see it alike.
int TryWholeFileLock(int fd);
void ReleaseWholeFileLock(int fd);

// Flushes a folder's entries (a rename or a removal in it) to the disk.
bool FlushFolder(const QString& folderPath);

} // namespace baisuu
