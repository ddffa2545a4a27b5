#include "platform/ErrorTexts.h"

#include <QFileDevice>
#include <QFileInfo>
#include <QSqlError>

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

QString sqliteReason(int code)
{
    // Primary result codes of SQLite (the low byte of an extended code).
    switch (code & 0xff) {
    case 3:  // SQLITE_PERM
    case 8:  // SQLITE_READONLY
    case 23: // SQLITE_AUTH
        return QStringLiteral("Die Datenbank darf nicht verändert werden (schreibgeschützt oder keine Berechtigung).");
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        return QStringLiteral("Die Datenbank wird gerade von einem anderen Programm benutzt.");
    case 7: // SQLITE_NOMEM
        return QStringLiteral("Der Speicher reicht nicht aus.");
    case 10: // SQLITE_IOERR
        return QStringLiteral("Lese- oder Schreibfehler des Datenträgers.");
    case 11: // SQLITE_CORRUPT
        return QStringLiteral("Die Datenbank ist beschädigt.");
    case 13: // SQLITE_FULL
        return QStringLiteral("Der Datenträger ist voll.");
    case 14: // SQLITE_CANTOPEN
        return QStringLiteral("Die Datei kann nicht geöffnet werden.");
    case 26: // SQLITE_NOTADB
        return QStringLiteral("Die Datei ist keine Datenbank.");
    default:
        return QString();
    }
}

QString databaseReason(const QSqlError& error)
{
    bool isNumber = false;
    const int code = error.nativeErrorCode().toInt(&isNumber);
    if (isNumber) {
        const QString reason = sqliteReason(code);
        if (!reason.isEmpty())
            return reason;
    }
    return error.databaseText().isEmpty() ? error.text() : error.databaseText();
}

} // namespace quittora
