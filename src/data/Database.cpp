#include "data/Database.h"

#include "data/Schema.h"
#include "data/Leftovers.h"
#include "data/SqlFunctions.h"
#include "platform/ErrorTexts.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QtEndian>

#include <sqlite3.h>

#include <atomic>

namespace quittora {

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString fileMessage(const char* pattern, const QString& path)
{
    return QString::fromUtf8(pattern).arg(shown(path));
}

// Closes a raw SQLite handle on every way out of a check.
struct SqliteHandle {
    sqlite3* db = nullptr;
    ~SqliteHandle() { sqlite3_close_v2(db); }
};

bool isBusy(int rc)
{
    const int primary = rc & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

const char* kLockedMessage = "Die Datenbankdatei „%1“ wird gerade von einem anderen Programm benutzt und ist gesperrt. "
                             "Bitte beenden Sie das andere Programm und versuchen Sie es erneut.";

// Why a file could not be read, from the SQLite code of the failed read.
QString readFailure(const QString& path, int rc)
{
    if (isBusy(rc))
        return fileMessage(kLockedMessage, path);
    const int primary = rc & 0xff;
    if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB || primary == SQLITE_FORMAT)
        return Database::damagedMessage(path);
    return QString::fromUtf8("Die Datenbankdatei „%1“ kann nicht gelesen werden: %2")
        .arg(shown(path), sqliteReason(rc));
}

// The tables and fields the program relies on must all be there; a file that
// lacks one would fail later, in the middle of the user's work.
// Returns an empty string, or the German message; *busy is set when the
// file could not be read because another connection holds a lock.
int layoutVersion(sqlite3* db, int* rcOut)
{
    sqlite3_stmt* stmt = nullptr;
    int version = 0;
    int rc = sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &stmt, nullptr);
    if (rc == SQLITE_OK && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        version = sqlite3_column_int(stmt, 0);
        rc = SQLITE_OK;
    }
    sqlite3_finalize(stmt);
    *rcOut = rc;
    return version;
}

QString verifyTables(sqlite3* db, const QString& path, int* rcOut)
{
    // A file of an older layout is complete with the fields of its layout;
    // opening it adds the rest.
    const int version = layoutVersion(db, rcOut);
    if (*rcOut != SQLITE_OK)
        return readFailure(path, *rcOut);
    QList<QPair<QString, QStringList>> tables;
    for (const char* name : {"Kunden", "Artikel", "Rechnungen", "Verkauf", "Einstellungen"})
        tables.append({QString::fromLatin1(name), schema::fieldsOfLayout(QString::fromLatin1(name), version)});
    for (const auto& t : tables) {
        const QByteArray sql = "SELECT name FROM pragma_table_info('" + t.first.toUtf8() + "')";
        sqlite3_stmt* stmt = nullptr;
        int rc = sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr);
        QStringList present;
        if (rc == SQLITE_OK) {
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
                present << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        }
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE && rc != SQLITE_OK) {
            *rcOut = rc;
            return readFailure(path, rc);
        }
        if (present.isEmpty())
            return QString::fromUtf8("Die Datenbankdatei „%1“ ist unvollständig: die Tabelle „%2“ fehlt.")
                .arg(shown(path), t.first);
        for (const QString& f : t.second) {
            if (!present.contains(f, Qt::CaseInsensitive))
                return QString::fromUtf8("Die Datenbankdatei „%1“ ist unvollständig: in der Tabelle „%2“ fehlt das Feld „%3“.")
                    .arg(shown(path), t.first, f);
        }
    }
    return {};
}

