#include "safety/Backup.h"

#include "platform/ErrorTexts.h"

#include "data/Leftovers.h"
#include "data/Schema.h"
#include "tools/About.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSqlDriver>
#include <QStorageInfo>
#include <QUrl>

#include <sqlite3.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace quittora::safety {

namespace {

const QString kBareName = QStringLiteral("Quittora.qtb");

bool hasDatabaseExtension(const QString& text)
{
    return text.endsWith(QLatin1String(".qtb")) || text.endsWith(QLatin1String(".QTB"));
}

bool isDriveLetter(QChar c) { return c.isLetter() && c.unicode() < 128; }

// "E:", "E:\..." and "\\server\share" are spelled with backslashes whatever
// system the program runs on.
bool looksLikeWindowsPath(const QString& text)
{
    if (text.size() >= 2 && isDriveLetter(text.at(0)) && text.at(1) == QLatin1Char(':'))
        return true;
    return text.startsWith(QLatin1String("\\\\")) || (text.contains(QLatin1Char('\\')) && !text.contains(QLatin1Char('/')));
}

std::filesystem::path fsPath(const QString& path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

Result fail(Failure failure, const QString& detail) { return Result{failure, detail, {}}; }

Failure failureForErrno(int error)
{
    switch (error) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return Failure::DiskFull;
    case EBUSY:
#ifdef ETXTBSY
    case ETXTBSY:
#endif
        return Failure::InUse;
    default:
        return Failure::WriteFailed;
    }
}

QString errnoText(int error) { return errnoReason(error); }

// Syncs a folder so that a rename inside it survives a power cut.
void syncFolder(const QString& folder)
{
#ifndef Q_OS_WIN
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}

// The kinds of temporary file: a backup writes its new copy beside the
// target, a restore its copies beside the database file.
const QString kBackupKind = QStringLiteral("sicherung");
const QString kRestoreKind = QStringLiteral("zurueck");

// Temporary files are hidden and named after the file they stand in for.
QString tempPrefix(const QString& beside) { return QLatin1Char('.') + QFileInfo(beside).fileName() + QLatin1Char('.'); }
const QString kTempSuffix = QStringLiteral(".tmp");

// Removes what interrupted runs of the same kind left beside `beside`; see
// leftovers::removeAbandoned.
void removeLeftovers(const QString& beside, const QString& kind)
{
    const QFileInfo info(beside);
    leftovers::removeAbandoned(info.absolutePath(), tempPrefix(beside), kind, kTempSuffix);
}

// An empty file with a fresh name beside `beside`, for writing the new file
// before it takes its place. Empty string when none could be made.
QString reserveTempFile(const QString& beside, const QString& kind, QString* error, int* errorNumber)
{
    const QFileInfo info(beside);
    const QString folder = info.absolutePath();
    const QString name = leftovers::temporaryName(folder, tempPrefix(beside), kind, kTempSuffix);
    QFile file(name);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        // The system's reason tells a folder that is read-only or not
        // allowed from one that is missing.
        *errorNumber = errno;
        const QString reason = errno != 0 ? errnoReason(errno) : fileReason(file);
        *error = QStringLiteral("Im Ordner %1 kann keine Datei angelegt werden: %2")
                     .arg(QDir::toNativeSeparators(folder), reason);
        return {};
    }
    file.close();
    return name;
}

// Removes a temporary database file with what SQLite may have left beside it.
void removeTemp(FileOps& ops, const QString& temp)
{
    ops.remove(temp);
    for (const char* sidecar : {"-wal", "-shm", "-journal"})
        ops.remove(temp + QLatin1String(sidecar));
}

