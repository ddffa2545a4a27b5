// Backup and restore, and the faults they meet in use: a full or write-
// protected medium, backups cut short or damaged or from a newer program, a
// database held open or marked by another program, its write-ahead log, a
// link, leftovers of killed runs.
#include "data/Leftovers.h"
#include "safety/Backup.h"

#include "support/FakePrompts.h"
#include "support/QtPrinters.h"
#include "support/TempDatabase.h"
#include "support/TestDatabaseFile.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStorageInfo>
#include <QSysInfo>
#include <QTemporaryDir>

#include <sqlite3.h>

#ifdef Q_OS_LINUX
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>
#endif

using namespace quittora;
using namespace quittora::safety;
using testfiles::bytesOf;
using testfiles::namesIn;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

// File operations that can pretend the medium is full or a rename fails.
class ScriptedFileOps final : public FileOps {
public:
    QList<qint64> freeAnswers; // one per question; the real value when empty
    bool failReplace = false;
    qint64 freeBytes(const QString& folder) override
    {
        return freeAnswers.isEmpty() ? FileOps::freeBytes(folder) : freeAnswers.takeFirst();
    }
    Result replace(const QString& from, const QString& to) override
    {
        return failReplace ? Result{Failure::WriteFailed, s("simulated"), {}} : FileOps::replace(from, to);
    }
};

// A small RAM disk on a folder (read-only if asked), in a mount namespace of
// this thread's own: nothing is visible outside, a crash leaves no mount.
// Needs root.
class SmallMedium {
public:
    SmallMedium(const QString& folder, int kib, unsigned long flags = 0) : m_folder(QFile::encodeName(folder))
    {
#ifdef Q_OS_LINUX
        static const bool privateNamespace = ::geteuid() == 0 && ::unshare(CLONE_NEWNS) == 0
                                             && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        const QByteArray options = "size=" + QByteArray::number(kib) + "k";
        m_mounted = privateNamespace && ::mount("tmpfs", m_folder.constData(), "tmpfs", flags, options.constData()) == 0;
#endif
    }
    ~SmallMedium()
    {
#ifdef Q_OS_LINUX
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
#endif
    }
    bool mounted() const { return m_mounted; }

private:
    QByteArray m_folder;
    bool m_mounted = false;
};

class BackupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(dir.path()).mkpath(s("daten")) && QDir(dir.path()).mkpath(s("usb")));
        ASSERT_TRUE(testfiles::makeNamesDatabase(database, {s("Müller"), s("Schmidt"), s("O'Brien")}));
    }
    QStringList entries(const QString& sub) const
    {
        return QDir(dir.filePath(sub)).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }
    void exec(const char* sql) { ASSERT_TRUE(testfiles::execOn(database, sql)) << sql; }
    Outcome retried(FakePrompts& prompts, ScriptedFileOps& ops, Result* last, const QString& to)
    {
        return runWithRetry(prompts, Operation::Backup, [&] { return backupDatabase(database, to, ops); }, last);
    }

    QTemporaryDir dir;
    const QString database = dir.filePath(s("daten/Quittora.qtb"));
    const QString target = dir.filePath(s("usb/Quittora.qtb"));
    const QStringList names{s("Müller"), s("Schmidt"), s("O'Brien")};
    const QDateTime now{QDate(2024, 3, 1), QTime(10, 30, 5)};
};

} // namespace