// The header fields the size check needs; false when the file has no
// readable SQLite header.
struct PageLayout {
    qint64 pageSize = 0;
    qint64 pageCount = 0;  // 0 when the header's count is not trustworthy
};
bool readPageLayout(const QByteArray& header, PageLayout* layout)
{
    if (header.size() < 100 || !header.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return false;
    const auto u16 = [&](int at) { return qFromBigEndian<quint16>(header.constData() + at); };
    const auto u32 = [&](int at) { return qFromBigEndian<quint32>(header.constData() + at); };
    const quint32 rawPageSize = u16(16);
    layout->pageSize = rawPageSize == 1 ? 65536 : rawPageSize;
    // The page count is only kept current by writers that also keep the
    // "valid for" number equal to the change counter.
    layout->pageCount = u32(24) == u32(92) ? u32(28) : 0;
    return true;
}

QString checkHeader(const QString& path, const QFileInfo& info)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fileMessage("Die Datei „%1“ kann nicht gelesen werden. Bitte prüfen Sie die Zugriffsrechte.", path);
    const QByteArray header = file.read(100);
    const qint64 size = info.size();
    if (size == 0)
        return fileMessage("Die Datei „%1“ ist leer und keine Quittora-Datenbank.", path);
    if (header.size() < 100 || !header.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return fileMessage("Die Datei „%1“ ist keine Quittora-Datenbank.", path);

    const auto u32 = [&](int at) { return qFromBigEndian<quint32>(header.constData() + at); };
    if (const QString why = Database::checkCompleteness(path, true); !why.isEmpty())
        return why;

    const qint32 applicationId = static_cast<qint32>(u32(68));
    if (applicationId != schema::kApplicationId)
        return fileMessage("Die Datei „%1“ ist eine Datenbank eines anderen Programms und keine Quittora-Datenbank.", path);
    const qint32 version = static_cast<qint32>(u32(60));
    if (version > schema::kUserVersion)
        return QString::fromUtf8("Die Datenbankdatei „%1“ wurde mit einer neueren Quittora-Version angelegt "
                                 "(Datenbankversion %2, dieses Programm kennt Version %3). "
                                 "Bitte verwenden Sie die neuere Programmversion.")
            .arg(shown(path)).arg(version).arg(schema::kUserVersion);
    if (version < 1)
        return QString::fromUtf8("Die Datenbankdatei „%1“ hat eine unbekannte Datenbankversion (%2).")
            .arg(shown(path)).arg(version);
    return {};
}

QString checkWritable(const QString& path, const QFileInfo& info)
{
    // A file whose write permissions are all cleared is read-only by the
    // owner's intent, even for an administrator who could write anyway.
    const QFile::Permissions writeBits = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (!info.isWritable() || (info.permissions() & writeBits) == 0)
        return fileMessage("Die Datenbankdatei „%1“ ist schreibgeschützt. Quittora muss Änderungen darin speichern "
                           "können; bitte heben Sie den Schreibschutz auf.", path);
    const QFileInfo folder(info.absolutePath());
    if (!folder.isWritable())
        return QString::fromUtf8("Der Ordner „%1“ der Datenbankdatei ist schreibgeschützt. Quittora muss dort beim "
                                 "Speichern eine Hilfsdatei anlegen können.")
            .arg(shown(folder.absoluteFilePath()));
    return {};
}

QString sqliteUri(const QString& path, const char* mode)
{
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded)
        + QStringLiteral("?mode=") + QString::fromLatin1(mode);
}

// Damage inside the file is found by reading it. SQLite's quick_check over
// the whole file reads every page: about a quarter of the start-up budget at
// 50,000 documents and several times the budget at 500,000. Opening checks
// what does not grow with the documents: the table of contents and every
// page, index included, of the settings, customers and articles. Damage in
// the documents and their lines is found where they are read, and reported
// there the same way.
int checkForDamage(sqlite3* db)
{
    static const char* const checks[] = {
        "SELECT count(*) FROM sqlite_schema",
        "PRAGMA quick_check(Einstellungen)",
        "PRAGMA quick_check(Kunden)",
        "PRAGMA quick_check(Artikel)",
    };
    for (const char* sql : checks) {
        sqlite3_stmt* stmt = nullptr;
        int rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
        bool sound = rc == SQLITE_OK;
        while (sound && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
            if (sqlite3_column_type(stmt, 0) == SQLITE_TEXT && qstrcmp(text, "ok") != 0)
                sound = false;
        }
        sqlite3_finalize(stmt);
        if (!sound)
            return rc == SQLITE_ROW || rc == SQLITE_OK || rc == SQLITE_DONE ? SQLITE_CORRUPT : rc;
        if (rc != SQLITE_DONE)
            return rc;
    }
    return SQLITE_OK;
}

