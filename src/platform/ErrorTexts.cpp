#include "platform/ErrorTexts.h"

#include <QFileDevice>
#include <QFileInfo>
#include <QSqlError>

#include <sqlite3.h>

#include <cerrno>

namespace quittora {

QString errnoReason(int error)
{
    switch (error) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QStringLiteral("Der Datenträger ist voll.");
    case EACCES:
    case EPERM:
        return QStringLiteral("Keine Berechtigung für diesen Zugriff.");
#ifdef EROFS
    case EROFS:
        return QStringLiteral("Der Datenträger ist schreibgeschützt.");
#endif
    case ENOENT:
        return QStringLiteral("Die Datei oder der Ordner ist nicht vorhanden.");
    case ENOTDIR:
        return QStringLiteral("Ein Teil des Pfades ist kein Ordner.");
    case EISDIR:
        return QStringLiteral("Der Name bezeichnet einen Ordner.");
    case EEXIST:
        return QStringLiteral("Die Datei ist bereits vorhanden.");
    case EBUSY:
#ifdef ETXTBSY
    case ETXTBSY:
#endif
        return QStringLiteral("Die Datei wird gerade von einem anderen Programm benutzt.");
    case EIO:
        return QStringLiteral("Lese- oder Schreibfehler des Datenträgers.");
#ifdef EXDEV
    case EXDEV:
        return QStringLiteral("Die Datei kann nicht auf einen anderen Datenträger verschoben werden.");
#endif
    case ENAMETOOLONG:
        return QStringLiteral("Der Dateiname ist zu lang.");
    default:
        return QStringLiteral("Systemfehler Nr. %1.").arg(error);
    }
}

QString fileReason(const QFileDevice& file)
{
    const QFileInfo info(file.fileName());
    if (file.error() != QFileDevice::NoError && info.isDir())
        return QStringLiteral("Der Name bezeichnet einen Ordner.");
    switch (file.error()) {
    case QFileDevice::NoError:
        return QString();
    case QFileDevice::ReadError:
        return QStringLiteral("Lesefehler des Datenträgers.");
    case QFileDevice::WriteError:
        return QStringLiteral("Schreibfehler: Der Datenträger ist voll oder nicht beschreibbar.");
    case QFileDevice::ResourceError:
        return QStringLiteral("Der Datenträger ist voll oder der Speicher reicht nicht aus.");
    case QFileDevice::PermissionsError:
        return QStringLiteral("Keine Berechtigung für diesen Zugriff.");
    case QFileDevice::OpenError:
        if (info.isDir())
            return QStringLiteral("Der Name bezeichnet einen Ordner.");
        if (!QFileInfo(info.absolutePath()).isDir())
            return QStringLiteral("Der Ordner ist nicht vorhanden.");
        if (info.exists() && !info.isReadable())
            return QStringLiteral("Keine Berechtigung, die Datei zu lesen.");
        if (info.exists() && !info.isWritable())
            return QStringLiteral("Die Datei ist schreibgeschützt.");
        return QStringLiteral("Die Datei kann nicht geöffnet werden.");
    default:
        return QStringLiteral("Die Datei kann nicht bearbeitet werden.");
    }
}

namespace {

// Codes behind which the user can do something (free space, close the other
// program, restore the backup): their German reason says all there is.
// The others are faults the user cannot mend; SQLite's own words stay beside
// the German reason for whoever looks into it.
bool isUserActionable(int primary)
{
    switch (primary) {
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_AUTH:
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_NOMEM:
    case SQLITE_IOERR:
    case SQLITE_CORRUPT:
    case SQLITE_FULL:
    case SQLITE_CANTOPEN:
    case SQLITE_NOTADB:
    case SQLITE_NOLFS:
        return true;
    default:
        return false;
    }
}

// The code behind a driver text when the driver passed on no code (Qt's
// SQLite driver does so for a failed COMMIT): SQLite's texts per code are
// fixed, and its detailed messages start with a fixed phrase.
int codeFromText(const QString& text)
{
    const QByteArray utf8 = text.trimmed().toUtf8();
    if (utf8.isEmpty())
        return 0;
    for (int code = 1; code <= SQLITE_WARNING; ++code) {
        if (utf8 == sqlite3_errstr(code))
            return code;
    }
    static const struct {
        const char* phrase;
        int code;
    } phrases[] = {
        {"database disk image is malformed", SQLITE_CORRUPT},
        {"malformed database schema", SQLITE_CORRUPT},
        {"disk I/O error", SQLITE_IOERR},
        {"database or disk is full", SQLITE_FULL},
        {"database is locked", SQLITE_BUSY},
        {"database table is locked", SQLITE_LOCKED},
        {"database schema is locked", SQLITE_LOCKED},
        {"attempt to write a readonly database", SQLITE_READONLY},
        {"unable to open database", SQLITE_CANTOPEN},
        {"file is not a database", SQLITE_NOTADB},
        {"out of memory", SQLITE_NOMEM},
        {"UNIQUE constraint failed", SQLITE_CONSTRAINT},
        {"NOT NULL constraint failed", SQLITE_CONSTRAINT},
        {"CHECK constraint failed", SQLITE_CONSTRAINT},
        {"FOREIGN KEY constraint failed", SQLITE_CONSTRAINT},
        {"interrupted", SQLITE_INTERRUPT},
    };
    for (const auto& p : phrases) {
        if (utf8.contains(p.phrase))
            return p.code;
    }
    return 0;
}

} // namespace