TEST(BackupPath, SavePathRulesCompleteDrivesSharesAndFolders)
{
    const std::pair<const char*, const char*> cases[] = {
        {"E", "E:\\Quittora.qtb"}, {"E:", "E:\\Quittora.qtb"}, {"E:\\", "E:\\Quittora.qtb"},
        {"E:\\Sicherung", "E:\\Sicherung\\Quittora.qtb"}, {"\\\\server\\daten", "\\\\server\\daten\\Quittora.qtb"},
        {"\\\\server\\daten\\", "\\\\server\\daten\\Quittora.qtb"}, {"/media/usb", "/media/usb/Quittora.qtb"},
        {"/media/usb/", "/media/usb/Quittora.qtb"}, {"/", "/Quittora.qtb"}, {"/media/usb/Alt.qtb", "/media/usb/Alt.qtb"},
        {"E:\\ALT.QTB", "E:\\ALT.QTB"}, {"Quittora.qtb", "Quittora.qtb"},
        {"", "/home/anna/Dokumente/Quittora pro - Sicherung/Quittora.qtb"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(normaliseBackupPath(s(text), s("/home/anna/Dokumente/Quittora pro - Sicherung/")), s(expected)) << text;
    EXPECT_EQ(normaliseBackupPath(QString(), s("D:\\")), s("D:\\Quittora.qtb"));
    for (const char* bare : {"Quittora.qtb", "sicher/Quittora.qtb", ""})
        EXPECT_FALSE(namesBackupLocation(s(bare))) << bare;
    EXPECT_TRUE(namesBackupLocation(s("/media/usb/Quittora.qtb")));
    QTemporaryDir dir;
    EXPECT_EQ(backupTargetFile(dir.path()), dir.path() + QDir::separator() + s("Quittora.qtb"));
    EXPECT_EQ(backupTargetFile(s("/nicht/da/")), s("/nicht/da/Quittora.qtb"));
    EXPECT_EQ(backupTargetFile(s("/nicht/da/Kopie.qtb")), s("/nicht/da/Kopie.qtb"));
    EXPECT_EQ(defaultBackupFolder(s("/home/anna/Dokumente")), s("/home/anna/Dokumente/Quittora pro - Sicherung/"));
    // The same path whatever the case, spelling or link; two paths not there
    // yet are not the same.
    const QString file = dir.filePath(s("Quittora.qtb"));
    ASSERT_TRUE(testfiles::writeBytes(file, "x"));
    ASSERT_TRUE(QFile::link(file, dir.filePath(s("Verweis.qtb"))));
    EXPECT_TRUE(isSamePath(file, file.toUpper()) && isSamePath(file, dir.path() + s("/./Quittora.qtb"))
                && isSamePath(dir.filePath(s("Verweis.qtb")), file));
    EXPECT_FALSE(isSamePath(file, dir.filePath(s("Quittora2.qtb"))));
    EXPECT_FALSE(isSamePath(QString(), QString()));
    EXPECT_FALSE(isSamePath(dir.filePath(s("neu1.qtb")), dir.filePath(s("neu2.qtb"))));
}

TEST_F(BackupTest, BackupThenRestoreBringsBackTheSavedDataAndKeepsTheReplacedFile)
{
    ASSERT_TRUE(backupDatabase(database, target).ok());
    EXPECT_EQ(inspectDatabaseFile(target), FileState::Sound);
    EXPECT_EQ(namesIn(target), names);
    exec("DELETE FROM Kunden WHERE a1 = 'Schmidt'; INSERT INTO Kunden(a1) VALUES('Neu');");
    const Result r = restoreDatabase(target, database, now);
    ASSERT_TRUE(r.ok()) << r.detail.toStdString();
    EXPECT_EQ(namesIn(database), names);
    EXPECT_EQ(QDir::fromNativeSeparators(r.safetyCopy), dir.filePath(s("daten/Quittora vor Zurückschreiben 2024-03-01 10-30-05.qtb")));
    EXPECT_EQ(namesIn(r.safetyCopy), (QStringList{s("Müller"), s("O'Brien"), s("Neu")}));
    EXPECT_EQ(entries(s("daten")).size(), 2) << entries(s("daten")).join(s(", ")).toStdString();
    EXPECT_EQ(entries(s("usb")), QStringList{s("Quittora.qtb")});
    // A second restore in the same second keeps both safety copies.
    const Result again = restoreDatabase(target, database, now);
    ASSERT_TRUE(again.ok());
    EXPECT_NE(again.safetyCopy, r.safetyCopy);
    EXPECT_TRUE(QFileInfo::exists(r.safetyCopy));
    // Onto a missing database it is created, without a safety copy.
    QFile::remove(database);
    const Result onto = restoreDatabase(target, database, now);
    ASSERT_TRUE(onto.ok());
    EXPECT_TRUE(onto.safetyCopy.isEmpty());
    EXPECT_EQ(namesIn(database), names);
}

TEST_F(BackupTest, BackupIsCompactedReplacesAnOlderOneAndMakesOnlyTheLastFolder)
{
    exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
         "INSERT INTO Kunden(a1) SELECT printf('Kunde %d mit einem langen Namen, der Platz braucht', i) FROM n");
    ASSERT_TRUE(backupDatabase(database, target).ok());
    exec("DELETE FROM Kunden WHERE ID > 1");
    ASSERT_TRUE(backupDatabase(database, target).ok());
    EXPECT_EQ(namesIn(target), QStringList{s("Müller")});
    EXPECT_LT(QFileInfo(target).size() * 4, QFileInfo(database).size());

    ASSERT_TRUE(backupDatabase(database, dir.filePath(s("usb/Sicherung/Quittora.qtb"))).ok());
    EXPECT_EQ(backupDatabase(database, dir.filePath(s("nicht/gesteckt/Quittora.qtb"))).failure, Failure::WriteFailed);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(s("nicht"))));
    // A home without "Dokumente" yet: the default folder below it is made whole.
    const QByteArray oldHome = qgetenv("HOME");
    const QString home = dir.filePath(s("heim"));
    ASSERT_TRUE(QDir().mkpath(home));
    qputenv("HOME", QFile::encodeName(home));
    const Result r = backupDatabase(database, home + s("/Dokumente/Quittora pro - Sicherung/Quittora.qtb"));
    qputenv("HOME", oldHome);
    ASSERT_TRUE(r.ok()) << r.detail.toStdString();
}

