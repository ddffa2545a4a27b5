#include "safety/Backup.h"

#include "support/FakePrompts.h"
#include "support/QtPrinters.h"
#include "support/TempDatabase.h"
#include "support/TestDatabaseFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
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



namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

void makeDatabase(const QString& path, const QStringList& names, bool wal = false)
{
    ASSERT_TRUE(testfiles::makeNamesDatabase(path, names, wal)) << path.toStdString();
}

void execOn(const QString& path, const char* sql) { ASSERT_TRUE(testfiles::execOn(path, sql)) << sql; }

void writeBytes(const QString& path, const QByteArray& bytes) { ASSERT_TRUE(testfiles::writeBytes(path, bytes)); }

using testfiles::bytesOf;
using testfiles::namesIn;

// File operations that can pretend the medium is full or a rename fails.
class ScriptedFileOps final : public FileOps {
public:
    QList<qint64> freeAnswers; // consumed one per question; real value when empty
    bool failReplace = false;
    int replaceCalls = 0;

    qint64 freeBytes(const QString& folder) override
    {
        if (!freeAnswers.isEmpty())
            return freeAnswers.takeFirst();
        return FileOps::freeBytes(folder);
    }
    Result replace(const QString& from, const QString& to) override
    {
        ++replaceCalls;
        if (failReplace)
            return Result{Failure::WriteFailed, QStringLiteral("simulated"), {}};
        return FileOps::replace(from, to);
    }
};

// A small RAM disk mounted on a folder, for a medium that really runs full.
// It needs root; the mount lives in a mount namespace of this thread's own,
// so nothing of it is visible outside the test and a crash leaves no mount.
class SmallMedium {
public:
    SmallMedium(const QString& folder, int kib) : m_folder(folder)
    {
#ifdef Q_OS_LINUX
        static const bool privateNamespace = [] {
            return ::geteuid() == 0 && ::unshare(CLONE_NEWNS) == 0
                   && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        }();
        const QByteArray options = "size=" + QByteArray::number(kib) + "k";
        m_mounted = privateNamespace
                    && ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData()) == 0;
#else
        Q_UNUSED(kib);
#endif
    }
    ~SmallMedium()
    {
#ifdef Q_OS_LINUX
        if (m_mounted)
            ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
#endif
    }
    bool mounted() const { return m_mounted; }

private:
    QString m_folder;
    bool m_mounted = false;
};

class BackupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("daten")));
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("usb")));
        database = dir.filePath(QStringLiteral("daten/Quittora.qtb"));
        target = dir.filePath(QStringLiteral("usb/Quittora.qtb"));
        makeDatabase(database, {s("Müller"), s("Schmidt"), s("O'Brien")});
    }
    // Files in a folder besides the expected ones: leftovers of a failed run.
    QStringList entries(const QString& sub) const
    {
        return QDir(dir.filePath(sub)).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }

    QTemporaryDir dir;
    QString database;
    QString target;
    const QDateTime now{QDate(2024, 3, 1), QTime(10, 30, 5)};
};

} // namespace

TEST(BackupPath, SavePathRulesCompleteDrivesSharesAndFolders)
{
    const QString linuxDefault = s("/home/anna/Dokumente/Quittora pro - Sicherung/");
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"E", "E:\\Quittora.qtb"},
        {"E:", "E:\\Quittora.qtb"},
        {"E:\\", "E:\\Quittora.qtb"},
        {"E:\\Sicherung", "E:\\Sicherung\\Quittora.qtb"},
        {"\\\\server\\daten", "\\\\server\\daten\\Quittora.qtb"},
        {"\\\\server\\daten\\", "\\\\server\\daten\\Quittora.qtb"},
        {"/media/usb", "/media/usb/Quittora.qtb"},
        {"/media/usb/", "/media/usb/Quittora.qtb"},
        {"/", "/Quittora.qtb"},
        {"/media/usb/Alt.qtb", "/media/usb/Alt.qtb"},
        {"E:\\ALT.QTB", "E:\\ALT.QTB"},
        {"Quittora.qtb", "Quittora.qtb"},
        {"", "/home/anna/Dokumente/Quittora pro - Sicherung/Quittora.qtb"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(normaliseBackupPath(s(c.text), linuxDefault), s(c.expected)) << c.text;
    EXPECT_EQ(normaliseBackupPath(QString(), s("D:\\")), s("D:\\Quittora.qtb"));
}

