#include "cli/BackupCommands.h"

#include "data/Database.h"

#include "safety/Backup.h"

#include <QDateTime>
#include <QDir>

namespace quittora::cli {

namespace {

int refuse(Io& io, safety::Operation operation, const safety::Result& result)
{
    io.err << safety::failureSummary(operation, result.failure) << '\n';
    if (!result.detail.isEmpty())
        io.err << result.detail << '\n';
    return kRefused;
}

} // namespace

int runBackup(const QStringList& args, Io& io)
{
    if (args.size() != 2) {
        io.err << "Aufruf: quittora-cli backup DATEI ZIEL\n";
        return kUsage;
    }
    const QString target = safety::backupTargetFile(args.at(1));
    const safety::Result result = safety::backupDatabase(args.at(0), target);
    if (!result.ok())
        return refuse(io, safety::Operation::Backup, result);
    io.out << "Daten gesichert: " << QDir::toNativeSeparators(target) << '\n';
    return kOk;
}

int runRestore(const QStringList& args, Io& io)
{
    if (args.size() != 2) {
        io.err << "Aufruf: quittora-cli restore SICHERUNG DATEI\n";
        return kUsage;
    }
    const QString backup = safety::backupTargetFile(args.at(0));
    const safety::Result result = safety::restoreDatabase(backup, args.at(1), QDateTime::currentDateTime());
    if (!result.ok())
        return refuse(io, safety::Operation::Restore, result);
    io.out << "Zurückgeschrieben: " << QDir::toNativeSeparators(args.at(1)) << '\n';
    if (!result.safetyCopy.isEmpty())
        io.out << "Die ersetzte Datei liegt als Sicherheitskopie unter: " << result.safetyCopy << '\n';
    // A backup of an older layout is brought up to date now, as opening it
    // in the program would, so that the restored file is ready for use.
    Database restored;
    QString message;
    if (!restored.open(args.at(1), &message)) {
        io.err << message << '\n';
        return kUsage;
    }
    return kOk;
}

} // namespace quittora::cli
