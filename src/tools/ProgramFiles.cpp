#include "tools/ProgramFiles.h"

#include <QDir>
#include <QFileInfo>

namespace quittora {

QStringList programFileFolders(const QString& programFolder)
{
    if (programFolder.isEmpty())
        return {};
    const QDir folder(programFolder);
    return {QDir::cleanPath(folder.path()), QDir::cleanPath(folder.filePath(QStringLiteral("../share/quittora")))};
}

QString programFilePath(const QString& programFolder, const QString& fileName)
{
    const QStringList folders = programFileFolders(programFolder);
    if (folders.isEmpty())
        return {};
    for (const QString& folder : folders) {
        const QString candidate = QDir(folder).filePath(fileName);
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return QDir(folders.first()).filePath(fileName);
}

} // namespace quittora