TEST(BackupPath, OnlyAbsolutePathsLongerThanTheBareNameNameALocation)
{
    EXPECT_FALSE(namesBackupLocation(s("Quittora.qtb")));
    EXPECT_FALSE(namesBackupLocation(s("sicher/Quittora.qtb")));
    EXPECT_FALSE(namesBackupLocation(QString()));
    EXPECT_TRUE(namesBackupLocation(s("/media/usb/Quittora.qtb")));
}

TEST(BackupPath, FoldersStandForTheBackupFileInThem)
{
    QTemporaryDir dir;
    EXPECT_EQ(backupTargetFile(dir.path()), dir.path() + QDir::separator() + s("Quittora.qtb"));
    EXPECT_EQ(backupTargetFile(s("/nicht/da/")), s("/nicht/da/Quittora.qtb"));
    EXPECT_EQ(backupTargetFile(s("/nicht/da/Kopie.qtb")), s("/nicht/da/Kopie.qtb"));
    EXPECT_EQ(defaultBackupFolder(s("/home/anna/Dokumente")), s("/home/anna/Dokumente/Quittora pro - Sicherung/"));
}

TEST(BackupPath, SamePathIgnoresCaseSpellingAndLinks)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(s("Quittora.qtb"));
    writeBytes(file, "x");
    EXPECT_TRUE(isSamePath(file, file.toUpper()));
    EXPECT_TRUE(isSamePath(file, dir.path() + s("/./Quittora.qtb")));
    ASSERT_TRUE(QFile::link(file, dir.filePath(s("Verweis.qtb"))));
    EXPECT_TRUE(isSamePath(dir.filePath(s("Verweis.qtb")), file));
    EXPECT_FALSE(isSamePath(file, dir.filePath(s("Quittora2.qtb"))));
    EXPECT_FALSE(isSamePath(QString(), QString()));
}

TEST_F(BackupTest, BackupThenRestoreBringsBackTheSavedData)
{
    ASSERT_TRUE(backupDatabase(database, target).ok());
    EXPECT_EQ(inspectDatabaseFile(target), FileState::Sound);
    EXPECT_EQ(namesIn(target), (QStringList{s("Müller"), s("Schmidt"), s("O'Brien")}));

    execOn(database, "DELETE FROM Kunden WHERE a1 = 'Schmidt'; INSERT INTO Kunden(a1) VALUES('Neu');");
    const Result r = restoreDatabase(target, database, now);
    ASSERT_TRUE(r.ok()) << r.detail.toStdString();
    EXPECT_EQ(namesIn(database), (QStringList{s("Müller"), s("Schmidt"), s("O'Brien")}));

    // The replaced file is kept, dated, beside the database.
    EXPECT_EQ(QDir::fromNativeSeparators(r.safetyCopy), dir.filePath(s("daten/Quittora vor Zurückschreiben 2024-03-01 10-30-05.qtb")));
    EXPECT_EQ(namesIn(r.safetyCopy), (QStringList{s("Müller"), s("O'Brien"), s("Neu")}));
    EXPECT_EQ(entries(s("daten")).size(), 2) << entries(s("daten")).join(s(", ")).toStdString();
    EXPECT_EQ(entries(s("usb")), QStringList{s("Quittora.qtb")});

    // A second restore in the same second keeps both safety copies.
    const Result again = restoreDatabase(target, database, now);
    ASSERT_TRUE(again.ok());
    EXPECT_NE(again.safetyCopy, r.safetyCopy);
    EXPECT_TRUE(QFileInfo::exists(r.safetyCopy));
}

