#include "export/ExportFile.h"

#include "data/Database.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace quittora {

namespace {

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

// Why a file cannot be written there, in the user's words rather than the
// system's.
QString whyNotWritable(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("„%1“ ist ein Ordner.").arg(shown(path));
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir())
        return QStringLiteral("Der Ordner „%1“ ist nicht vorhanden.").arg(shown(folder.filePath()));
    if (!folder.isWritable())
        return QStringLiteral("In den Ordner „%1“ darf nicht geschrieben werden.").arg(shown(folder.filePath()));
    if (info.exists() && !info.isWritable())
        return QStringLiteral("Die Datei ist schreibgeschützt.");
    return QStringLiteral("Der Datenträger ist voll oder nicht beschreibbar.");
}

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
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    if (error)
        *error = QStringLiteral("Die Datei „%1“ konnte nicht geschrieben werden:\n%2")
                     .arg(shown(path), whyNotWritable(path));
    file.cancelWriting();
    return false;
}

} // namespace quittora