// One SQLite connection handle, closed on leaving.
class Handle {
public:
    Handle() = default;
    ~Handle()
    {
        if (m_owned && m_db)
            sqlite3_close_v2(m_db);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    // Opens an existing file; readOnly ones in immutable mode, so that
    // looking at a file never creates journal files beside it.
    bool open(const QString& path, bool readOnly, QString* error)
    {
        int rc;
        if (readOnly) {
            const QByteArray uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded()
                                   + QByteArray("?mode=ro&immutable=1");
            rc = sqlite3_open_v2(uri.constData(), &m_db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
        } else {
            rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
        }
        m_owned = true;
        if (rc != SQLITE_OK) {
            *error = message();
            return false;
        }
        sqlite3_extended_result_codes(m_db, 0);
        return true;
    }
    void borrow(sqlite3* db)
    {
        m_db = db;
        m_owned = false;
    }
    sqlite3* get() const { return m_db; }
    // SQLite's own texts are English; the user gets the reason in German.
    QString message() const
    {
        if (!m_db)
            return QStringLiteral("SQLite nicht verfügbar");
        const int code = sqlite3_errcode(m_db);
        const QString reason = sqliteReason(code);
        return reason.isEmpty() ? QStringLiteral("Datenbankfehler Nr. %1.").arg(code) : reason;
    }

    // First column of the first row of a statement without parameters.
    int intValue(const char* sql, int* rc)
    {
        sqlite3_stmt* stmt = nullptr;
        *rc = sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr);
        int value = 0;
        if (*rc == SQLITE_OK) {
            *rc = sqlite3_step(stmt);
            if (*rc == SQLITE_ROW) {
                value = sqlite3_column_int(stmt, 0);
                *rc = SQLITE_OK;
            }
        }
        sqlite3_finalize(stmt);
        return value;
    }

    // All text rows of a statement without parameters.
    QStringList textRows(const char* sql, int* rc)
    {
        QStringList rows;
        sqlite3_stmt* stmt = nullptr;
        *rc = sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr);
        if (*rc == SQLITE_OK) {
            while ((*rc = sqlite3_step(stmt)) == SQLITE_ROW)
                rows << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
            if (*rc == SQLITE_DONE)
                *rc = SQLITE_OK;
        }
        sqlite3_finalize(stmt);
        return rows;
    }

    int exec(const char* sql, const QString& parameter = {})
    {
        sqlite3_stmt* stmt = nullptr;
        int rc = sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr);
        if (rc == SQLITE_OK) {
            if (!parameter.isNull()) {
                const QByteArray utf8 = parameter.toUtf8();
                sqlite3_bind_text(stmt, 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
            }
            rc = sqlite3_step(stmt);
            if (rc == SQLITE_DONE || rc == SQLITE_ROW)
                rc = SQLITE_OK;
        }
        sqlite3_finalize(stmt);
        return rc;
    }

private:
    sqlite3* m_db = nullptr;
    bool m_owned = false;
};

Failure failureForSqlite(int rc)
{
    switch (rc & 0xff) {
    case SQLITE_FULL:
        return Failure::DiskFull;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return Failure::InUse;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return Failure::SourceUnreadable;
    default:
        return Failure::WriteFailed;
    }
}

// Makes sure the target's folder exists. Outside the home folder only the
// last level is created, so that a path on a removable medium that is not
// there is reported instead of created on the wrong disk. Inside the home
// folder the whole path is created: the default folder below "Dokumente"
// must appear on first use even where the documents folder does not exist yet.
Result ensureFolder(const QString& folder)
{
    const QFileInfo info(folder);
    if (info.isDir())
        return {};
    if (info.exists())
        return fail(Failure::WriteFailed, QStringLiteral("%1 ist kein Ordner.").arg(QDir::toNativeSeparators(folder)));
    const QString home = QDir::cleanPath(QDir::homePath());
    const bool inHome = home != QStringLiteral("/")
                        && QDir::cleanPath(info.absoluteFilePath()).startsWith(home + QLatin1Char('/'));
    const QDir parent = info.dir();
    const bool created = inHome ? QDir().mkpath(info.absoluteFilePath())
                                : parent.exists() && parent.mkdir(info.fileName());
    if (!created)
        return fail(Failure::WriteFailed,
                    QStringLiteral("Der Ordner %1 ist nicht vorhanden und kann nicht angelegt werden.")
                        .arg(QDir::toNativeSeparators(folder)));
    return {};
}

// A write step failed; when the medium has less room than the step needed,
// that is the reason, whatever the system said.
Result classifyWriteFailure(Result result, FileOps& ops, const QString& folder, qint64 needed)
{
    const qint64 free = ops.freeBytes(folder);
    if (result.failure != Failure::InUse && free >= 0 && free < needed)
        result.failure = Failure::DiskFull;
    return result;
}

Result roomFor(FileOps& ops, const QString& folder, qint64 needed)
{
    const qint64 free = ops.freeBytes(folder);
    if (free >= 0 && free < needed)
        return fail(Failure::DiskFull, QStringLiteral("Auf dem Datenträger von %1 ist nicht genug Platz frei (%2 Bytes nötig, %3 frei).")
                                           .arg(QDir::toNativeSeparators(folder))
                                           .arg(needed)
                                           .arg(free));
    return {};
}