TEST_F(BackupTest, BackupIsCompactedAndReplacesAnOlderOne)
{
    QStringList many;
    for (int i = 0; i < 2000; ++i)
        many << QStringLiteral("Kunde %1 mit einem langen Namen, der Platz braucht").arg(i);
    QFile::remove(database);
    makeDatabase(database, many);
    ASSERT_TRUE(backupDatabase(database, target).ok());
    execOn(database, "DELETE FROM Kunden WHERE ID > 1");
    ASSERT_TRUE(backupDatabase(database, target).ok());
    EXPECT_EQ(namesIn(target), QStringList{many.first()});
    EXPECT_LT(QFileInfo(target).size() * 4, QFileInfo(database).size());
}

TEST_F(BackupTest, BackupCreatesTheLastMissingFolderButNotAWholeMissingPath)
{
    const QString inNewFolder = dir.filePath(s("usb/Sicherung/Quittora.qtb"));
    ASSERT_TRUE(backupDatabase(database, inNewFolder).ok());
    EXPECT_EQ(inspectDatabaseFile(inNewFolder), FileState::Sound);

    const Result r = backupDatabase(database, dir.filePath(s("nicht/gesteckt/Quittora.qtb")));
    EXPECT_EQ(r.failure, Failure::WriteFailed);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(s("nicht"))));
}

TEST_F(BackupTest, TheDefaultFolderInTheHomeIsCreatedWholeOnFirstUse)
{
    // A home without "Dokumente" yet: the default backup folder below it is
    // still made on the first backup.
    const QByteArray oldHome = qgetenv("HOME");
    const QString home = dir.filePath(s("heim"));
    ASSERT_TRUE(QDir().mkpath(home));
    qputenv("HOME", QFile::encodeName(home));
    const QString target = home + s("/Dokumente/Quittora pro - Sicherung/Quittora.qtb");
    const Result r = backupDatabase(database, target);
    qputenv("HOME", oldHome);
    ASSERT_TRUE(r.ok()) << r.detail.toStdString();
    EXPECT_EQ(inspectDatabaseFile(target), FileState::Sound);
}

TEST_F(BackupTest, BackupWorksFromAnOpenConnection)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(s("QSQLITE"), s("backup-open"));
        db.setDatabaseName(database);
        ASSERT_TRUE(db.open());
        QSqlQuery(db).exec(s("INSERT INTO Kunden(a1) VALUES('Offen')"));
        const Result r = backupDatabase(db, target);
        EXPECT_TRUE(r.ok()) << r.detail.toStdString();
        EXPECT_EQ(backupDatabase(db, database.toUpper()).failure, Failure::SamePath);
        db.close();
    }
    QSqlDatabase::removeDatabase(s("backup-open"));
    EXPECT_EQ(namesIn(target).last(), s("Offen"));
}

TEST_F(BackupTest, IdenticalPathIsRefusedWhateverTheCase)
{
    const QByteArray before = bytesOf(database);
    EXPECT_EQ(backupDatabase(database, database.toUpper()).failure, Failure::SamePath);
    EXPECT_EQ(backupDatabase(database, database).failure, Failure::SamePath);
    EXPECT_EQ(bytesOf(database), before);
    EXPECT_EQ(entries(s("daten")), QStringList{s("Quittora.qtb")});
}

TEST_F(BackupTest, FullMediumAsksToChangeTheDiskAndOkRetries)
{
    ScriptedFileOps ops;
    ops.freeAnswers = {1024}; // too little for the first attempt, then the real value
    FakePrompts prompts;
    prompts.answerMessage(Prompts::Ok);
    Result last;
    const Outcome outcome = runWithRetry(prompts, Operation::Backup, [&] { return backupDatabase(database, target, ops); }, &last);
    EXPECT_EQ(outcome, Outcome::Done);
    ASSERT_EQ(prompts.count(), 1);
    EXPECT_EQ(prompts.last().title, s("Achtung !"));
    EXPECT_EQ(prompts.last().text, s("Diskette voll - wechseln oder abbrechen"));
    EXPECT_EQ(prompts.last().icon, Prompts::Icon::Exclamation);
    EXPECT_EQ(prompts.last().buttons, Prompts::Ok | Prompts::Cancel);
    EXPECT_EQ(inspectDatabaseFile(target), FileState::Sound);
}