QString checkWithSqlite(const QString& path)
{
    const QByteArray roUri = sqliteUri(path, "ro").toUtf8();
    {
        SqliteHandle ro;
        int rc = sqlite3_open_v2(roUri.constData(), &ro.db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
        if (rc != SQLITE_OK)
            return fileMessage("Die Datenbankdatei „%1“ kann nicht geöffnet werden.", path);
        sqlite3_extended_result_codes(ro.db, 1);
        sqlite3_busy_timeout(ro.db, 250);
        const QString why = verifyTables(ro.db, path, &rc);
        // A journal left by an interrupted write can only be rolled back by a
        // writing connection; opening the file does that, so it is no reason
        // to refuse. Nothing else can be checked without writing.
        if (rc == SQLITE_READONLY_ROLLBACK)
            return {};
        if (!why.isEmpty())
            return why;
        if (const int damage = checkForDamage(ro.db); damage != SQLITE_OK)
            return readFailure(path, damage);
    }
    // Whether another program holds the write lock: take it and give it
    // back at once. Taking the lock writes nothing to the file.
    const QByteArray rwUri = sqliteUri(path, "rw").toUtf8();
    SqliteHandle rw;
    if (sqlite3_open_v2(rwUri.constData(), &rw.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI, nullptr) != SQLITE_OK)
        return fileMessage("Die Datenbankdatei „%1“ kann nicht zum Schreiben geöffnet werden.", path);
    sqlite3_busy_timeout(rw.db, 250);
    const int rc = sqlite3_exec(rw.db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        sqlite3_exec(rw.db, "ROLLBACK", nullptr, nullptr, nullptr);
    else if (isBusy(rc))
        return fileMessage(kLockedMessage, path);
    else
        return QString::fromUtf8("Die Datenbankdatei „%1“ kann nicht zum Schreiben geöffnet werden: %2")
            .arg(shown(path), sqliteReason(rc));
    return {};
}

// The rows of every table, to compare a copy with its original.
QString tableCounts(sqlite3* db)
{
    QString counts;
    for (const char* table : {"Kunden", "Artikel", "Rechnungen", "Verkauf", "Einstellungen"}) {
        sqlite3_stmt* stmt = nullptr;
        const QByteArray sql = QByteArray("SELECT count(*) FROM ") + table;
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
            return {};
        const bool ok = sqlite3_step(stmt) == SQLITE_ROW;
        counts += QString::number(ok ? sqlite3_column_int64(stmt, 0) : -1) + QLatin1Char(' ');
        sqlite3_finalize(stmt);
        if (!ok)
            return {};
    }
    return counts;
}

// Writes the safety copy of an open file beside it through SQLite's backup
// (a consistent snapshot, synced on its commit), checks it read back and
// gives it its name only then. The copy's path, or empty and *why.
QString writeSafetyCopy(sqlite3* source, const QString& path, QString* why)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    QString target = QDir(folder).filePath(QStringLiteral("Quittora vor Umstellung %1.qtb").arg(stamp));
    for (int n = 2; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n)
        target = QDir(folder).filePath(QStringLiteral("Quittora vor Umstellung %1 (%2).qtb").arg(stamp).arg(n));
    const QString prefix = info.fileName() + QLatin1Char('.');
    leftovers::removeAbandoned(folder, prefix, QStringLiteral("kopie"), QString());
    const QString temp = leftovers::temporaryName(folder, prefix, QStringLiteral("kopie"), QString());
    const auto fail = [&](const QString& reason) {
        QFile::remove(temp);
        QFile::remove(temp + QStringLiteral("-journal"));
        *why = QString::fromUtf8("Die Datenbankdatei „%1“ muss für diese Programmversion umgestellt werden. Die "
                                 "Sicherheitskopie davor konnte nicht angelegt werden (%2); die Datei bleibt "
                                 "unverändert.")
                   .arg(shown(path), reason);
        return QString();
    };
    const QString original = tableCounts(source);
    {
        SqliteHandle copy;
        const QByteArray name = QFile::encodeName(temp);
        int rc = sqlite3_open_v2(name.constData(), &copy.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        if (rc != SQLITE_OK)
            return fail(sqliteReason(rc));
        sqlite3_exec(copy.db, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr);
        sqlite3_backup* backup = sqlite3_backup_init(copy.db, "main", source, "main");
        if (!backup)
            return fail(sqliteReason(sqlite3_extended_errcode(copy.db)));
        rc = sqlite3_backup_step(backup, -1);
        const int finished = sqlite3_backup_finish(backup);
        if (rc != SQLITE_DONE || finished != SQLITE_OK)
            return fail(sqliteReason(rc != SQLITE_DONE ? rc : finished));
    }
    {
        SqliteHandle check;
        const QByteArray uri = sqliteUri(temp, "ro").toUtf8();
        if (sqlite3_open_v2(uri.constData(), &check.db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) != SQLITE_OK)
            return fail(QString::fromUtf8("die Kopie ist nicht lesbar"));
        sqlite3_stmt* stmt = nullptr;
        bool sound = sqlite3_prepare_v2(check.db, "PRAGMA quick_check", -1, &stmt, nullptr) == SQLITE_OK
                     && sqlite3_step(stmt) == SQLITE_ROW
                     && qstrcmp(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "ok") == 0;
        sqlite3_finalize(stmt);
        sound = sound && !original.isEmpty() && tableCounts(check.db) == original;
        if (!sound)
            return fail(QString::fromUtf8("die Kopie stimmt nicht mit dem Original überein"));
    }
    // QFile::rename never replaces an existing file.
    if (!QFile::rename(temp, target))
        return fail(QString::fromUtf8("die Kopie konnte nicht umbenannt werden"));
    return target;
}

// A file of an older layout: safety copy, then every change in one
// transaction. The German reason when that fails, with the file unchanged.
QString upgradeLayout(const QSqlDatabase& db, sqlite3* handle, const QString& path, int version)
{
    QString why;
    const QString copy = writeSafetyCopy(handle, path, &why);
    if (copy.isEmpty())
        return why;
    QString error;
    if (!schema::upgradeSchema(db, version, &error)) {
        QFile::remove(copy);
        return QString::fromUtf8("Die Datenbankdatei „%1“ konnte nicht auf die Datenbankversion %2 umgestellt werden "
                                 "(%3). Sie bleibt unverändert.")
            .arg(shown(path))
            .arg(schema::kUserVersion)
            .arg(error);
    }
    // Said on the error channel, where the command line shows it; the
    // window needs no word: the copy's name says what it is.
    qInfo("%s", qUtf8Printable(QString::fromUtf8("Hinweis: Die Datenbankdatei „%1“ wurde auf die Datenbankversion %2 "
                                                "umgestellt; die Sicherheitskopie davor ist „%3“.")
                                  .arg(shown(path))
                                  .arg(schema::kUserVersion)
                                  .arg(shown(copy))));
    return {};
}

// SQLite's page cache per connection, in KiB.
constexpr int kPageCacheKiB = 16384;

QString nextConnectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("quittora-db-%1").arg(++counter);
}

} // namespace

