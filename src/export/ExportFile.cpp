#include "export/ExportFile.h"

#include <QDir>
#include <QSaveFile>

namespace quittora {

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
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    if (error)
        *error = QStringLiteral("Die Datei „%1“ konnte nicht geschrieben werden:\n%2")
                     .arg(QDir::toNativeSeparators(path), file.errorString());
    file.cancelWriting();
    return false;
}

} // namespace quittora