// The medium really runs full while the copy is written (the free space is
// not known beforehand, as on some network shares): the write failure is
// recognised as a full medium, nothing half-written stays behind, and OK
// after making room writes the backup.
TEST_F(BackupTest, MediumThatRunsFullWhileWritingAsksAndOkRetriesAfterMakingRoom)
{
    const QString medium = dir.filePath(s("stick"));
    ASSERT_TRUE(QDir(dir.path()).mkpath(s("stick")));
    SmallMedium stick(medium, 512);
    if (!stick.mounted())
        GTEST_SKIP() << "kein kleines tmpfs einzuhängen (braucht root)";
    const QString backup = medium + s("/Quittora.qtb");
    ASSERT_TRUE(backupDatabase(database, backup).ok());
    const QByteArray oldBackup = bytesOf(backup);

    // Enough data for about 300 KB, and the stick nearly filled up.
    ASSERT_TRUE(testfiles::execOn(database, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                                            "INSERT INTO Kunden(a1) SELECT printf('%.100c%d', 'x', i) FROM n"));
    const QString filler = medium + s("/Fotos.bin");
    const qint64 free = QStorageInfo(medium).bytesAvailable();
    ASSERT_GT(free, 150 * 1024);
    writeBytes(filler, QByteArray(int(free - 100 * 1024), 'f'));

    ScriptedFileOps ops;
    ops.freeAnswers = {-1, -1}; // the first attempt cannot ask for the free space
    FakePrompts prompts;
    QStringList onStickWhenAsked;
    prompts.onShown([&](const FakePrompts::Shown&) {
        onStickWhenAsked = QDir(medium).entryList(QDir::Files | QDir::Hidden | QDir::System);
        QFile::remove(filler); // the user makes room
    });
    prompts.answerMessage(Prompts::Ok);
    Result last;
    EXPECT_EQ(runWithRetry(prompts, Operation::Backup, [&] { return backupDatabase(database, backup, ops); }, &last),
              Outcome::Done);
    ASSERT_EQ(prompts.count(), 1);
    EXPECT_EQ(prompts.last().title, s("Achtung !"));
    EXPECT_EQ(prompts.last().text, s("Diskette voll - wechseln oder abbrechen"));
    EXPECT_EQ(onStickWhenAsked, (QStringList{s("Fotos.bin"), s("Quittora.qtb")})) << "no partial copy left";
    EXPECT_NE(bytesOf(backup), oldBackup);
    EXPECT_EQ(inspectDatabaseFile(backup), FileState::Sound);
    EXPECT_EQ(namesIn(backup).size(), 3003);
    EXPECT_EQ(QDir(medium).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{s("Quittora.qtb")});
}

TEST_F(BackupTest, MediumThatRunsFullKeepsTheOldBackupOnCancel)
{
    const QString medium = dir.filePath(s("stick"));
    ASSERT_TRUE(QDir(dir.path()).mkpath(s("stick")));
    SmallMedium stick(medium, 256);
    if (!stick.mounted())
        GTEST_SKIP() << "kein kleines tmpfs einzuhängen (braucht root)";
    const QString backup = medium + s("/Quittora.qtb");
    ASSERT_TRUE(backupDatabase(database, backup).ok());
    const QByteArray oldBackup = bytesOf(backup);
    ASSERT_TRUE(testfiles::execOn(database, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                                            "INSERT INTO Kunden(a1) SELECT printf('%.100c%d', 'x', i) FROM n"));

    // Even with the free space known the copy does not fit: refused before
    // writing, and the real write (free space unknown) fails the same way.
    for (const QList<qint64>& free : {QList<qint64>{}, QList<qint64>{-1, -1}}) {
        ScriptedFileOps ops;
        ops.freeAnswers = free;
        FakePrompts prompts;
        prompts.answerMessage(Prompts::Cancel);
        Result last;
        EXPECT_EQ(runWithRetry(prompts, Operation::Backup, [&] { return backupDatabase(database, backup, ops); }, &last),
                  Outcome::Stopped);
        EXPECT_EQ(last.failure, Failure::DiskFull) << last.detail.toStdString();
        EXPECT_EQ(bytesOf(backup), oldBackup);
        EXPECT_EQ(QDir(medium).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{s("Quittora.qtb")});
    }
}

