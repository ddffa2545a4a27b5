#include "app/Startup.h"

#include "app/AppInfo.h"
#include "data/Database.h"
#include "platform/LocaleInfo.h"
#include "platform/Prompts.h"
#include "platform/SettingsStore.h"
#include "platform/SpecialFolders.h"
#include "tools/SettingsRules.h"

#include <QDir>
#include <QFileInfo>

namespace quittora::startup {

namespace {
const QString kDatenpfad = QStringLiteral("Datenpfad");
const QString kSicherung = QStringLiteral("Sicherung");
const QString kHintergrundfarbe = QStringLiteral("Hintergrundfarbe");

// Where a backup goes until the user chooses: a separate drive was the
// convention; here the folder "Quittora pro - Sicherung" beside the data
// folder is the nearest equivalent a desktop without drive letters has.
QString defaultBackupPath(const QString& documentsFolder)
{
    const QString base = documentsFolder.isEmpty() ? QDir::homePath() : documentsFolder;
    return QDir::toNativeSeparators(QDir(base).filePath(QStringLiteral("Quittora pro - Sicherung"))) + QDir::separator();
}
} // namespace

QString defaultDatabasePath(const QString& documentsFolder)
{
    const QString base = documentsFolder.isEmpty() ? QDir::homePath() : documentsFolder;
    return QDir::toNativeSeparators(QDir(base).filePath(QLatin1String(kDataFolderName) + QLatin1Char('/') + QLatin1String(kDatabaseFileName)));
}

QString noTempFolderText()
{
    return QStringLiteral("Kein temporäres Verzeichnis für die Erstellung der Faxvorlage vorhanden.");
}

void loadProgramState(AppContext& ctx)
{
    ProgramState& s = ctx.state;
    s.decimalSeparator = ctx.locale.decimalSeparator();
    const QString documents = ctx.folders.documents();
    s.databasePath = ctx.settings.value(kDatenpfad, defaultDatabasePath(documents));
    s.backupPath = ctx.settings.value(kSicherung, defaultBackupPath(documents));
    s.backgroundColour = ctx.settings.value(kHintergrundfarbe, QStringLiteral("12566463"));
    const QString temp = ctx.folders.privateTemp();
    s.tempFolder = temp.isEmpty() ? noTempFolderText() : temp;
    ctx.settings.setValue(kDatenpfad, s.databasePath);
    settingsrules::loadRechnungsbasis(ctx.settings, s);
}

bool hasDatabaseExtension(const QString& fileName)
{
    const QString tail = fileName.right(4);
    return tail == QLatin1String(".qtb") || tail == QLatin1String(".QTB");
}

bool openStartDatabase(AppContext& ctx, Database& db, QString* message)
{
    const QString path = ctx.state.databasePath;
    const bool isDefault = QDir::cleanPath(path) == QDir::cleanPath(defaultDatabasePath(ctx.folders.documents()));
    if (isDefault && !QFileInfo::exists(path)) {
        if (!Database::createFromTemplate(path, ctx.state.decimalSeparator, message))
            return false;
    }
    return db.open(path, message);
}

bool Pfad_suchen(AppContext& ctx, Database& db)
{
    const QString startDir = QFileInfo(ctx.state.databasePath).absolutePath();
    const auto chosen = ctx.prompts.openFile(QStringLiteral("Datenbank öffnen"), startDir,
                                             QStringLiteral("Quittora-Datenbank (*.qtb *.QTB)"));
    if (!chosen || chosen->isEmpty())
        return false;
    if (!openNamedDatabase(ctx, db, *chosen))
        return false;
    const auto counts = db.counts();
    ctx.prompts.information(productName(),
                            QString::number(counts ? counts->rechnungen : 0) + QStringLiteral(" Rechnungen"));
    return true;
}

bool openNamedDatabase(AppContext& ctx, Database& db, const QString& fileName)
{
    // A file manager may pass a relative name; "Datenpfad" must still find
    // the file from any working folder.
    const QString name = QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath());
    if (!hasDatabaseExtension(name)) {
        ctx.prompts.critical(QStringLiteral("Fehler"),
                             name + QStringLiteral("   ist die falsche Datei, bitte suchen Sie  Quittora.qtb"));
        return false;
    }
    QString message;
    if (!db.open(name, &message)) {
        ctx.prompts.critical(QStringLiteral("Fehler"), message);
        return false;
    }
    ctx.state.databasePath = name;
    ctx.settings.setValue(kDatenpfad, name);
    return true;
}

} // namespace quittora::startup