TEST_F(BackupTest, OpenConnectionsAndTheProgramDatabaseAreBackedUpWhole)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(s("QSQLITE"), s("backup-open"));
        db.setDatabaseName(database);
        ASSERT_TRUE(db.open());
        QSqlQuery(db).exec(s("INSERT INTO Kunden(a1) VALUES('Offen')"));
        EXPECT_TRUE(backupDatabase(db, target).ok());
        EXPECT_EQ(backupDatabase(db, database.toUpper()).failure, Failure::SamePath);
        db.close();
    }
    QSqlDatabase::removeDatabase(s("backup-open"));
    EXPECT_EQ(namesIn(target).last(), s("Offen"));

    test::TempDatabase t;
    const qint64 customer = t.addCustomer(s("Müller"), s("Anna"));
    t.addLine(t.addDocument(s("1001"), s("01.03.2024")), s("2"), s("Beratung"), s("50,00"), s("100,00"));
    const QString copy = t.filePath(s("Sicherung/Quittora.qtb"));
    ASSERT_TRUE(backupDatabase(t.db(), copy).ok());
    EXPECT_EQ(Database::checkFile(copy), QString());
    t.exec(s("DELETE FROM Verkauf"));
    t.exec(s("UPDATE Kunden SET a2 = 'Geändert' WHERE ID = ?"), {customer});
    t.db().close();
    ASSERT_TRUE(restoreDatabase(copy, t.path(), now).ok());
    QSqlDatabase::removeDatabase(s("backup-open"));
    {
        QSqlDatabase reopened = QSqlDatabase::addDatabase(s("QSQLITE"), s("backup-open"));
        reopened.setDatabaseName(t.path());
        ASSERT_TRUE(reopened.open());
        QSqlQuery q(reopened);
        ASSERT_TRUE(q.exec(s("SELECT (SELECT a2 FROM Kunden WHERE ID = %1) || (SELECT COUNT(*) FROM Verkauf)")
                                                    .arg(customer)) && q.next());
        EXPECT_EQ(q.value(0).toString(), s("Müller1"));
    }
    QSqlDatabase::removeDatabase(s("backup-open"));
}