TEST_F(BackupTest, CancelOnAFullMediumKeepsTheOldBackup)
{
    ASSERT_TRUE(backupDatabase(database, target).ok());
    const QByteArray oldBackup = bytesOf(target);
    execOn(database, "INSERT INTO Kunden(a1) VALUES('Neu')");

    ScriptedFileOps ops;
    ops.freeAnswers = {10, 10, 10};
    FakePrompts prompts;
    prompts.answerMessage(Prompts::Ok);
    prompts.answerMessage(Prompts::Cancel);
    Result last;
    EXPECT_EQ(runWithRetry(prompts, Operation::Backup, [&] { return backupDatabase(database, target, ops); }, &last),
              Outcome::Stopped);
    EXPECT_EQ(prompts.count(), 2);
    EXPECT_EQ(last.failure, Failure::DiskFull);
    EXPECT_EQ(bytesOf(target), oldBackup);
    EXPECT_EQ(entries(s("usb")), QStringList{s("Quittora.qtb")});
}

TEST_F(BackupTest, OldBackupSurvivesAFailedBackup)
{
    ASSERT_TRUE(backupDatabase(database, target).ok());
    const QByteArray oldBackup = bytesOf(target);
    execOn(database, "INSERT INTO Kunden(a1) VALUES('Neu')");

    ScriptedFileOps ops;
    ops.failReplace = true;
    const Result r = backupDatabase(database, target, ops);
    EXPECT_EQ(r.failure, Failure::WriteFailed);
    EXPECT_EQ(ops.replaceCalls, 1);
    EXPECT_EQ(bytesOf(target), oldBackup);
    EXPECT_EQ(entries(s("usb")), QStringList{s("Quittora.qtb")}) << "no temporary file left behind";

    FakePrompts prompts;
    prompts.answerMessage(Prompts::Cancel);
    runWithRetry(prompts, Operation::Backup, [&] { return backupDatabase(database, target, ops); });
    EXPECT_EQ(prompts.last().title, s("Fehler !"));
    EXPECT_EQ(prompts.last().text, s("Datei kann nicht gesichert werden !\nbitte Ursache beheben, dann auf OK klicken"));
    EXPECT_EQ(prompts.last().icon, Prompts::Icon::Critical);
    EXPECT_EQ(prompts.last().buttons, Prompts::Ok | Prompts::Cancel);
}

TEST_F(BackupTest, ForeignOrMissingSourceIsNotBackedUp)
{
    const QString foreign = dir.filePath(s("daten/fremd.qtb"));
    execOn(foreign, "CREATE TABLE t(x)");
    EXPECT_EQ(backupDatabase(foreign, target).failure, Failure::SourceUnreadable);
    EXPECT_EQ(backupDatabase(dir.filePath(s("daten/weg.qtb")), target).failure, Failure::SourceUnreadable);
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_EQ(entries(s("usb")), QStringList());
}

TEST_F(BackupTest, RestoreFromMissingBackupLeavesDatabaseUntouched)
{
    const QByteArray before = bytesOf(database);
    FakePrompts prompts;
    Result last;
    EXPECT_EQ(runWithRetry(prompts, Operation::Restore, [&] { return restoreDatabase(target, database, now); }, &last),
              Outcome::Stopped);
    EXPECT_EQ(last.failure, Failure::BackupMissing);
    ASSERT_EQ(prompts.count(), 1);
    EXPECT_EQ(prompts.last().title, s("Fehler !"));
    EXPECT_EQ(prompts.last().text,
              s("Datei nicht gefunden !\nbitte wählen Sie den korrekten Sicherungspfad und versuchen Sie es erneut"));
    EXPECT_EQ(prompts.last().buttons, int(Prompts::Ok));
    EXPECT_EQ(bytesOf(database), before);
    EXPECT_EQ(entries(s("daten")), QStringList{s("Quittora.qtb")});
}