QString Database::damagedMessage(const QString& path)
{
    return fileMessage("Die Datenbankdatei „%1“ ist beschädigt. Quittora liest und schreibt sie nicht weiter, damit "
                       "nichts verloren geht. Bitte stellen Sie Ihre Datensicherung wieder her "
                       "(Datei → Datensicherung).", path);
}

QString Database::checkCompleteness(const QString& path, bool allowJournal)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fileMessage("Die Datei „%1“ kann nicht gelesen werden. Bitte prüfen Sie die Zugriffsrechte.", path);
    PageLayout layout;
    if (!readPageLayout(file.read(100), &layout))
        return fileMessage("Die Datei „%1“ ist keine Quittora-Datenbank.", path);
    if (layout.pageSize < 512 || layout.pageSize > 65536 || (layout.pageSize & (layout.pageSize - 1)) != 0)
        return fileMessage("Die Datei „%1“ ist beschädigt (ungültiger Dateikopf).", path);
    // With a journal beside it the file may be mid-write; opening rolls it
    // back to the last complete state, so its size proves nothing yet.
    const QFileInfo journal(path + QStringLiteral("-journal"));
    if (allowJournal && journal.exists() && journal.size() > 0)
        return {};
    const qint64 size = file.size();
    if (size % layout.pageSize != 0 || layout.pageSize * layout.pageCount > size)
        return fileMessage("Die Datei „%1“ ist unvollständig oder beschädigt: sie ist kürzer, als ihr Inhalt angibt. "
                           "Bitte stellen Sie die Datenbank aus einer Datensicherung wieder her "
                           "(Datei → Datensicherung).", path);
    return {};
}