Result compactInto(Handle& source, const QString& sourceName, const QString& targetFile, FileOps& ops)
{
    if (targetFile.isEmpty())
        return fail(Failure::WriteFailed, QStringLiteral("Kein Sicherungspfad angegeben."));
    if (isSamePath(sourceName, targetFile))
        return fail(Failure::SamePath, {});
    if (QFileInfo(targetFile).isDir())
        return fail(Failure::WriteFailed, QStringLiteral("%1 ist ein Ordner.").arg(QDir::toNativeSeparators(targetFile)));

    int rc = SQLITE_OK;
    const int appId = source.intValue("PRAGMA application_id", &rc);
    if (rc != SQLITE_OK)
        return fail(failureForSqlite(rc) == Failure::InUse ? Failure::InUse : Failure::SourceUnreadable,
                    QStringLiteral("Die Datendatei kann nicht gelesen werden: %1").arg(source.message()));
    if (appId != schema::kApplicationId)
        return fail(Failure::SourceUnreadable, QStringLiteral("Die Datendatei ist keine Quittora-Datenbank."));
    const qint64 pageSize = source.intValue("PRAGMA page_size", &rc);
    const qint64 pages = source.intValue("PRAGMA page_count", &rc);
    const qint64 freePages = source.intValue("PRAGMA freelist_count", &rc);
    const qint64 needed = pageSize * qMax<qint64>(1, pages - freePages);

    const QString folder = QFileInfo(targetFile).absolutePath();
    if (Result r = ensureFolder(folder); !r.ok())
        return r;
    // Copies left by interrupted backups are space this backup may use.
    removeLeftovers(targetFile, kBackupKind);
    if (Result r = roomFor(ops, folder, needed); !r.ok())
        return r;

    QString error;
    int errorNumber = 0;
    const QString temp = reserveTempFile(targetFile, kBackupKind, &error, &errorNumber);
    if (temp.isEmpty())
        return classifyWriteFailure(fail(failureForErrno(errorNumber), error), ops, folder, needed);

    auto abandon = [&](Result r) {
        removeTemp(ops, temp);
        return r;
    };

    rc = source.exec("VACUUM INTO ?1", temp);
    if (rc != SQLITE_OK) {
        Result r = fail(failureForSqlite(rc), source.message());
        if (r.failure == Failure::SourceUnreadable)
            r.detail = QStringLiteral("Die Datendatei ist beschädigt: %1").arg(r.detail);
        return abandon(classifyWriteFailure(r, ops, folder, needed));
    }
    if (Result r = ops.flush(temp); !r.ok())
        return abandon(classifyWriteFailure(r, ops, folder, needed));
    QString why;
    if (inspectDatabaseFile(temp, &why) != FileState::Sound)
        return abandon(fail(Failure::WriteFailed, QStringLiteral("Die geschriebene Sicherung ist fehlerhaft: %1").arg(why)));
    if (Result r = ops.replace(temp, targetFile); !r.ok())
        return abandon(classifyWriteFailure(r, ops, folder, needed));
    return {};
}

sqlite3* handleOf(const QSqlDatabase& connection)
{
    if (!connection.isOpen() || !connection.driver())
        return nullptr;
    const QVariant v = connection.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(v.constData());
}

} // namespace

QString backupFileName() { return kBareName; }

QString defaultBackupFolder(const QString& documentsFolder)
{
    const QString base = documentsFolder.isEmpty() ? QDir::homePath() : documentsFolder;
    return QDir::toNativeSeparators(QDir(base).filePath(QStringLiteral("Quittora pro - Sicherung"))) + QDir::separator();
}

QString normaliseBackupPath(const QString& text, const QString& emptyDefault)
{
    QString path = text.isEmpty() ? emptyDefault : text;
    if (hasDatabaseExtension(path))
        return path;
    if (path.size() < 2 && !path.isEmpty() && isDriveLetter(path.at(0)))
        path += QLatin1String(":\\");
    const QChar separator = looksLikeWindowsPath(path) ? QLatin1Char('\\') : QLatin1Char('/');
    if (!path.endsWith(QLatin1Char('\\')) && !path.endsWith(QLatin1Char('/')))
        path += separator;
    return path + kBareName;
}

bool namesBackupLocation(const QString& path)
{
    return path.size() > kBareName.size() && QDir::isAbsolutePath(path);
}

