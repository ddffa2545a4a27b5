// Backup and restore, and the faults they meet in use: a full or write-
// protected medium, backups cut short or damaged or from a newer program, a
// database held open or marked by another program, a link.
#include "safety/Backup.h"

#include "support/FakePrompts.h"
#include "support/TestDatabaseFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace quittora;
using namespace quittora::safety;
using testfiles::bytesOf;
using testfiles::namesIn;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

// Title, text, icon and buttons of a prompt in one line.
QString said(const QString& title, const QString& text, Prompts::Icon icon, int buttons)
{
    return title + s("|") + text + s("|%1|%2").arg(int(icon)).arg(buttons);
}
QString said(const FakePrompts::Shown& p) { return said(p.title, p.text, p.icon, p.buttons); }
const char* const kDiskFull = "Diskette voll - wechseln oder abbrechen";

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
struct SmallMedium {
    SmallMedium(const QString& folder, int kib, unsigned long flags = 0) : folder(QFile::encodeName(folder))
    {
        static const bool privateNamespace = ::geteuid() == 0 && ::unshare(CLONE_NEWNS) == 0
                                             && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        const QByteArray options = "size=" + QByteArray::number(kib) + "k";
        mounted = privateNamespace && ::mount("tmpfs", this->folder.constData(), "tmpfs", flags, options.constData()) == 0;
    }
    ~SmallMedium()
    {
        if (mounted)
            ::umount2(folder.constData(), MNT_DETACH);
    }
    const QByteArray folder;
    bool mounted = false;
};

class BackupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(dir.path()).mkpath(s("daten")) && QDir(dir.path()).mkpath(s("usb")));
        ASSERT_TRUE(testfiles::makeNamesDatabase(database, names));
    }
    QStringList entries(const QString& sub) const
    {
        return QDir(dir.filePath(sub)).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }
    void exec(const char* sql) { ASSERT_TRUE(testfiles::execOn(database, sql)) << sql; }
    Outcome retried(FakePrompts& prompts, FileOps& ops, Result* last, const QString& to)
    {
        return runWithRetry(prompts, Operation::Backup, [&] { return backupDatabase(database, to, ops); }, last);
    }
    Outcome restored(FakePrompts& prompts, Result* last = nullptr)
    {
        return runWithRetry(prompts, Operation::Restore, [&] { return restoreDatabase(target, database, now); }, last);
    }
    Result restore(const QString& from) { return restoreDatabase(from, database, now); }

    QTemporaryDir dir;
    const QString database = dir.filePath(s("daten/Quittora.qtb"));
    const QString target = dir.filePath(s("usb/Quittora.qtb"));
    const QStringList names{s("Müller"), s("Schmidt"), s("O'Brien")};
    const QStringList onlyDatabase{s("Quittora.qtb")};
    const QDateTime now{QDate(2024, 3, 1), QTime(10, 30, 5)};
};

} // namespace