TEST_F(BackupTest, RestoreFromCorruptBackupLeavesDatabaseUntouched)
{
    const QByteArray before = bytesOf(database);
    ASSERT_TRUE(backupDatabase(database, target).ok());
    const QByteArray good = bytesOf(target);

    const QList<QByteArray> broken = {
        QByteArray("kein SQLite"),
        QByteArray(),
        good.left(good.size() / 2),                     // cut off
        QByteArray(good).replace(4096, 100, QByteArray(100, '\xff')), // damaged table page
    };
    for (const QByteArray& content : broken) {
        writeBytes(target, content);
        FakePrompts prompts;
        Result last;
        runWithRetry(prompts, Operation::Restore, [&] { return restoreDatabase(target, database, now); }, &last);
        EXPECT_EQ(last.failure, Failure::BackupDamaged) << last.detail.toStdString();
        EXPECT_EQ(prompts.last().text,
                  s("Die Sicherungsdatei ist beschädigt oder keine Quittora-Datenbank !\nDie Datendatei wurde nicht verändert."));
        EXPECT_EQ(bytesOf(database), before);
        EXPECT_EQ(entries(s("daten")), QStringList{s("Quittora.qtb")});
    }

    QFile::remove(target);
    execOn(target, "CREATE TABLE t(x)"); // another program's database
    EXPECT_EQ(restoreDatabase(target, database, now).failure, Failure::BackupDamaged);
    QFile::remove(target);
    makeDatabase(target, {s("Zukunft")});
    execOn(target, "PRAGMA user_version=99");
    EXPECT_EQ(restoreDatabase(target, database, now).failure, Failure::BackupNewer);
    EXPECT_EQ(bytesOf(database), before);
}

TEST_F(BackupTest, RestoreRefusesWhileTheDatabaseIsHeldOpen)
{
    ASSERT_TRUE(backupDatabase(database, target).ok());
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
}

// A scheduled restore while the program works on the file would leave the
// program writing into the replaced file; the program's mark prevents it.
TEST_F(BackupTest, RestoreRefusesWhileAProgramHasTheDatabaseMarkedInUse)
{
    ASSERT_TRUE(backupDatabase(database, target).ok());
    execOn(database, "INSERT INTO Kunden(a1) VALUES('Neu')");
    const QByteArray before = bytesOf(database);
    {
        InUseMark mark(database);
        ASSERT_TRUE(mark.held());
        EXPECT_TRUE(isMarkedInUse(database));
        EXPECT_FALSE(InUseMark(database).held()) << "one program at a time";
        const Result r = restoreDatabase(target, database, now);
        EXPECT_EQ(r.failure, Failure::InUse);
        EXPECT_EQ(bytesOf(database), before);
        // Backing up reads a consistent state and is allowed meanwhile.
        EXPECT_TRUE(backupDatabase(database, dir.filePath(s("usb/zweite.qtb"))).ok());
    }
    EXPECT_FALSE(isMarkedInUse(database));
    EXPECT_TRUE(restoreDatabase(target, database, now).ok());
    EXPECT_EQ(namesIn(database).size(), 3);
}