bool isSamePath(const QString& a, const QString& b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    if (a.compare(b, Qt::CaseInsensitive) == 0)
        return true;
    const QString ca = QFileInfo(a).canonicalFilePath();
    const QString cb = QFileInfo(b).canonicalFilePath();
    if (!ca.isEmpty() && ca == cb)
        return true;
    // A target that does not exist yet can still sit in the same folder under
    // the same name, spelled differently ("./", "//").
    return QDir::cleanPath(QFileInfo(a).absoluteFilePath()).compare(QDir::cleanPath(QFileInfo(b).absoluteFilePath()),
                                                                     Qt::CaseInsensitive)
           == 0;
}

QString backupTargetFile(const QString& backupPath)
{
    if (backupPath.isEmpty())
        return backupPath;
    if (backupPath.endsWith(QLatin1Char('/')) || backupPath.endsWith(QLatin1Char('\\')))
        return backupPath + kBareName;
    if (QFileInfo(backupPath).isDir())
        return backupPath + QDir::separator() + kBareName;
    return backupPath;
}

QString safetyCopyPath(const QString& databaseFile, const QDateTime& when)
{
    const QFileInfo info(databaseFile);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString stem = info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(" vor Zurückschreiben ")
                         + when.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    QString candidate = stem + suffix;
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = stem + QStringLiteral(" (%1)").arg(n) + suffix;
    return QDir::toNativeSeparators(candidate);
}

FileState inspectDatabaseFile(const QString& path, QString* detail)
{
    QString scratch;
    QString& why = detail ? *detail : scratch;
    const QFileInfo info(path);
    if (!info.exists() || info.isDir()) {
        why = QStringLiteral("Die Datei %1 ist nicht vorhanden.").arg(QDir::toNativeSeparators(path));
        return FileState::Missing;
    }
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly)) {
        why = QStringLiteral("Die Datei %1 kann nicht gelesen werden: %2").arg(QDir::toNativeSeparators(path), fileReason(probe));
        return FileState::Unreadable;
    }
    probe.close();
    if (info.size() == 0) {
        why = QStringLiteral("Die Datei %1 ist leer.").arg(QDir::toNativeSeparators(path));
        return FileState::Damaged;
    }
    // The same completeness check as opening: a file shorter than its
    // header says (a copy cut short) reads as sound to SQLite, which takes
    // the missing end for empty pages. A journal beside a backup does not
    // excuse that: the restore copies only the file.
    if (const QString incomplete = Database::checkCompleteness(path, false); !incomplete.isEmpty()) {
        QFile head(path);
        const bool sqlite = head.open(QIODevice::ReadOnly) && head.read(16) == QByteArray("SQLite format 3\0", 16);
        if (sqlite) {
            why = QStringLiteral("Die Datei %1 ist unvollständig oder beschädigt: sie ist kürzer, als ihr Inhalt angibt.")
                      .arg(QDir::toNativeSeparators(path));
            return FileState::Damaged;
        }
    }
    Handle db;
    QString error;
    if (!db.open(path, true, &error)) {
        why = QStringLiteral("Die Datei %1 kann nicht gelesen werden: %2").arg(QDir::toNativeSeparators(path), error);
        return FileState::Unreadable;
    }
    int rc = SQLITE_OK;
    const int appId = db.intValue("PRAGMA application_id", &rc);
    if (rc != SQLITE_OK) {
        why = QStringLiteral("Die Datei %1 ist keine lesbare Datenbank: %2").arg(QDir::toNativeSeparators(path), db.message());
        return FileState::Damaged;
    }
    if (appId != schema::kApplicationId) {
        why = QStringLiteral("Die Datei %1 ist keine Quittora-Datenbank.").arg(QDir::toNativeSeparators(path));
        return FileState::Foreign;
    }
    const int layout = db.intValue("PRAGMA user_version", &rc);
    if (rc != SQLITE_OK || layout < 1) {
        why = QStringLiteral("Die Datei %1 ist keine vollständige Quittora-Datenbank.").arg(QDir::toNativeSeparators(path));
        return FileState::Damaged;
    }
    if (layout > schema::kUserVersion) {
        why = QStringLiteral("Die Datei %1 stammt von einer neueren Programmversion.").arg(QDir::toNativeSeparators(path));
        return FileState::NewerLayout;
    }
    const QStringList check = db.textRows("PRAGMA integrity_check", &rc);
    if (rc != SQLITE_OK || check != QStringList{QStringLiteral("ok")}) {
        // SQLite's findings are English and technical: the user is told how
        // many there are.
        why = rc != SQLITE_OK
                  ? QStringLiteral("Die Datei %1 ist beschädigt: %2").arg(QDir::toNativeSeparators(path), db.message())
                  : QStringLiteral("Die Datei %1 ist beschädigt: Die Prüfung der Datenbank meldet %2 Fehler.")
                        .arg(QDir::toNativeSeparators(path))
                        .arg(check.size());
        return FileState::Damaged;
    }
    return FileState::Sound;
}

