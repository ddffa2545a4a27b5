#pragma once

#include <QString>

// Temporary files whose names say which process made them, so that the next
// run of the same kind can tell the remains of an interrupted run (killed,
// power cut) from the work of a run still going on, and remove only those.
//
// A name is "<prefix><kind>-<machine>-<pid>-<random><suffix>". Only files of
// this machine whose process is gone count as abandoned: a folder on a shared
// medium may hold the work of another computer, whose processes cannot be
// seen from here.
namespace quittora::leftovers {

// Eight hex digits that stand for this computer.
QString machineTag();

// True while a process with this id runs on this computer (also when it
// belongs to another user). Unknown counts as running.
bool isProcessRunning(qint64 pid);

// A fresh name in folder that no file has yet. The file is not created.
QString temporaryName(const QString& folder, const QString& prefix, const QString& kind, const QString& suffix);

// The process id in a name made by temporaryName with the same prefix, kind
// and suffix (sidecar files of SQLite, "-journal", "-wal", "-shm", and a
// database made under a temporary name of its own, ".neu-…", included);
// 0 when the name is not one of ours or was made on another computer.
qint64 ownerOf(const QString& fileName, const QString& prefix, const QString& kind, const QString& suffix);

// Removes the files in folder made under such names by processes of this
// computer that no longer run. Returns the number of bytes freed.
qint64 removeAbandoned(const QString& folder, const QString& prefix, const QString& kind, const QString& suffix);

} // namespace quittora::leftovers
