#include "tools/Manual.h"

#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "platform/SpecialFolders.h"
#include "tools/ProgramFiles.h"

#include <QDir>
#include <QFileInfo>

namespace quittora {

QString manualFileName() { return QStringLiteral("Anleitung.pdf"); }

QString manualPath(const SpecialFolders& folders)
{
    return programFilePath(folders.programFolder(), manualFileName());
}

bool openManual(const SpecialFolders& folders, Shell& shell, Prompts& prompts)
{
    const QString path = manualPath(folders);
    const QFileInfo file(path);
    if (path.isEmpty() || !file.isFile()) {
        prompts.message(QStringLiteral("Hinweis !"),
                        QStringLiteral("Die Anleitung \"%1\" wurde nicht gefunden.\n\n"
                                       "Sie gehört in den Programmordner %2.")
                            .arg(manualFileName(),
                                 folders.programFolder().isEmpty()
                                     ? QStringLiteral("(unbekannt)")
                                     : QDir::toNativeSeparators(folders.programFolder())),
                        Prompts::Icon::Exclamation);
        return false;
    }
    if (!shell.open(file.absoluteFilePath())) {
        prompts.message(QStringLiteral("Hinweis !"),
                        QStringLiteral("Die Anleitung konnte nicht geöffnet werden.\n\n"
                                       "Bitte richten Sie ein Programm zum Anzeigen von PDF-Dateien ein "
                                       "oder öffnen Sie die Datei %1 selbst.")
                            .arg(QDir::toNativeSeparators(file.absoluteFilePath())),
                        Prompts::Icon::Exclamation);
        return false;
    }
    return true;
}

} // namespace quittora