// --- file operations -------------------------------------------------------

qint64 FileOps::freeBytes(const QString& folder)
{
    QStorageInfo storage(folder);
    if (!storage.isValid() || !storage.isReady())
        return -1;
    return storage.bytesAvailable();
}

Result FileOps::copy(const QString& from, const QString& to)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return fail(Failure::WriteFailed, QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(from), fileReason(in)));
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return fail(Failure::WriteFailed, QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(to), fileReason(out)));
    QByteArray chunk;
    while (!(chunk = in.read(1 << 20)).isEmpty()) {
        errno = 0;
        if (out.write(chunk) != chunk.size()) {
            const int error = errno;
            return fail(failureForErrno(error), QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(to), fileReason(out)));
        }
    }
    if (in.error() != QFileDevice::NoError)
        return fail(Failure::WriteFailed, QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(from), fileReason(in)));
    return {};
}

Result FileOps::flush(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadWrite))
        return fail(Failure::WriteFailed, QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(file), fileReason(f)));
#ifdef Q_OS_WIN
    const int rc = ::_commit(f.handle());
#else
    const int rc = ::fsync(f.handle());
#endif
    if (rc != 0) {
        const int error = errno;
        return fail(failureForErrno(error), QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(file), errnoText(error)));
    }
    return {};
}

Result FileOps::replace(const QString& from, const QString& to)
{
    std::error_code ec;
    std::filesystem::rename(fsPath(from), fsPath(to), ec);
    if (ec)
        return fail(failureForErrno(ec.value()), QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(to), errnoText(ec.value())));
    syncFolder(QFileInfo(to).absolutePath());
    return {};
}

bool FileOps::remove(const QString& file) { return !QFileInfo::exists(file) || QFile::remove(file); }

FileOps& systemFileOps()
{
    static FileOps ops;
    return ops;
}

// --- in-use mark -------------------------------------------------------------

QString inUseMarkPath(const QString& databaseFile)
{
    // Beside the real file, so that the program and a restore agree on the
    // mark whichever link each of them was given.
    const QString canonical = QFileInfo(databaseFile).canonicalFilePath();
    const QFileInfo info(canonical.isEmpty() ? databaseFile : canonical);
    return info.absolutePath() + QLatin1String("/.") + info.fileName() + QLatin1String(".lock");
}

InUseMark::InUseMark(const QString& databaseFile)
    : m_lock(std::make_unique<QLockFile>(inUseMarkPath(databaseFile)))
{
    // A program that runs for days must not see its own mark taken for stale.
    m_lock->setStaleLockTime(0);
    m_lock->tryLock(0);
}

InUseMark::~InUseMark() = default;

bool InUseMark::held() const { return m_lock->isLocked(); }

bool isMarkedInUse(const QString& databaseFile)
{
    const QString path = inUseMarkPath(databaseFile);
    if (!QFileInfo::exists(path))
        return false;
    QLockFile probe(path);
    probe.setStaleLockTime(0);
    if (probe.tryLock(0)) {
        probe.unlock(); // a mark left by a program that is gone
        return false;
    }
    return probe.error() == QLockFile::LockFailedError;
}

// --- backup and restore ----------------------------------------------------

Result backupDatabase(const QString& databaseFile, const QString& targetFile, FileOps& ops)
{
    if (isSamePath(databaseFile, targetFile))
        return fail(Failure::SamePath, {});
    const QFileInfo info(databaseFile);
    if (info.isDir())
        return fail(Failure::SourceUnreadable, QStringLiteral("%1 ist ein Ordner und keine Datendatei.").arg(QDir::toNativeSeparators(databaseFile)));
    if (!info.exists())
        return fail(Failure::SourceUnreadable, QStringLiteral("Die Datendatei %1 ist nicht vorhanden.").arg(QDir::toNativeSeparators(databaseFile)));
    Handle source;
    QString error;
    if (!source.open(databaseFile, false, &error))
        return fail(Failure::SourceUnreadable, QStringLiteral("Die Datendatei kann nicht geöffnet werden: %1").arg(error));
    // Another program writing to the file gets a moment to finish.
    sqlite3_busy_timeout(source.get(), 2000);
    return compactInto(source, databaseFile, targetFile, ops);
}