TEST_F(BackupTest, RefusedBackupsChangeNothingAndSayWhy)
{
    const QByteArray before = bytesOf(database);
    EXPECT_EQ(backupDatabase(database, database.toUpper()).failure, Failure::SamePath);
    EXPECT_EQ(backupDatabase(database, database).failure, Failure::SamePath);
    EXPECT_EQ(bytesOf(database), before);
    EXPECT_EQ(entries(s("daten")), QStringList{s("Quittora.qtb")});
    const QString foreign = dir.filePath(s("daten/fremd.qtb"));
    ASSERT_TRUE(testfiles::execOn(foreign, "CREATE TABLE t(x)"));
    EXPECT_EQ(backupDatabase(foreign, target).failure, Failure::SourceUnreadable);
    EXPECT_EQ(backupDatabase(dir.filePath(s("daten/weg.qtb")), target).failure, Failure::SourceUnreadable);
    EXPECT_EQ(entries(s("usb")), QStringList());

    // A failed rename keeps the old backup and leaves no temporary file.
    ASSERT_TRUE(backupDatabase(database, target).ok());
    const QByteArray oldBackup = bytesOf(target);
    exec("INSERT INTO Kunden(a1) VALUES('Neu')");
    ScriptedFileOps ops;
    ops.failReplace = true;
    EXPECT_EQ(backupDatabase(database, target, ops).failure, Failure::WriteFailed);
    EXPECT_EQ(bytesOf(target), oldBackup);
    EXPECT_EQ(entries(s("usb")), QStringList{s("Quittora.qtb")});
    FakePrompts prompts;
    prompts.answerMessage(Prompts::Cancel);
    EXPECT_EQ(retried(prompts, ops, nullptr, target), Outcome::Stopped);
    EXPECT_EQ(prompts.last().title, s("Fehler !"));
    EXPECT_EQ(prompts.last().text, s("Datei kann nicht gesichert werden !\nbitte Ursache beheben, dann auf OK klicken"));
    EXPECT_EQ(prompts.last().icon, Prompts::Icon::Critical);
    EXPECT_EQ(prompts.last().buttons, Prompts::Ok | Prompts::Cancel);

    // A write-protected place gets its true reason, never "not there"; the
    // administrator may write into any folder, so for root a read-only medium.
    const QString folder = dir.filePath(s("geschützt"));
    ASSERT_TRUE(QDir().mkpath(folder));
    SmallMedium readOnly(folder, 64, MS_RDONLY);
    if (!readOnly.mounted())
        ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    const Result r = backupDatabase(database, folder + s("/Quittora.qtb"));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!readOnly.mounted() && QFileInfo::exists(folder + s("/Quittora.qtb")))
        GTEST_SKIP() << "kein schreibgeschützter Datenträger einzuhängen";
    EXPECT_EQ(r.failure, Failure::WriteFailed);
    EXPECT_FALSE(r.detail.contains(s("nicht vorhanden"))) << r.detail.toStdString();
    EXPECT_TRUE(r.detail.contains(s("schreibgeschützt")) || r.detail.contains(s("Berechtigung"))) << r.detail.toStdString();
}

TEST_F(BackupTest, AFullMediumAsksToChangeTheDiskOkRetriesCancelKeepsTheOldBackup)
{
    ScriptedFileOps ops;
    ops.freeAnswers = {1024}; // too little for the first attempt, then the real value
    FakePrompts prompts;
    prompts.answerMessage(Prompts::Ok);
    EXPECT_EQ(retried(prompts, ops, nullptr, target), Outcome::Done);
    ASSERT_EQ(prompts.count(), 1);
    EXPECT_EQ(prompts.last().title, s("Achtung !"));
    EXPECT_EQ(prompts.last().text, s("Diskette voll - wechseln oder abbrechen"));
    EXPECT_EQ(prompts.last().icon, Prompts::Icon::Exclamation);
    EXPECT_EQ(prompts.last().buttons, Prompts::Ok | Prompts::Cancel);
    EXPECT_EQ(inspectDatabaseFile(target), FileState::Sound);

    const QByteArray oldBackup = bytesOf(target);
    exec("INSERT INTO Kunden(a1) VALUES('Neu')");
    ops.freeAnswers = {10, 10, 10};
    FakePrompts twice;
    twice.answerMessage(Prompts::Ok);
    twice.answerMessage(Prompts::Cancel);
    Result last;
    EXPECT_EQ(retried(twice, ops, &last, target), Outcome::Stopped);
    EXPECT_EQ(twice.count(), 2);
    EXPECT_EQ(last.failure, Failure::DiskFull);
    EXPECT_EQ(bytesOf(target), oldBackup);
    EXPECT_EQ(entries(s("usb")), QStringList{s("Quittora.qtb")});

    // Restore onto a full medium asks the same and changes nothing on cancel.
    const QByteArray before = bytesOf(database);
    ops.freeAnswers = {100, 100};
    FakePrompts restore;
    restore.answerMessage(Prompts::Cancel);
    EXPECT_EQ(runWithRetry(restore, Operation::Restore, [&] { return restoreDatabase(target, database, now, ops); }),
              Outcome::Stopped);
    EXPECT_EQ(restore.last().text, s("Diskette voll - wechseln oder abbrechen"));
    EXPECT_EQ(bytesOf(database), before);
    EXPECT_EQ(entries(s("daten")), QStringList{s("Quittora.qtb")});
}

