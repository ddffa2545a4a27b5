#include "export/ExportFile.h"

#include "data/Database.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <QFileInfo>

namespace quittora {

namespace {

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

} // namespace

QString exportFilePath(const QString& tempFolder, const QString& fileName, QString* error)
{
    if (tempFolder.isEmpty() || !QDir(tempFolder).exists()) {
        if (error)
            *error = QStringLiteral("Der Ordner für temporäre Dateien ist nicht verfügbar, "
                                    "deshalb konnte die Datei „%1“ nicht erstellt werden.")
                         .arg(fileName);
        return {};
    }
    return QDir(tempFolder).filePath(fileName);
}

bool replaceFile(const QString& path, const QByteArray& bytes, QString* error)
{
    if (Database::isDatabaseFile(path)) {
        if (error)
            *error = QStringLiteral("Die Datei „%1“ ist eine Datenbank und wird nicht überschrieben. "
                                    "Bitte wählen Sie einen anderen Dateinamen.")
                         .arg(shown(path));
        return false;
    }
    QString reason;
    if (writeFileWhole(path, bytes, &reason))
        return true;
    if (error)
        *error = QStringLiteral("Die Datei „%1“ konnte nicht geschrieben werden:\n%2").arg(shown(path), reason);
    return false;
}

QString refusedTarget(const QString& path)
{
    if (QFileInfo(path).isDir() || Database::isDatabaseFile(path))
        return QStringLiteral("„%1“ ist eine Datenbank oder ein Ordner und wird nicht überschrieben.").arg(path);
    return {};
}

} // namespace quittora