Result backupDatabase(const QSqlDatabase& connection, const QString& targetFile, FileOps& ops)
{
    sqlite3* handle = handleOf(connection);
    if (!handle)
        return fail(Failure::SourceUnreadable, QStringLiteral("Die Datenbank ist nicht geöffnet."));
    Handle source;
    source.borrow(handle);
    return compactInto(source, connection.databaseName(), targetFile, ops);
}

namespace {

// The file a path stands for: a restore through a symbolic link replaces the
// file the link points to and leaves the link in place.
QString realFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    // A link to a file that is not there (yet): the restore creates it there.
    return info.symLinkTarget();
}

// True when SQLite reads more than the file itself: a write-ahead log beside
// it holds its last transactions, or its header asks for one.
bool hasWriteAheadLog(const QString& path)
{
    if (QFileInfo(path + QLatin1String("-wal")).size() > 0)
        return true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(20);
    return header.size() == 20 && (header.at(18) == 2 || header.at(19) == 2);
}

// Copies a backup with its write-ahead log and lets SQLite play the log into
// the copy, which then is one file of the usual kind. Only transactions
// SQLite sees as complete in the log are taken over; the backup itself and
// its log are only read.
Result copyWithLog(FileOps& ops, const QString& backupFile, const QString& temp)
{
    if (Result r = ops.copy(backupFile, temp); !r.ok())
        return r;
    const QString log = backupFile + QLatin1String("-wal");
    if (QFileInfo::exists(log)) {
        QFile out(temp + QLatin1String("-wal"));
        if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return fail(Failure::WriteFailed, QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(out.fileName()), fileReason(out)));
        out.close();
        if (Result r = ops.copy(log, out.fileName()); !r.ok())
            return r;
    }
    Handle db;
    QString error;
    if (!db.open(temp, false, &error))
        return fail(Failure::WriteFailed, QStringLiteral("Die Kopie der Sicherung kann nicht geöffnet werden: %1").arg(error));
    int rc = SQLITE_OK;
    const QStringList mode = db.textRows("PRAGMA journal_mode = DELETE", &rc);
    if (rc != SQLITE_OK || mode != QStringList{QStringLiteral("delete")}) {
        Result r = fail(failureForSqlite(rc), QStringLiteral("Die letzten Änderungen der Sicherung können nicht übernommen werden: %1")
                                                  .arg(db.message()));
        if (r.failure == Failure::SourceUnreadable || r.failure == Failure::InUse)
            r.failure = Failure::BackupDamaged;
        return r;
    }
    return {};
}

} // namespace