// A medium that really runs full: refused before writing when its free space
// is known, and while writing when it is not (as on some network shares);
// nothing half-written stays, Cancel keeps the old backup, and OK after the
// user made room writes it.
TEST_F(BackupTest, AMediumThatReallyRunsFull)
{
    const QString medium = dir.filePath(s("stick"));
    ASSERT_TRUE(QDir().mkpath(medium));
    SmallMedium stick(medium, 512);
    if (!stick.mounted())
        GTEST_SKIP() << "kein kleines tmpfs einzuhängen (braucht root)";
    const QString backup = medium + s("/Quittora.qtb");
    ASSERT_TRUE(backupDatabase(database, backup).ok());
    const QByteArray oldBackup = bytesOf(backup);
    exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
         "INSERT INTO Kunden(a1) SELECT printf('%.100c%d', 'x', i) FROM n"); // about 300 KB
    const QString filler = medium + s("/Fotos.bin");
    const qint64 free = QStorageInfo(medium).bytesAvailable();
    ASSERT_GT(free, 150 * 1024);
    ASSERT_TRUE(testfiles::writeBytes(filler, QByteArray(int(free - 100 * 1024), 'f')));
    const QStringList both{s("Fotos.bin"), s("Quittora.qtb")};
    for (const QList<qint64>& answers : {QList<qint64>{}, QList<qint64>{-1, -1}}) {
        ScriptedFileOps ops;
        ops.freeAnswers = answers;
        FakePrompts prompts;
        prompts.answerMessage(Prompts::Cancel);
        Result last;
        EXPECT_EQ(retried(prompts, ops, &last, backup), Outcome::Stopped);
        EXPECT_EQ(last.failure, Failure::DiskFull) << last.detail.toStdString();
        EXPECT_EQ(bytesOf(backup), oldBackup);
        EXPECT_EQ(QDir(medium).entryList(QDir::Files | QDir::Hidden | QDir::System), both);
    }
    ScriptedFileOps ops;
    ops.freeAnswers = {-1, -1};
    FakePrompts prompts;
    QStringList onStickWhenAsked;
    prompts.onShown([&](const FakePrompts::Shown&) {
        onStickWhenAsked = QDir(medium).entryList(QDir::Files | QDir::Hidden | QDir::System);
        QFile::remove(filler); // the user makes room
    });
    prompts.answerMessage(Prompts::Ok);
    EXPECT_EQ(retried(prompts, ops, nullptr, backup), Outcome::Done);
    ASSERT_EQ(prompts.count(), 1);
    EXPECT_EQ(prompts.last().text, s("Diskette voll - wechseln oder abbrechen"));
    EXPECT_EQ(onStickWhenAsked, both) << "no partial copy left";
    EXPECT_EQ(inspectDatabaseFile(backup), FileState::Sound);
    EXPECT_EQ(namesIn(backup).size(), 3003);
    EXPECT_EQ(QDir(medium).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{s("Quittora.qtb")});
}

