// Customers' data stays with its owner: what the command-line tool creates,
// the database with its journal, a backup in a new folder and the safety
// copy a restore keeps, is readable by the owner only, even where the
// caller's mask would let others read it.

#include "support/CliRunner.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace quittora::test;

namespace {

// The permission bits of a path, as "600".
QString mode(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return QStringLiteral("missing");
    return QString::number(st.st_mode & 0777, 8);
}

} // namespace

TEST(PrivateFiles, DatabaseBackupFolderAndSafetyCopyAreTheOwnersOnly)
{
    const mode_t before = ::umask(022); // the usual mask of a desktop session
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString db = dir.filePath(QStringLiteral("Firma.qtb"));
    const QString backup = dir.filePath(QStringLiteral("Sicherung/Firma.qtb"));
    for (const QStringList& args : {QStringList{QStringLiteral("init"), db}, {QStringLiteral("backup"), db, backup},
                                    {QStringLiteral("restore"), backup, db}}) {
        const CliRun run = runCli(args, cLocale());
        EXPECT_EQ(run.exitCode, 0) << args.join(QLatin1Char(' ')).toStdString() << run.err.toStdString();
    }
    ::umask(before);
    const QStringList safety =
        QDir(dir.path()).entryList({QStringLiteral("Firma vor Zurückschreiben *.qtb")}, QDir::Files);
    ASSERT_EQ(safety.size(), 1) << QDir(dir.path()).entryList().join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(mode(db) + mode(backup) + mode(dir.filePath(QStringLiteral("Sicherung"))) + mode(dir.filePath(safety.first())),
              QStringLiteral("600600700600"));
}