Result restoreDatabase(const QString& backupFile, const QString& databasePath, const QDateTime& now, FileOps& ops)
{
    QString why;
    switch (inspectDatabaseFile(backupFile, &why)) {
    case FileState::Sound:
        break;
    case FileState::Missing:
    case FileState::Unreadable:
        return fail(Failure::BackupMissing, why);
    case FileState::NewerLayout:
        return fail(Failure::BackupNewer, why);
    case FileState::Damaged:
    case FileState::Foreign:
        return fail(Failure::BackupDamaged, why);
    }
    if (isSamePath(backupFile, databasePath))
        return fail(Failure::SamePath, {});

    const QString databaseFile = realFile(databasePath);
    const QFileInfo target(databaseFile);
    if (target.isDir())
        return fail(Failure::WriteFailed, QStringLiteral("%1 ist ein Ordner.").arg(QDir::toNativeSeparators(databaseFile)));
    const QString folder = target.absolutePath();
    if (!QFileInfo(folder).isDir())
        return fail(Failure::WriteFailed, QStringLiteral("Der Ordner %1 ist nicht vorhanden.").arg(QDir::toNativeSeparators(folder)));
    const bool replacing = target.exists();

    // Whoever still holds the database open would go on writing into the
    // replaced file; refuse while a running program has marked it (under
    // either name) or a connection holds a lock on it.
    if (replacing && (isMarkedInUse(databaseFile) || isMarkedInUse(databasePath)))
        return fail(Failure::InUse, QStringLiteral("Quittora hat die Datendatei %1 gerade geöffnet.")
                                        .arg(QDir::toNativeSeparators(databaseFile)));
    if (replacing) {
        Handle probe;
        QString error;
        if (probe.open(databaseFile, false, &error)) {
            sqlite3_busy_timeout(probe.get(), 500);
            const int rc = probe.exec("BEGIN EXCLUSIVE");
            if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED)
                return fail(Failure::InUse, QStringLiteral("Die Datendatei wird gerade benutzt."));
            if (rc == SQLITE_OK)
                probe.exec("ROLLBACK");
        }
    }

    // Copies left by interrupted restores are space this restore may use.
    removeLeftovers(databaseFile, kRestoreKind);
    const qint64 needed = QFileInfo(backupFile).size() + QFileInfo(backupFile + QLatin1String("-wal")).size()
                          + (replacing ? target.size() : 0);
    if (Result r = roomFor(ops, folder, needed); !r.ok())
        return r;

    QString error;
    int errorNumber = 0;
    const QString temp = reserveTempFile(databaseFile, kRestoreKind, &error, &errorNumber);
    if (temp.isEmpty())
        return classifyWriteFailure(fail(failureForErrno(errorNumber), error), ops, folder, needed);
    auto abandon = [&](Result r) {
        removeTemp(ops, temp);
        return classifyWriteFailure(r, ops, folder, needed);
    };

    if (Result r = hasWriteAheadLog(backupFile) ? copyWithLog(ops, backupFile, temp) : ops.copy(backupFile, temp); !r.ok())
        return abandon(r);
    if (Result r = ops.flush(temp); !r.ok())
        return abandon(r);
    if (inspectDatabaseFile(temp, &why) != FileState::Sound)
        return abandon(fail(Failure::WriteFailed, QStringLiteral("Die Kopie der Sicherung ist fehlerhaft: %1").arg(why)));
    // The restored file keeps the owner's rights on the replaced one but,
    // holding customers' data, is readable by nobody else.
    if (replacing)
        QFile::setPermissions(temp, target.permissions() & ~(QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup
                                                           | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther));

    Result done;
    if (replacing) {
        // The replaced file stays beside it, with any journal that belongs to
        // it, so that nothing is lost if the wrong backup was chosen.
        const QString safety = safetyCopyPath(databaseFile, now);
        const QString safetyTemp = reserveTempFile(databaseFile, kRestoreKind, &error, &errorNumber);
        if (safetyTemp.isEmpty())
            return abandon(fail(failureForErrno(errorNumber), error));
        Result r = ops.copy(databaseFile, safetyTemp);
        if (r.ok())
            r = ops.flush(safetyTemp);
        if (r.ok())
            r = ops.replace(safetyTemp, safety);
        if (!r.ok()) {
            ops.remove(safetyTemp);
            return abandon(r);
        }
        for (const char* sidecar : {"-wal", "-journal"}) {
            const QString from = databaseFile + QLatin1String(sidecar);
            if (!QFileInfo::exists(from))
                continue;
            const QString to = safety + QLatin1String(sidecar);
            if (Result s = ops.copy(from, to); !s.ok())
                return abandon(s);
        }
        // A journal left beside the new file would be played into it.
        for (const char* sidecar : {"-wal", "-shm", "-journal"}) {
            if (!ops.remove(databaseFile + QLatin1String(sidecar)))
                return abandon(fail(Failure::WriteFailed, QStringLiteral("%1 kann nicht entfernt werden.")
                                                              .arg(QDir::toNativeSeparators(databaseFile + QLatin1String(sidecar)))));
        }
        done.safetyCopy = safety;
    }
    if (Result r = ops.replace(temp, databaseFile); !r.ok())
        return abandon(r);
    return done;
}

// --- support mail ----------------------------------------------------------

// The maker's support address, the one the information window shows.
QString supportAddress() { return publisher().email; }

MailCommand supportMailCommand(const QString& databaseFile)
{
    const QString subject = QStringLiteral("Quittora - Daten");
    return {QStringLiteral("xdg-email"),
            {QStringLiteral("--utf8"), QStringLiteral("--subject"), subject, QStringLiteral("--body"), subject,
             QStringLiteral("--attach"), QFileInfo(databaseFile).absoluteFilePath(), supportAddress()}};
}

// --- messages --------------------------------------------------------------