Database::Database() = default;

Database::~Database()
{
    close();
}

QString Database::checkFile(const QString& path)
{
    if (path.trimmed().isEmpty())
        return QString::fromUtf8("Es wurde keine Datenbankdatei angegeben.");
    const QFileInfo info(path);
    if (info.isDir())
        return fileMessage("„%1“ ist ein Ordner und keine Datenbankdatei.", path);
    if (!info.exists())
        return fileMessage("Die Datenbankdatei „%1“ wurde nicht gefunden.", path);
    if (!info.isFile())
        return fileMessage("„%1“ ist keine gewöhnliche Datei und keine Datenbankdatei.", path);
    if (!info.isReadable())
        return fileMessage("Die Datei „%1“ kann nicht gelesen werden. Bitte prüfen Sie die Zugriffsrechte.", path);
    QString why = checkHeader(path, info);
    if (why.isEmpty())
        why = checkWritable(path, info);
    if (why.isEmpty())
        why = checkWithSqlite(path);
    return why;
}

bool Database::isDatabaseFile(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    return file.read(16) == QByteArray("SQLite format 3\0", 16);
}

bool Database::open(const QString& path, QString* message)
{
    QString why = checkFile(path);
    if (!why.isEmpty()) {
        if (message)
            *message = why;
        return false;
    }
    const QString name = nextConnectionName();
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        // mode=rw: never create a file here, even if it vanished since the check.
        db.setDatabaseName(sqliteUri(path, "rw"));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=3000"));
        if (!db.open()) {
            why = QString::fromUtf8("Die Datenbankdatei „%1“ kann nicht geöffnet werden: %2")
                      .arg(shown(path), databaseReason(db.lastError()));
        } else if (!registerSqlFunctions(db)) {
            why = fileMessage("Die Datenbankdatei „%1“ kann nicht geöffnet werden (Funktionen nicht verfügbar).", path);
        } else {
            QSqlQuery q(db);
            // The first read also rolls back a journal left by an interrupted
            // write; only then are the header values final.
            if (!q.exec(QStringLiteral("PRAGMA application_id")) || !q.next()
                || q.value(0).toInt() != schema::kApplicationId) {
                why = fileMessage("Die Datei „%1“ ist keine Quittora-Datenbank.", path);
            } else if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next() || q.value(0).toInt() < 1
                       || q.value(0).toInt() > schema::kUserVersion) {
                why = fileMessage("Die Datenbankdatei „%1“ hat eine unbekannte Datenbankversion.", path);
            } else {
                const int version = q.value(0).toInt();
                q.finish();
                auto* handle = *static_cast<sqlite3* const*>(db.driver()->handle().constData());
                int rc = SQLITE_OK;
                why = verifyTables(handle, path, &rc);
                // Checked again here: a journal rolled back just now may
                // have hidden the file's state from checkFile. Nothing is
                // written into a file that reports damage.
                if (why.isEmpty() && (rc = checkForDamage(handle)) != SQLITE_OK)
                    why = readFailure(path, rc);
                if (why.isEmpty() && version < schema::kUserVersion)
                    why = upgradeLayout(db, handle, path, version);
                // Without its lock an issued invoice could be changed: no
                // connection goes without it.
                QString lockError;
                if (why.isEmpty() && !schema::installLockTriggers(db, &lockError))
                    why = QString::fromUtf8("Die Datenbankdatei „%1“ kann nicht geöffnet werden (%2).")
                              .arg(shown(path), lockError);
                if (why.isEmpty()) {
                    q.exec(QStringLiteral("PRAGMA foreign_keys = ON"));
                    // Room for the document table and the search indexes of a
                    // large business (50,000 documents take about 12 MB), so
                    // that a search through every document reads memory, not
                    // the file. Filled only as pages are read.
                    q.exec(QStringLiteral("PRAGMA cache_size = -%1").arg(kPageCacheKiB));
                    // A file from before an index was added gets it now. The
                    // indexes only make searches fast; without them every
                    // search still works, so a failure does not stop opening.
                    QString indexError;
                    if (!schema::ensureIndexes(db, &indexError))
                        qWarning("Indexes could not be added to %s: %s", qPrintable(path), qPrintable(indexError));
                    ok = true;
                }
            }
        }
        if (!ok)
            db.close();
    }
    if (!ok) {
        QSqlDatabase::removeDatabase(name);
        if (message)
            *message = why;
        return false;
    }
    close();
    m_connectionName = name;
    m_path = path;
    return true;
}