TEST_F(BackupTest, MissingDamagedForeignOrNewerBackupsAreRefusedBeforeAnythingIsReplaced)
{
    const QByteArray before = bytesOf(database);
    FakePrompts missing;
    Result last;
    EXPECT_EQ(runWithRetry(missing, Operation::Restore, [&] { return restoreDatabase(target, database, now); }, &last),
              Outcome::Stopped);
    EXPECT_EQ(last.failure, Failure::BackupMissing);
    ASSERT_EQ(missing.count(), 1);
    EXPECT_EQ(missing.last().title, s("Fehler !"));
    EXPECT_EQ(missing.last().text,
              s("Datei nicht gefunden !\nbitte wählen Sie den korrekten Sicherungspfad und versuchen Sie es erneut"));
    EXPECT_EQ(missing.last().buttons, int(Prompts::Ok));

    ASSERT_TRUE(backupDatabase(database, target).ok());
    const QByteArray good = bytesOf(target);
    for (const QByteArray& content : {QByteArray("kein SQLite"), QByteArray(), good.left(good.size() / 2),
                                      QByteArray(good).replace(4096, 100, QByteArray(100, '\xff'))}) {
        ASSERT_TRUE(testfiles::writeBytes(target, content));
        FakePrompts prompts;
        runWithRetry(prompts, Operation::Restore, [&] { return restoreDatabase(target, database, now); }, &last);
        EXPECT_EQ(last.failure, Failure::BackupDamaged) << last.detail.toStdString();
        EXPECT_EQ(prompts.last().text,
                  s("Die Sicherungsdatei ist beschädigt oder keine Quittora-Datenbank !\nDie Datendatei wurde nicht verändert."));
    }
    QFile::remove(target);
    ASSERT_TRUE(testfiles::execOn(target, "CREATE TABLE t(x)")); // another program's database
    EXPECT_EQ(restoreDatabase(target, database, now).failure, Failure::BackupDamaged);
    QFile::remove(target);
    ASSERT_TRUE(testfiles::makeNamesDatabase(target, {s("Zukunft")}));
    ASSERT_TRUE(testfiles::execOn(target, "PRAGMA user_version=99"));
    EXPECT_EQ(restoreDatabase(target, database, now).failure, Failure::BackupNewer);
    EXPECT_EQ(bytesOf(database), before);
    EXPECT_EQ(entries(s("daten")), QStringList{s("Quittora.qtb")});
}