FailureMessage failureMessage(Operation operation, Failure failure)
{
    using Icon = Prompts::Icon;
    const QString error = QStringLiteral("Fehler !");
    switch (failure) {
    case Failure::None:
        return {};
    case Failure::DiskFull:
        return {QStringLiteral("Achtung !"), QStringLiteral("Diskette voll - wechseln oder abbrechen"), Icon::Exclamation,
                Prompts::Ok | Prompts::Cancel, true, false};
    case Failure::InUse:
        return {QStringLiteral("Achtung !"),
                QStringLiteral("Bitte brechen Sie ab, und starten Sie dieses Programm erneut, dann Datensicherung anklicken !"),
                Icon::Exclamation, Prompts::Ok, false, true};
    case Failure::SamePath:
        return {error,
                QStringLiteral(" Sicherungspfad identisch mit Programmpfad !  Bitte wählen Sie einen anderen Pfad als Sicherungspfad."),
                Icon::Critical, Prompts::Ok, false, false};
    default:
        break;
    }
    if (operation == Operation::Backup)
        return {error, QStringLiteral("Datei kann nicht gesichert werden !\nbitte Ursache beheben, dann auf OK klicken"),
                Icon::Critical, Prompts::Ok | Prompts::Cancel, true, false};
    switch (failure) {
    case Failure::BackupMissing:
        return {error,
                QStringLiteral("Datei nicht gefunden !\nbitte wählen Sie den korrekten Sicherungspfad und versuchen Sie es erneut"),
                Icon::Critical, Prompts::Ok, false, false};
    case Failure::BackupDamaged:
        return {error,
                QStringLiteral("Die Sicherungsdatei ist beschädigt oder keine Quittora-Datenbank !\nDie Datendatei wurde nicht verändert."),
                Icon::Critical, Prompts::Ok, false, false};
    case Failure::BackupNewer:
        return {error,
                QStringLiteral("Die Sicherungsdatei stammt von einer neueren Programmversion !\nDie Datendatei wurde nicht verändert."),
                Icon::Critical, Prompts::Ok, false, false};
    default:
        return {error, QStringLiteral("Datei kann nicht zurückgeschrieben werden !\nbitte Ursache beheben, dann auf OK klicken"),
                Icon::Critical, Prompts::Ok | Prompts::Cancel, true, false};
    }
}

QString failureSummary(Operation operation, Failure failure)
{
    const bool backup = operation == Operation::Backup;
    switch (failure) {
    case Failure::None:
        return {};
    case Failure::DiskFull:
        return backup ? QStringLiteral("Datei kann nicht gesichert werden: der Datenträger ist voll.")
                      : QStringLiteral("Datei kann nicht zurückgeschrieben werden: der Datenträger ist voll. Die Datendatei wurde nicht verändert.");
    case Failure::InUse:
        return QStringLiteral("Die Datendatei wird gerade benutzt. Bitte schließen Sie das Programm und versuchen Sie es erneut.");
    case Failure::SamePath:
        return QStringLiteral("Sicherungspfad identisch mit Programmpfad ! Bitte wählen Sie einen anderen Pfad als Sicherungspfad.");
    case Failure::BackupMissing:
        return QStringLiteral("Datei nicht gefunden ! Die Datendatei wurde nicht verändert.");
    case Failure::BackupDamaged:
        return QStringLiteral("Die Sicherungsdatei ist beschädigt oder keine Quittora-Datenbank ! Die Datendatei wurde nicht verändert.");
    case Failure::BackupNewer:
        return QStringLiteral("Die Sicherungsdatei stammt von einer neueren Programmversion ! Die Datendatei wurde nicht verändert.");
    case Failure::SourceUnreadable:
    case Failure::WriteFailed:
        break;
    }
    return backup ? QStringLiteral("Datei kann nicht gesichert werden !")
                  : QStringLiteral("Datei kann nicht zurückgeschrieben werden ! Die Datendatei wurde nicht verändert.");
}

Outcome runWithRetry(Prompts& prompts, Operation operation, const std::function<Result()>& attempt, Result* last)
{
    for (;;) {
        const Result result = attempt();
        if (last)
            *last = result;
        if (result.ok())
            return Outcome::Done;
        const FailureMessage m = failureMessage(operation, result.failure);
        const Prompts::Button answer = prompts.message(m.title, m.text, m.icon, m.buttons);
        if (m.endsProgram)
            return Outcome::EndProgram;
        if (!(m.retryOnOk && answer == Prompts::Ok))
            return Outcome::Stopped;
    }
}

} // namespace quittora::safety
