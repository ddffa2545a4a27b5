#pragma once

#include "data/Database.h"
#include "platform/Prompts.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QLockFile;

namespace quittora::safety {

// The file name a backup path ends in when the user names only a drive or
// a folder.
QString backupFileName(); // "Quittora.qtb"

// Where backups go until the user chooses: the folder "Quittora pro -
// Sicherung" in the documents folder (the home folder when there is none),
// with a trailing separator.
QString defaultBackupFolder(const QString& documentsFolder);

// The rules of "Sicherungsp&fad speichern", applied to the text of the path
// box. An empty box becomes emptyDefault. A text that already names a
// ".qtb"/".QTB" file stays as it is. Otherwise a lone drive letter gets ":\",
// a text without a trailing separator gets one ("\" for drive-letter and
// share paths, "/" for everything else) and "Quittora.qtb" is appended:
//   "E" -> "E:\Quittora.qtb", "\\srv\daten" -> "\\srv\daten\Quittora.qtb",
//   "/media/usb" -> "/media/usb/Quittora.qtb".
QString normaliseBackupPath(const QString& text, const QString& emptyDefault);

// True when the path names a place to write to, not just a bare file name:
// it is longer than "Quittora.qtb" and absolute on this system.
bool namesBackupLocation(const QString& path);

// True when both texts name the same file: equal when compared without
// regard to case, or resolving to the same existing file (links, "..").
bool isSamePath(const QString& a, const QString& b);

// The file a backup path stands for: a path ending in a separator or naming
// an existing folder means "Quittora.qtb" in that folder.
QString backupTargetFile(const QString& backupPath);

// The name of the copy that restore keeps of the replaced database file,
// beside it: "Quittora vor Zurückschreiben 2024-03-01 10-30-00.qtb".
QString safetyCopyPath(const QString& databaseFile, const QDateTime& when);

// What a file is, checked without writing to it.
enum class FileState {
    Sound,       // a complete Quittora database of a layout we can read
    Missing,     // no such file (or a folder)
    Unreadable,  // exists but cannot be read
    Damaged,     // not an SQLite database, or its integrity check fails
    Foreign,     // an SQLite database of another program
    NewerLayout, // a Quittora database from a newer program version
};
FileState inspectDatabaseFile(const QString& path, QString* detail = nullptr);

enum class Failure {
    None,
    DiskFull,         // the target medium has no room
    InUse,            // the database file is locked by another connection
    SamePath,         // source and target are the same file
    SourceUnreadable, // the database to back up is missing, damaged or foreign
    BackupMissing,    // restore: no backup file at that path
    BackupDamaged,    // restore: the backup is not a sound Quittora database
    BackupNewer,      // restore: the backup comes from a newer program version
    WriteFailed,      // any other failure to write, sync or rename
};

struct Result {
    Failure failure = Failure::None;
    QString detail;     // German explanation for the command line; may be empty
    QString safetyCopy; // restore: the copy of the replaced database file, if any
    bool ok() const { return failure == Failure::None; }
};

// The file operations backup and restore need, as a seam: tests replace it
// to simulate a full medium or a failing rename.
class FileOps {
public:
    virtual ~FileOps() = default;
    // Bytes that can still be written in the folder; negative when unknown.
    virtual qint64 freeBytes(const QString& folder);
    // Copies a file's content into an existing (empty) file.
    virtual Result copy(const QString& from, const QString& to);
    // Forces a written file onto the medium.
    virtual Result flush(const QString& file);
    // Puts `from` in the place of `to` in one step: whoever opens `to` sees
    // either the old or the new file, never a partial one.
    virtual Result replace(const QString& from, const QString& to);
    virtual bool remove(const QString& file);
};
FileOps& systemFileOps();

// Writes a compacted copy of the (closed) database file to targetFile. The
// copy is made under a temporary name beside the target, synced, checked
// and only then renamed over an older backup, so a failure at any point
// leaves the older backup as it was.
Result backupDatabase(const QString& databaseFile, const QString& targetFile, FileOps& ops = systemFileOps());
// The same from an open connection (no transaction may be open on it).
Result backupDatabase(const QSqlDatabase& connection, const QString& targetFile, FileOps& ops = systemFileOps());
inline Result backupDatabase(const Database& db, const QString& targetFile, FileOps& ops = systemFileOps())
{
    return backupDatabase(db.connection(), targetFile, ops);
}

// The program marks the database file it works on, so that a restore from
// elsewhere (a scheduled command) does not replace the file under it: edits
// made afterwards would go to the replaced file and be lost. The mark is a
// hidden lock file beside the database; it counts only while the process
// that made it is alive, so a crash leaves nothing that blocks.
QString inUseMarkPath(const QString& databaseFile); // ".Quittora.qtb.lock" beside it
class InUseMark {
public:
    explicit InUseMark(const QString& databaseFile);
    ~InUseMark();
    InUseMark(const InUseMark&) = delete;
    InUseMark& operator=(const InUseMark&) = delete;
    // False when another running program holds the mark or none could be made.
    bool held() const;

private:
    std::unique_ptr<QLockFile> m_lock;
};
// True while a running program (another one, or another mark in this one)
// holds the mark of the file.
bool isMarkedInUse(const QString& databaseFile);

// Replaces the (closed) database file by the backup. The backup is checked
// first; a missing or unsound backup changes nothing. The replaced file is
// kept as safetyCopyPath(databaseFile, now) and the new file takes its place
// in one step. A missing database file is simply created from the backup.
// A database file that a running program has open (see InUseMark) is not
// replaced: Failure::InUse.
Result restoreDatabase(const QString& backupFile, const QString& databaseFile, const QDateTime& now,
                       FileOps& ops = systemFileOps());

// The e-mail with the database file attached that "Datendatei an Veltrin
// senden" hands to the desktop's mail program (xdg-email composes it; the
// user sends it).
QString supportAddress();
struct MailCommand {
    QString program;
    QStringList arguments;
};
MailCommand supportMailCommand(const QString& databaseFile);

// How the backup window reports a failure and which answers retry.
enum class Operation { Backup, Restore };
struct FailureMessage {
    QString title;
    QString text;
    Prompts::Icon icon = Prompts::Icon::Critical;
    int buttons = Prompts::Ok;
    bool retryOnOk = false;   // OK tries the failed step again
    bool endsProgram = false; // the program ends after the message
};
FailureMessage failureMessage(Operation operation, Failure failure);
// One line for the command line, without the "click OK" advice.
QString failureSummary(Operation operation, Failure failure);

enum class Outcome { Done, Stopped, EndProgram };
// Runs attempt until it succeeds or the user gives up, showing the message
// of each failure. *last receives the last result.
Outcome runWithRetry(Prompts& prompts, Operation operation, const std::function<Result()>& attempt,
                     Result* last = nullptr);

} // namespace quittora::safety
