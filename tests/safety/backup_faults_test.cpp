// Backup and restore against the faults they meet in use: backups cut short
// or damaged, a database with its write-ahead log, links, a medium that
// cannot be written, leftovers of interrupted runs on a full medium.
#include "data/Leftovers.h"
#include "safety/Backup.h"
#include "support/CliRunner.h"
#include "support/TestDatabaseFile.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sqlite3.h>

#ifdef Q_OS_LINUX
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>
#endif

using namespace quittora;
using namespace quittora::safety;
using quittora::testfiles::bytesOf;
using quittora::testfiles::namesIn;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

class BackupFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath(s("daten")));
        ASSERT_TRUE(QDir(dir.path()).mkpath(s("usb")));
        database = dir.filePath(s("daten/Quittora.qtb"));
        backup = dir.filePath(s("usb/Quittora.qtb"));
        ASSERT_TRUE(testfiles::makeNamesDatabase(database, {s("Müller"), s("Schmidt")}));
    }
    QStringList entries(const QString& sub) const
    {
        return QDir(dir.filePath(sub)).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }

    QTemporaryDir dir;
    QString database;
    QString backup;
    const QDateTime now{QDate(2024, 3, 1), QTime(10, 30, 5)};
};

// A pid that surely runs no more: a child that has ended.
qint64 endedPid()
{
    QProcess p;
    p.start(s("true"), {});
    const qint64 pid = p.waitForStarted() ? p.processId() : 0;
    p.waitForFinished();
    return pid > 0 ? pid : 999999;
}

} // namespace

// As found: a backup one byte short (or with a page overwritten) was
// restored with exit 0. It is refused before anything is replaced.
TEST_F(BackupFaults, ShortOrDamagedBackupIsRefusedAndTheDatabaseStaysByteForByte)
{
    ASSERT_TRUE(testfiles::execOn(database, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 500) "
                                            "INSERT INTO Kunden(a1) SELECT printf('%.80c%d', 'k', i) FROM n"));
    ASSERT_TRUE(backupDatabase(database, backup).ok());
    const QByteArray good = bytesOf(backup);
    ASSERT_GT(good.size(), 5 * 4096);
    const QByteArray before = bytesOf(database);
    const QList<QByteArray> broken = {
        good.left(good.size() - 1),
        QByteArray(good).replace(3 * 4096, 4096, QByteArray(4096, '\x5a')),
    };
    for (const QByteArray& content : broken) {
        ASSERT_TRUE(testfiles::writeBytes(backup, content));
        const test::CliRun run = test::runCli({s("restore"), backup, database});
        EXPECT_NE(run.exitCode, 0) << run.out.toStdString();
        EXPECT_TRUE(run.err.contains(s("beschädigt"))) << run.err.toStdString();
        EXPECT_EQ(bytesOf(database), before);
        EXPECT_EQ(entries(s("daten")), QStringList{s("Quittora.qtb")}) << "no copy, no safety copy";
    }
}

// The last transactions of a database in WAL mode live in its -wal file.
// A restore from such a file brings them back, and the restored file is a
// plain one (no log needed beside it).
TEST_F(BackupFaults, RestoreFromADatabaseWithItsLogIncludesTheLastTransactions)
{
    const QString source = dir.filePath(s("usb/Laufend.qtb"));
    ASSERT_TRUE(testfiles::makeNamesDatabase(source, {s("Alt")}, true));
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(source).constData(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "PRAGMA wal_autocheckpoint=0; INSERT INTO Kunden(a1) VALUES('Neu')", nullptr, nullptr, nullptr),
              SQLITE_OK);
    // Copied while the writer still holds them: the log is not played into
    // the file yet.
    ASSERT_TRUE(QFile::copy(source, backup));
    ASSERT_TRUE(QFile::copy(source + s("-wal"), backup + s("-wal")));
    sqlite3_close(writer);
    const QByteArray backupBytes = bytesOf(backup);

    const Result r = restoreDatabase(backup, database, now);
    ASSERT_TRUE(r.ok()) << r.detail.toStdString();
    EXPECT_EQ(namesIn(database), (QStringList{s("Alt"), s("Neu")}));
    EXPECT_EQ(bytesOf(backup), backupBytes) << "the backup is only read";
    EXPECT_FALSE(QFileInfo::exists(database + s("-wal")));
    EXPECT_EQ(bytesOf(database).at(18), 1) << "a plain file again";
    EXPECT_EQ(entries(s("daten")).size(), 2) << entries(s("daten")).join(s(", ")).toStdString();
}