TEST(BackupPath, SavePathRulesCompleteDrivesSharesAndFolders)
{
    const QString home = s("/home/anna/Dokumente/Quittora pro - Sicherung/");
    const std::pair<const char*, const char*> cases[] = {
        {"E", "E:\\Quittora.qtb"}, {"E:\\", "E:\\Quittora.qtb"}, {"\\\\server\\daten", "\\\\server\\daten\\Quittora.qtb"},
        {"/media/usb/", "/media/usb/Quittora.qtb"}, {"/", "/Quittora.qtb"}, {"E:\\ALT.QTB", "E:\\ALT.QTB"},
        {"Quittora.qtb", "Quittora.qtb"}, {"", "/home/anna/Dokumente/Quittora pro - Sicherung/Quittora.qtb"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(normaliseBackupPath(s(text), home), s(expected)) << text;
    QTemporaryDir dir;
    EXPECT_EQ(defaultBackupFolder(s("/home/anna/Dokumente")), home);
    // The same path whatever the case, spelling or link; two paths not there
    // yet are not the same.
    const QString file = dir.filePath(s("Quittora.qtb"));
    ASSERT_TRUE(testfiles::writeBytes(file, "x") && QFile::link(file, dir.filePath(s("Verweis.qtb"))));
    EXPECT_TRUE(isSamePath(file, file.toUpper()) && isSamePath(file, dir.path() + s("/./Quittora.qtb"))
                && isSamePath(dir.filePath(s("Verweis.qtb")), file));
    EXPECT_FALSE(isSamePath(file, dir.filePath(s("Quittora2.qtb"))) || isSamePath(QString(), QString())
                 || isSamePath(dir.filePath(s("neu1.qtb")), dir.filePath(s("neu2.qtb"))));
}

TEST_F(BackupTest, BackupThenRestoreBringsBackTheSavedDataAndKeepsTheReplacedFile)
{
    ASSERT_TRUE(backupDatabase(database, target).ok());
    EXPECT_EQ(inspectDatabaseFile(target), FileState::Sound);
    exec("DELETE FROM Kunden WHERE a1 = 'Schmidt'; INSERT INTO Kunden(a1) VALUES('Neu');");
    const Result r = restore(target);
    ASSERT_TRUE(r.ok()) << r.detail.toStdString();
    EXPECT_EQ(namesIn(database), names);
    EXPECT_EQ(QDir::fromNativeSeparators(r.safetyCopy), dir.filePath(s("daten/Quittora vor Zurückschreiben 2024-03-01 10-30-05.qtb")));
    EXPECT_EQ(namesIn(r.safetyCopy), (QStringList{s("Müller"), s("O'Brien"), s("Neu")}));
    EXPECT_TRUE(entries(s("daten")).size() == 2 && entries(s("usb")) == onlyDatabase) << entries(s("daten")).join(s(", ")).toStdString();
    // A second restore in the same second keeps both safety copies.
    const Result again = restore(target);
    EXPECT_TRUE(again.ok() && again.safetyCopy != r.safetyCopy && QFileInfo::exists(r.safetyCopy));
    // Onto a missing database it is created, without a safety copy.
    QFile::remove(database);
    const Result onto = restore(target);
    EXPECT_TRUE(onto.ok() && onto.safetyCopy.isEmpty());
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
}

TEST_F(BackupTest, RefusedBackupsChangeNothingAndSayWhy)
{
    const QByteArray before = bytesOf(database);
    EXPECT_EQ(backupDatabase(database, database.toUpper()).failure, Failure::SamePath);
    EXPECT_TRUE(bytesOf(database) == before && entries(s("daten")) == onlyDatabase);
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
    EXPECT_TRUE(bytesOf(target) == oldBackup && entries(s("usb")) == onlyDatabase);
    FakePrompts prompts;
    prompts.answerMessage(Prompts::Cancel);
    EXPECT_EQ(retried(prompts, ops, nullptr, target), Outcome::Stopped);
    EXPECT_EQ(said(prompts.last()), said(s("Fehler !"), s("Datei kann nicht gesichert werden !\nbitte Ursache beheben, dann auf OK klicken"),
                                         Prompts::Icon::Critical, Prompts::Ok | Prompts::Cancel));

    // A write-protected place gets its true reason, never "not there"; the
    // administrator may write into any folder, so for root a read-only medium.
    const QString folder = dir.filePath(s("geschützt"));
    ASSERT_TRUE(QDir().mkpath(folder));
    SmallMedium readOnly(folder, 64, MS_RDONLY);
    ASSERT_TRUE(readOnly.mounted || QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    const Result r = backupDatabase(database, folder + s("/Quittora.qtb"));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!readOnly.mounted && QFileInfo::exists(folder + s("/Quittora.qtb")))
        GTEST_SKIP() << "kein schreibgeschützter Datenträger einzuhängen";
    EXPECT_EQ(r.failure, Failure::WriteFailed);
    EXPECT_TRUE(!r.detail.contains(s("nicht vorhanden"))
                && (r.detail.contains(s("schreibgeschützt")) || r.detail.contains(s("Berechtigung")))) << r.detail.toStdString();
}

TEST_F(BackupTest, AFullMediumAsksToChangeTheDiskOkRetriesCancelKeepsTheOldBackup)
{
    ScriptedFileOps ops;
    ops.freeAnswers = {1024}; // too little for the first attempt, then the real value
    FakePrompts prompts;
    prompts.answerMessage(Prompts::Ok);
    EXPECT_EQ(retried(prompts, ops, nullptr, target), Outcome::Done);
    ASSERT_EQ(prompts.count(), 1);
    EXPECT_EQ(said(prompts.last()), said(s("Achtung !"), s(kDiskFull), Prompts::Icon::Exclamation, Prompts::Ok | Prompts::Cancel));
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
    EXPECT_TRUE(bytesOf(target) == oldBackup && entries(s("usb")) == onlyDatabase);
}

TEST_F(BackupTest, MissingDamagedForeignOrNewerBackupsAreRefusedBeforeAnythingIsReplaced)
{
    const QByteArray before = bytesOf(database);
    FakePrompts missing;
    Result last;
    EXPECT_EQ(restored(missing, &last), Outcome::Stopped);
    EXPECT_EQ(last.failure, Failure::BackupMissing);
    ASSERT_EQ(missing.count(), 1);
    EXPECT_EQ(said(missing.last()), said(s("Fehler !"), s("Datei nicht gefunden !\nbitte wählen Sie den korrekten Sicherungspfad "
                                               "und versuchen Sie es erneut"), missing.last().icon, Prompts::Ok));

    // Sound as SQLite, but its index no longer matches the table: only the
    // integrity check finds that.
    const QString sick = dir.filePath(s("krank.qtb"));
    ASSERT_TRUE(testfiles::makeNamesDatabase(sick, names) && testfiles::execOn(sick, "CREATE INDEX k ON Kunden(ID)")
                && testfiles::execOn(sick, "PRAGMA writable_schema=ON; "
                                           "UPDATE sqlite_master SET sql='CREATE INDEX k ON Kunden(a1)' WHERE name='k'"));
    ASSERT_TRUE(backupDatabase(database, target).ok());
    const QByteArray good = bytesOf(target);
    for (const QByteArray& content : {QByteArray("kein SQLite"), QByteArray(), good.left(good.size() / 2), good.left(good.size() - 1),
                                      QByteArray(good).replace(4096, 100, QByteArray(100, '\xff')), bytesOf(sick)}) {
        ASSERT_TRUE(testfiles::writeBytes(target, content));
        FakePrompts prompts;
        restored(prompts, &last);
        EXPECT_EQ(last.failure, Failure::BackupDamaged) << last.detail.toStdString();
        EXPECT_EQ(prompts.last().text,
                  s("Die Sicherungsdatei ist beschädigt oder keine Quittora-Datenbank !\nDie Datendatei wurde nicht verändert."));
    }
    // Another program's database, also one with a layout version of its own.
    for (const char* foreign : {"CREATE TABLE t(x)", "PRAGMA user_version=1; CREATE TABLE t(x)"}) {
        QFile::remove(target);
        ASSERT_TRUE(testfiles::execOn(target, foreign));
        EXPECT_EQ(inspectDatabaseFile(target), FileState::Foreign) << foreign;
        EXPECT_EQ(restore(target).failure, Failure::BackupDamaged) << foreign;
    }
    QFile::remove(target);
    ASSERT_TRUE(testfiles::makeNamesDatabase(target, {s("Zukunft")}) && testfiles::execOn(target, "PRAGMA user_version=99"));
    EXPECT_EQ(restore(target).failure, Failure::BackupNewer);
    EXPECT_TRUE(bytesOf(database) == before && entries(s("daten")) == onlyDatabase);
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
    EXPECT_EQ(restored(prompts), Outcome::EndProgram);
    EXPECT_EQ(prompts.last().text,
              s("Bitte brechen Sie ab, und starten Sie dieses Programm erneut, dann Datensicherung anklicken !"));
    sqlite3_close_v2(holder); // rolls the transaction back
    EXPECT_EQ(bytesOf(database), before);

    const QString link = dir.filePath(s("Verknüpfung.qtb"));
    ASSERT_TRUE(QFile::link(database, link));
    {
        InUseMark mark(database);
        ASSERT_TRUE(mark.held() && isMarkedInUse(database));
        EXPECT_EQ(restore(target).failure, Failure::InUse);
        EXPECT_EQ(restoreDatabase(target, link, now).failure, Failure::InUse);
        EXPECT_EQ(bytesOf(database), before);
        EXPECT_TRUE(backupDatabase(database, dir.filePath(s("usb/zweite.qtb"))).ok());
    }
    EXPECT_FALSE(isMarkedInUse(database));
    // Through the link the real file is replaced, the link stays.
    const Result r = restoreDatabase(target, link, now);
    ASSERT_TRUE(r.ok()) << r.detail.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink() && namesIn(database) == names);
    EXPECT_TRUE(QFileInfo(r.safetyCopy).absolutePath() == QFileInfo(database).absolutePath() && namesIn(r.safetyCopy).last() == s("Neu"));

    // What a crashed program leaves (its process number, name and host) does not block.
    ASSERT_TRUE(testfiles::writeBytes(inUseMarkPath(database),
                                      "2147483000\nquittora\n" + QSysInfo::machineHostName().toUtf8() + "\n"));
    EXPECT_FALSE(isMarkedInUse(database));
    EXPECT_TRUE(restore(target).ok());
    EXPECT_TRUE(InUseMark(database).held());
}