TEST_F(BackupTest, MarkLeftByAProgramThatIsGoneDoesNotBlock)
{
    ASSERT_TRUE(backupDatabase(database, target).ok());
    // What a crashed program leaves: its process number, name and host.
    writeBytes(inUseMarkPath(database), "2147483000\nquittora\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    EXPECT_FALSE(isMarkedInUse(database));
    EXPECT_TRUE(restoreDatabase(target, database, now).ok());
    InUseMark mark(database);
    EXPECT_TRUE(mark.held());
}

TEST_F(BackupTest, RestoreKeepsACrashLeftJournalWithTheSafetyCopyOnly)
{
    ASSERT_TRUE(backupDatabase(database, target).ok());

    // A database whose last change still sits in its write-ahead log, as a
    // crash would leave it.
    const QString live = dir.filePath(s("live.qtb"));
    makeDatabase(live, {s("Alt")}, true);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(live).constData(), &db), SQLITE_OK);
    sqlite3_exec(db, "PRAGMA wal_autocheckpoint=0; INSERT INTO Kunden(a1) VALUES('nur im Protokoll');", nullptr, nullptr, nullptr);
    QFile::remove(database);
    ASSERT_TRUE(QFile::copy(live, database));
    ASSERT_TRUE(QFile::copy(live + s("-wal"), database + s("-wal")));
    sqlite3_close(db);

    const Result r = restoreDatabase(target, database, now);
    ASSERT_TRUE(r.ok()) << r.detail.toStdString();
    EXPECT_FALSE(QFileInfo::exists(database + s("-wal")));
    EXPECT_EQ(namesIn(database), (QStringList{s("Müller"), s("Schmidt"), s("O'Brien")}));
    EXPECT_EQ(namesIn(r.safetyCopy), (QStringList{s("Alt"), s("nur im Protokoll")}));
}

TEST_F(BackupTest, RestoreOntoAMissingDatabaseCreatesIt)
{
    ASSERT_TRUE(backupDatabase(database, target).ok());
    QFile::remove(database);
    const Result r = restoreDatabase(target, database, now);
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r.safetyCopy.isEmpty());
    EXPECT_EQ(namesIn(database).size(), 3);
}

TEST_F(BackupTest, RestoreOnAFullMediumAsksAndChangesNothingOnCancel)
{
    ASSERT_TRUE(backupDatabase(database, target).ok());
    execOn(database, "INSERT INTO Kunden(a1) VALUES('Neu')");
    const QByteArray before = bytesOf(database);
    ScriptedFileOps ops;
    ops.freeAnswers = {100, 100};
    FakePrompts prompts;
    prompts.answerMessage(Prompts::Cancel);
    EXPECT_EQ(runWithRetry(prompts, Operation::Restore, [&] { return restoreDatabase(target, database, now, ops); }),
              Outcome::Stopped);
    EXPECT_EQ(prompts.last().text, s("Diskette voll - wechseln oder abbrechen"));
    EXPECT_EQ(bytesOf(database), before);
    EXPECT_EQ(entries(s("daten")), QStringList{s("Quittora.qtb")});
}

TEST(BackupOfTheProgramDatabase, OpenDatabaseIsBackedUpAndRestoredWithAllItsData)
{
    test::TempDatabase t;
    ASSERT_TRUE(t.isValid()) << t.error().toStdString();
    const qint64 customer = t.addCustomer(s("Müller"), s("Anna"));
    const qint64 document = t.addDocument(s("1001"), s("01.03.2024"));
    t.addLine(document, s("2"), s("Beratung"), s("50,00"), s("100,00"));
    const QString target = t.filePath(s("Sicherung/Quittora.qtb"));

    const Result r = backupDatabase(t.db(), target);
    ASSERT_TRUE(r.ok()) << r.detail.toStdString();
    EXPECT_EQ(inspectDatabaseFile(target), FileState::Sound);
    EXPECT_EQ(Database::checkFile(target), QString());

    t.exec(s("DELETE FROM Verkauf"));
    t.exec(s("UPDATE Kunden SET a2 = 'Geändert' WHERE ID = ?"), {customer});
    const QString path = t.path();
    t.db().close();
    const Result back = restoreDatabase(target, path, QDateTime(QDate(2024, 3, 2), QTime(8, 0)));
    ASSERT_TRUE(back.ok()) << back.detail.toStdString();

    Database reopened;
    QString message;
    ASSERT_TRUE(reopened.open(path, &message)) << message.toStdString();
    const auto counts = reopened.counts();
    ASSERT_TRUE(counts.has_value());
    EXPECT_EQ(counts->positionen, 1);
    QSqlQuery q(reopened.connection());
    ASSERT_TRUE(q.exec(s("SELECT a2 FROM Kunden WHERE ID = %1").arg(customer)) && q.next());
    EXPECT_EQ(q.value(0).toString(), s("Müller"));
}