// A restore through a link replaces the file the link points to, keeps
// the link, and respects the mark of a program working on the real file.
TEST_F(BackupFaults, RestoreThroughALinkActsOnTheRealFile)
{
    const QString link = dir.filePath(s("Verknüpfung.qtb"));
    ASSERT_TRUE(QFile::link(database, link));
    ASSERT_TRUE(testfiles::makeNamesDatabase(backup, {s("Aus der Sicherung")}));

    {
        InUseMark mark(database);
        ASSERT_TRUE(mark.held());
        EXPECT_EQ(restoreDatabase(backup, link, now).failure, Failure::InUse);
        EXPECT_EQ(namesIn(database), (QStringList{s("Müller"), s("Schmidt")}));
    }
    const Result r = restoreDatabase(backup, link, now);
    ASSERT_TRUE(r.ok()) << r.detail.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(namesIn(database), QStringList{s("Aus der Sicherung")});
    EXPECT_EQ(QFileInfo(r.safetyCopy).absolutePath(), QFileInfo(database).absolutePath());
    EXPECT_EQ(namesIn(r.safetyCopy), (QStringList{s("Müller"), s("Schmidt")}));
}

// A write-protected place gets its true reason, never "not there".
TEST_F(BackupFaults, BackupIntoAWriteProtectedPlaceSaysSo)
{
    const QString folder = dir.filePath(s("geschützt"));
    ASSERT_TRUE(QDir(dir.path()).mkpath(s("geschützt")));
    bool mounted = false;
#ifdef Q_OS_LINUX
    if (::geteuid() == 0) {
        // The administrator may write into any folder: a read-only medium.
        mounted = ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
                  && ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", MS_RDONLY, "size=64k") == 0;
        if (!mounted)
            GTEST_SKIP() << "kein schreibgeschützter Datenträger einzuhängen";
    }
#endif
    if (!mounted) {
        ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    }
    const Result r = backupDatabase(database, folder + s("/Quittora.qtb"));
#ifdef Q_OS_LINUX
    if (mounted)
        ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
#endif
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(r.failure, Failure::WriteFailed);
    EXPECT_FALSE(r.detail.contains(s("nicht vorhanden"))) << r.detail.toStdString();
    EXPECT_TRUE(r.detail.contains(s("schreibgeschützt")) || r.detail.contains(s("Berechtigung"))) << r.detail.toStdString();
}

// Copies left by killed backups are free space for the next one; what a
// running process or another computer left stays.
TEST_F(BackupFaults, LeftoversOfEndedRunsCountAsFreeSpaceOthersStay)
{
    const QString usb = dir.filePath(s("usb"));
    const QString prefix = s(".Quittora.qtb.");
    const QString abandoned = usb + QLatin1Char('/') + prefix
                              + s("sicherung-%1-%2-abcdEFGH.tmp").arg(leftovers::machineTag()).arg(endedPid());
    const QString running = usb + QLatin1Char('/') + prefix
                            + s("sicherung-%1-%2-abcdEFGH.tmp").arg(leftovers::machineTag()).arg(QCoreApplication::applicationPid());
    const QString otherComputer = usb + QLatin1Char('/') + prefix + s("sicherung-0badf00d-%1-abcdEFGH.tmp").arg(endedPid());
    ASSERT_TRUE(testfiles::writeBytes(abandoned, QByteArray(200000, 'a')));
    for (const QString& kept : {running, otherComputer})
        ASSERT_TRUE(testfiles::writeBytes(kept, QByteArray(10, 'k')));

    // A medium of 210,000 bytes whose free space is what its files leave.
    struct Stick final : FileOps {
        QString folder;
        qint64 freeBytes(const QString&) override
        {
            qint64 used = 0;
            for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden))
                used += f.size();
            return 210000 - used;
        }
    } stick;
    stick.folder = usb;
    const Result r = backupDatabase(database, backup, stick);
    EXPECT_TRUE(r.ok()) << r.detail.toStdString();
    EXPECT_FALSE(QFileInfo::exists(abandoned));
    EXPECT_TRUE(QFileInfo::exists(running));
    EXPECT_TRUE(QFileInfo::exists(otherComputer));
    EXPECT_EQ(namesIn(backup), (QStringList{s("Müller"), s("Schmidt")}));
}
