// quittora-cli called wrongly, the way a mistyped script line would: missing
// arguments, wrong numbers, files that are missing, folders, foreign files,
// outputs that cannot be written or are a database. Every such call ends with
// a German message and an exit code other than 0, never with a crash, and
// leaves no file behind and no database changed.

#include "support/CliRunner.h"
#include "support/GermanText.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace quittora;
using quittora::test::CliRun;
using quittora::test::cLocale;
using quittora::test::fileHash;
using quittora::test::runCli;
using quittora::test::TempDatabase;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

class CliRobustness : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db.isValid()) << db.error().toStdString();
        const qint64 doc = db.addDocument(s("1001"), s("05.03.2024"));
        ASSERT_GT(doc, 0);
        documentId = QString::number(doc);
        db.addLine(doc, s("2"), s("Brot"), s("3,50"), s("7,00"), s("7"));
        ASSERT_TRUE(QDir(db.folder()).mkdir(s("Ordner.qtb")));
        writeFile(foreign, "keine Datenbank");
        writeFile(empty, "");
        // A second database the outputs must not replace either.
        QString message;
        ASSERT_TRUE(Database::createFromTemplate(other, QLatin1Char(','), &message)) << message.toStdString();
    }

    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    // The call failed as it should: a German message, a code other than 0
    // and no crash (a crash reads as -1).
    static void expectRefused(const CliRun& run, const QString& call)
    {
        SCOPED_TRACE(call.toStdString());
        EXPECT_GT(run.exitCode, 0) << run.err.toStdString();
        EXPECT_FALSE(run.err.trimmed().isEmpty());
        EXPECT_FALSE(test::looksEnglish(run.err)) << run.err.toStdString();
    }

    CliRun refused(const QStringList& args)
    {
        const CliRun run = runCli(args, cLocale());
        expectRefused(run, args.join(QLatin1Char(' ')));
        return run;
    }

    // What lies in the test folder, to see that a refused call left nothing.
    QStringList files() const
    {
        return QDir(db.folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    TempDatabase db;
    QString documentId;
    const QString folder = db.filePath(s("Ordner.qtb"));
    const QString foreign = db.filePath(s("notiz.qtb"));
    const QString empty = db.filePath(s("leer.qtb"));
    const QString missing = db.filePath(s("fehlt.qtb"));
    const QString other = db.filePath(s("andere.qtb"));
};

TEST_F(CliRobustness, EveryCommandWithoutArgumentsShowsItsUsage)
{
    for (const char* command : {"init", "info", "eml", "overview", "customers-txt", "customers-csv", "pdf", "print",
                                "backup", "restore", "generate", "plz-import"}) {
        const CliRun run = refused({s(command)});
        EXPECT_TRUE(run.err.contains(s("Aufruf: quittora-cli"))) << command << ": " << run.err.toStdString();
    }
    const CliRun unknown = refused({s("rechnungen-loeschen")});
    EXPECT_TRUE(unknown.err.contains(s("Befehle:")) || unknown.err.contains(s("Aufruf:"))) << unknown.err.toStdString();
}

TEST_F(CliRobustness, MissingFolderForeignAndEmptyDatabaseFilesAreRefusedUntouched)
{
    const QByteArray foreignBefore = fileHash(foreign);
    const QStringList before = files();
    const QString out = db.filePath(s("ausgabe.txt"));
    for (const QString& file : {missing, folder, foreign, empty}) {
        refused({s("info"), file});
        refused({s("eml"), file, s("--document"), documentId, s("--out"), out});
        refused({s("overview"), file, s("--month"), s("März"), s("--year"), s("2024"), s("--out"), out});
        refused({s("customers-txt"), file, out});
        refused({s("customers-csv"), file, out});
        refused({s("pdf"), file, s("--document"), documentId, s("--out"), out});
        refused({s("backup"), file, db.filePath(s("sicherung.qtb"))});
        refused({s("restore"), file, other});
    }
    EXPECT_EQ(fileHash(foreign), foreignBefore);
    EXPECT_EQ(QFileInfo(empty).size(), 0);
    EXPECT_EQ(files(), before);
}

TEST_F(CliRobustness, WrongNumbersAreRefused)
{
    const QString out = db.filePath(s("ausgabe"));
    for (const char* id : {"abc", "'", "%", "1e999", "99999999999999999999", ",,", " ", ""})
        refused({s("eml"), db.path(), s("--document"), s(id), s("--out"), out});
    refused({s("eml"), db.path(), s("--document"), s("-1"), s("--out"), out});
    refused({s("pdf"), db.path(), s("--document"), s("x"), s("--out"), out});
    for (const char* year : {"abc", "1e999", "-0", "*", "'", " 2024", "", "99999"}) {
        const CliRun run = refused({s("overview"), db.path(), s("--month"), s("März"), s("--year"), s(year)});
        EXPECT_TRUE(run.out.isEmpty()) << year << ": " << run.out.toStdString();
    }
    refused({s("overview"), db.path(), s("--month"), s("13"), s("--year"), s("2024")});
    for (const char* count : {"abc", "-5", "1e999", ",,"})
        refused({s("generate"), db.filePath(s("neu.qtb")), s("--documents"), s(count)});
    EXPECT_FALSE(QFileInfo::exists(out));
    EXPECT_FALSE(QFileInfo::exists(db.filePath(s("neu.qtb"))));
}

// A mistyped output name that is the database itself, or another one, must
// never replace it with a PDF, an e-mail or a list.
TEST_F(CliRobustness, AnOutputThatIsADatabaseIsRefusedAndTheDatabaseKept)
{
    // The database read is opened by each call, so its bytes may move; its
    // records must not.
    const QByteArray theOther = fileHash(other);
    for (const QString& target : {db.path(), other}) {
        CliRun run = refused({s("pdf"), db.path(), s("--document"), documentId, s("--out"), target});
        EXPECT_TRUE(run.err.contains(s("ist eine Datenbank und wird nicht überschrieben"))) << run.err.toStdString();
        run = refused({s("eml"), db.path(), s("--document"), documentId, s("--out"), target});
        EXPECT_TRUE(run.err.contains(s("ist eine Datenbank und wird nicht überschrieben"))) << run.err.toStdString();
        refused({s("customers-txt"), db.path(), target});
        refused({s("customers-csv"), db.path(), target});
        refused({s("overview"), db.path(), s("--month"), s("März"), s("--year"), s("2024"), s("--out"), target});
    }
    EXPECT_TRUE(Database::isDatabaseFile(db.path()));
    EXPECT_EQ(db.count(s("Rechnungen")), 1);
    EXPECT_EQ(db.count(s("Verkauf")), 1);
    EXPECT_EQ(fileHash(other), theOther);
    EXPECT_EQ(runCli({s("info"), db.path()}, cLocale()).exitCode, 0);
    EXPECT_EQ(runCli({s("info"), other}, cLocale()).exitCode, 0);
}

TEST_F(CliRobustness, OutputsThatCannotBeWrittenAreRefusedWithoutLeftovers)
{
    const QStringList before = files();
    // A folder, a folder that is not there, a path through a plain file.
    const QStringList targets{folder, db.filePath(s("fehlt/ausgabe.txt")), foreign + s("/ausgabe.txt")};
    for (const QString& target : targets) {
        const CliRun pdf = refused({s("pdf"), db.path(), s("--document"), documentId, s("--out"), target});
        EXPECT_FALSE(pdf.err.contains(s("Datenträger ist voll"))) << "a folder is no full disk: " << pdf.err.toStdString();
        refused({s("eml"), db.path(), s("--document"), documentId, s("--out"), target});
        refused({s("customers-txt"), db.path(), target});
        refused({s("customers-csv"), db.path(), target});
        refused({s("overview"), db.path(), s("--month"), s("März"), s("--year"), s("2024"), s("--out"), target});
    }
    refused({s("init"), folder});
    refused({s("init"), foreign + s("/neu.qtb")});
    refused({s("backup"), db.path(), db.filePath(s("notiz.qtb/sicherung.qtb"))});
    EXPECT_EQ(files(), before);
    EXPECT_TRUE(QDir(folder).isEmpty());
}

TEST_F(CliRobustness, AReadOnlyOutputFolderIsRefusedWithoutLeftovers)
{
    const QString readOnly = db.filePath(s("schreibgeschützt"));
    ASSERT_TRUE(QDir().mkpath(readOnly));
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const bool enforced = !QFile(readOnly + s("/probe")).open(QIODevice::WriteOnly);
    if (!enforced) {
        QFile::remove(readOnly + s("/probe"));
        QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        GTEST_SKIP() << "this user may write into read-only folders";
    }
    const QString target = readOnly + s("/ausgabe");
    refused({s("pdf"), db.path(), s("--document"), documentId, s("--out"), target});
    refused({s("eml"), db.path(), s("--document"), documentId, s("--out"), target});
    refused({s("customers-txt"), db.path(), target});
    refused({s("customers-csv"), db.path(), target});
    refused({s("init"), target + s(".qtb")});
    refused({s("backup"), db.path(), target + s(".qtb")});
    EXPECT_TRUE(QDir(readOnly).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(CliRobustness, BackupOfAForeignFileOrAFolderSaysWhyInGerman)
{
    CliRun run = refused({s("backup"), foreign, db.filePath(s("sicherung.qtb"))});
    EXPECT_TRUE(run.err.contains(s("keine Datenbank")) || run.err.contains(s("keine Quittora-Datenbank")))
        << run.err.toStdString();
    run = refused({s("backup"), folder, db.filePath(s("sicherung.qtb"))});
    EXPECT_TRUE(run.err.contains(s("ist ein Ordner"))) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(db.filePath(s("sicherung.qtb"))));
}

TEST_F(CliRobustness, PostalCodeImportOfMissingFilesSaysWhyInGerman)
{
    const CliRun run = refused({s("plz-import"), db.filePath(s("plz.mdb")), db.filePath(s("DE.csv")),
                                db.filePath(s("AT.csv")), db.filePath(s("CH.csv"))});
    EXPECT_TRUE(run.err.contains(s("DE.csv"))) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(db.filePath(s("plz.mdb"))));
}

} // namespace