void Database::close()
{
    if (m_connectionName.isEmpty())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
    m_connectionName.clear();
    m_path.clear();
}

bool Database::isOpen() const
{
    return !m_connectionName.isEmpty() && QSqlDatabase::database(m_connectionName, false).isOpen();
}

QSqlDatabase Database::connection() const
{
    if (m_connectionName.isEmpty())
        return {};
    return QSqlDatabase::database(m_connectionName, false);
}

bool Database::createFromTemplate(const QString& path, QChar decimalSeparator, QString* message)
{
    const auto failWith = [&](const QString& text) {
        if (message)
            *message = text;
        return false;
    };
    if (path.trimmed().isEmpty())
        return failWith(QString::fromUtf8("Es wurde kein Dateiname für die neue Datenbank angegeben."));
    const QFileInfo info(path);
    if (info.isDir())
        return failWith(fileMessage("„%1“ ist ein Ordner. Bitte geben Sie einen Dateinamen an.", path));
    if (info.exists() || info.isSymLink())
        return failWith(fileMessage("Die Datei „%1“ existiert bereits. Eine vorhandene Datenbank wird nicht überschrieben.", path));
    const QString folder = info.absolutePath();
    if (!QDir().mkpath(folder))
        return failWith(QString::fromUtf8("Der Ordner „%1“ kann nicht angelegt werden.").arg(shown(folder)));

    // Built under a temporary name beside the target, so that a file carrying
    // the final name is always complete. The name carries the process, so
    // that what an interrupted run left is recognised and removed next time.
    const QString prefix = info.fileName() + QLatin1Char('.');
    leftovers::removeAbandoned(folder, prefix, QStringLiteral("neu"), QString());
    const QString temp = leftovers::temporaryName(folder, prefix, QStringLiteral("neu"), QString());

    const QString name = nextConnectionName();
    QString error;
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(temp);
        // The driver's text is English; what the user can act on is the folder.
        if (!db.open())
            error = QString::fromUtf8("in den Ordner „%1“ kann nicht geschrieben werden").arg(shown(folder));
        else
            ok = schema::createSchema(db, &error) && schema::insertTemplateData(db, decimalSeparator, &error);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    const auto dropTemp = [&] {
        QFile::remove(temp);
        QFile::remove(temp + QStringLiteral("-journal"));
    };
    if (!ok) {
        dropTemp();
        return failWith(QString::fromUtf8("Die neue Datenbank „%1“ konnte nicht angelegt werden (%2).").arg(shown(path), error));
    }
    // QFile::rename never replaces an existing file.
    if (!QFile::rename(temp, path)) {
        dropTemp();
        if (QFileInfo::exists(path))
            return failWith(fileMessage("Die Datei „%1“ existiert bereits. Eine vorhandene Datenbank wird nicht überschrieben.", path));
        return failWith(fileMessage("Die neue Datenbank „%1“ konnte nicht unter ihrem Namen gespeichert werden.", path));
    }
    return true;
}

std::optional<Database::Counts> Database::counts() const
{
    if (!isOpen())
        return std::nullopt;
    QSqlQuery q(connection());
    if (!q.exec(QStringLiteral("SELECT (SELECT count(*) FROM Rechnungen), (SELECT count(*) FROM Verkauf), "
                               "(SELECT count(*) FROM Kunden), (SELECT count(*) FROM Artikel)"))
        || !q.next())
        return std::nullopt;
    Counts c;
    c.rechnungen = q.value(0).toLongLong();
    c.positionen = q.value(1).toLongLong();
    c.kunden = q.value(2).toLongLong();
    c.artikel = q.value(3).toLongLong();
    return c;
}

} // namespace quittora