// A restore while the file is held open, or marked by a program working on
// it (also through a link), would leave that program writing into the
// replaced file; a backup meanwhile reads a consistent state and is allowed.
TEST_F(BackupTest, RestoreWaitsForTheProgramThatHasTheDatabase)
{
    ASSERT_TRUE(backupDatabase(database, target).ok());
    exec("INSERT INTO Kunden(a1) VALUES('Neu')");
    const QByteArray before = bytesOf(database);
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(database).constData(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    FakePrompts prompts;
    EXPECT_EQ(runWithRetry(prompts, Operation::Restore, [&] { return restoreDatabase(target, database, now); }),
              Outcome::EndProgram);
    EXPECT_EQ(prompts.last().text,
              s("Bitte brechen Sie ab, und starten Sie dieses Programm erneut, dann Datensicherung anklicken !"));
    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    EXPECT_EQ(bytesOf(database), before);

    const QString link = dir.filePath(s("Verknüpfung.qtb"));
    ASSERT_TRUE(QFile::link(database, link));
    {
        InUseMark mark(database);
        ASSERT_TRUE(mark.held());
        EXPECT_TRUE(isMarkedInUse(database));
        EXPECT_FALSE(InUseMark(database).held()) << "one program at a time";
        EXPECT_EQ(restoreDatabase(target, database, now).failure, Failure::InUse);
        EXPECT_EQ(restoreDatabase(target, link, now).failure, Failure::InUse);
        EXPECT_EQ(bytesOf(database), before);
        EXPECT_TRUE(backupDatabase(database, dir.filePath(s("usb/zweite.qtb"))).ok());
    }
    EXPECT_FALSE(isMarkedInUse(database));
    // Through the link the real file is replaced, the link stays.
    const Result r = restoreDatabase(target, link, now);
    ASSERT_TRUE(r.ok()) << r.detail.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(namesIn(database), names);
    EXPECT_EQ(QFileInfo(r.safetyCopy).absolutePath(), QFileInfo(database).absolutePath());
    EXPECT_EQ(namesIn(r.safetyCopy).last(), s("Neu"));

    // What a crashed program leaves (its process number, name and host) does not block.
    ASSERT_TRUE(testfiles::writeBytes(inUseMarkPath(database),
                                      "2147483000\nquittora\n" + QSysInfo::machineHostName().toUtf8() + "\n"));
    EXPECT_FALSE(isMarkedInUse(database));
    EXPECT_TRUE(restoreDatabase(target, database, now).ok());
    EXPECT_TRUE(InUseMark(database).held());
}

// The last transactions of a database in WAL mode live in its -wal file: a
// backup copied with it brings them back, a database left so by a crash
// keeps them in its safety copy; the restored file is a plain one.
TEST_F(BackupTest, WriteAheadLogsOfBackupAndDatabase)
{
    ASSERT_TRUE(backupDatabase(database, target).ok());
    const auto withLog = [&](const QString& copy, const char* name) {
        const QString live = dir.filePath(s("live-") + QFileInfo(copy).fileName());
        ASSERT_TRUE(testfiles::makeNamesDatabase(live, {s("Alt")}, true));
        sqlite3* writer = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(live).constData(), &writer), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(writer, (QByteArray("PRAGMA wal_autocheckpoint=0; INSERT INTO Kunden(a1) VALUES('") + name + "')").constData(),
                               nullptr, nullptr, nullptr), SQLITE_OK);
        // Copied while the writer holds them: the log is not played into the file yet.
        QFile::remove(copy);
        ASSERT_TRUE(QFile::copy(live, copy) && QFile::copy(live + s("-wal"), copy + s("-wal")));
        sqlite3_close(writer);
    };
    withLog(database, "nur im Protokoll");
    Result r = restoreDatabase(target, database, now);
    ASSERT_TRUE(r.ok()) << r.detail.toStdString();
    EXPECT_FALSE(QFileInfo::exists(database + s("-wal")));
    EXPECT_EQ(namesIn(database), names);
    EXPECT_EQ(namesIn(r.safetyCopy), (QStringList{s("Alt"), s("nur im Protokoll")}));

    const QString running = dir.filePath(s("usb/Laufend.qtb"));
    withLog(running, "Neu");
    const QByteArray backupBytes = bytesOf(running);
    r = restoreDatabase(running, database, now);
    ASSERT_TRUE(r.ok()) << r.detail.toStdString();
    EXPECT_EQ(namesIn(database), (QStringList{s("Alt"), s("Neu")}));
    EXPECT_EQ(bytesOf(running), backupBytes) << "the backup is only read";
    EXPECT_FALSE(QFileInfo::exists(database + s("-wal")));
    EXPECT_EQ(bytesOf(database).at(18), 1) << "a plain file again";
}

// Copies left by killed backups are free space for the next one; what a
// running process or another computer left stays.
TEST_F(BackupTest, LeftoversOfEndedRunsCountAsFreeSpaceOthersStay)
{
    QProcess ended;
    ended.start(s("true"), {});
    const qint64 pid = ended.waitForStarted() ? ended.processId() : 999999;
    ended.waitForFinished();
    const QString prefix = dir.filePath(s("usb/.Quittora.qtb.sicherung-"));
    const QString abandoned = prefix + s("%1-%2-abcdEFGH.tmp").arg(leftovers::machineTag()).arg(pid);
    const QString running = prefix + s("%1-%2-abcdEFGH.tmp").arg(leftovers::machineTag()).arg(QCoreApplication::applicationPid());
    const QString otherComputer = prefix + s("0badf00d-%1-abcdEFGH.tmp").arg(pid);
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
    stick.folder = dir.filePath(s("usb"));
    const Result r = backupDatabase(database, target, stick);
    EXPECT_TRUE(r.ok()) << r.detail.toStdString();
    EXPECT_FALSE(QFileInfo::exists(abandoned));
    EXPECT_TRUE(QFileInfo::exists(running) && QFileInfo::exists(otherComputer));
    EXPECT_EQ(namesIn(target), names);
}