QString sqliteReason(int code)
{
    // Primary result codes of SQLite are the low byte of an extended code.
    switch (code & 0xff) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
        return QString();
    case SQLITE_ERROR:
        return QStringLiteral("Die Datenbank hat den Befehl mit einem Fehler abgelehnt.");
    case SQLITE_INTERNAL:
        return QStringLiteral("Interner Fehler der Datenbank.");
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_AUTH:
        return QStringLiteral("Die Datenbank darf nicht verändert werden (schreibgeschützt oder keine Berechtigung).");
    case SQLITE_ABORT:
        return QStringLiteral("Der Vorgang wurde abgebrochen; die Änderung wurde nicht gespeichert.");
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("Die Datenbank wird gerade von einem anderen Programm benutzt.");
    case SQLITE_NOMEM:
        return QStringLiteral("Der Speicher reicht nicht aus.");
    case SQLITE_INTERRUPT:
        return QStringLiteral("Der Vorgang wurde unterbrochen; die Änderung wurde nicht gespeichert.");
    case SQLITE_IOERR:
        return QStringLiteral("Lese- oder Schreibfehler des Datenträgers.");
    case SQLITE_CORRUPT:
        return QStringLiteral("Die Datenbank ist beschädigt.");
    case SQLITE_NOTFOUND:
        return QStringLiteral("Eine Funktion der Datenbank ist nicht verfügbar.");
    case SQLITE_FULL:
        return QStringLiteral("Der Datenträger ist voll.");
    case SQLITE_CANTOPEN:
        return QStringLiteral("Die Datei kann nicht geöffnet werden.");
    case SQLITE_PROTOCOL:
        return QStringLiteral("Die Datenbank konnte nicht gesperrt werden.");
    case SQLITE_EMPTY:
        return QStringLiteral("Die Datenbank ist leer.");
    case SQLITE_SCHEMA:
        return QStringLiteral("Der Aufbau der Datenbank wurde während des Zugriffs geändert.");
    case SQLITE_TOOBIG:
        return QStringLiteral("Ein Eintrag ist zu groß für die Datenbank.");
    case SQLITE_CONSTRAINT:
        return QStringLiteral("Die Änderung verstößt gegen eine Regel der Datenbank (etwa ein doppelter Eintrag).");
    case SQLITE_MISMATCH:
        return QStringLiteral("Ein Wert hat nicht die Art, die die Datenbank erwartet.");
    case SQLITE_MISUSE:
        return QStringLiteral("Die Datenbank wurde vom Programm falsch angesprochen.");
    case SQLITE_NOLFS:
        return QStringLiteral("Die Datei ist zu groß für dieses System.");
    case SQLITE_FORMAT:
        return QStringLiteral("Das Format der Datenbank ist fehlerhaft.");
    case SQLITE_RANGE:
        return QStringLiteral("Ein Wert liegt außerhalb des erlaubten Bereichs.");
    case SQLITE_NOTADB:
        return QStringLiteral("Die Datei ist keine Datenbank.");
    default:
        return QStringLiteral("Datenbankfehler Nr. %1.").arg(code);
    }
}

QString databaseReason(const QSqlError& error)
{
    if (error.type() == QSqlError::NoError)
        return QString();
    const QString technical = error.databaseText().isEmpty() ? error.driverText() : error.databaseText();
    bool isNumber = false;
    int code = error.nativeErrorCode().toInt(&isNumber);
    if (!isNumber || (code & 0xff) == SQLITE_OK)
        code = codeFromText(technical);
    if (code == 0)
        code = codeFromText(error.driverText());
    if (code == 0)
        code = SQLITE_ERROR;
    const QString reason = sqliteReason(code);
    if (isUserActionable(code & 0xff) || technical.isEmpty())
        return reason;
    return QStringLiteral("%1 (technisch: %2)").arg(reason, technical);
}

} // namespace quittora
