// Runs of backup, restore and generate killed (kill -9) while their
// temporary file exists, then run again: the next run of the same kind
// removes what the killed ones left, and its result is right.
#include "support/CliRunner.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

using quittora::test::CliRun;
using quittora::test::runCli;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

QStringList matching(const QString& folder, const QRegularExpression& pattern)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System).filter(pattern);
}

// Starts a run and kills it as soon as a file of the pattern shows in the
// folder. True when it was killed so.
bool killedWhileTempExists(const QStringList& args, const QString& folder, const QRegularExpression& pattern)
{
    QProcess p;
    p.start(s(QUITTORA_CLI), args);
    if (!p.waitForStarted())
        return false;
    QElapsedTimer clock;
    clock.start();
    while (!p.waitForFinished(1) && clock.elapsed() < 60000) {
        if (!matching(folder, pattern).isEmpty()) {
            p.kill();
            p.waitForFinished();
            return true;
        }
    }
    p.waitForFinished();
    return false;
}

// Kills runs until two were caught with their temporary file, trying a
// bounded number of times; the number caught.
int killRuns(const QStringList& args, const QString& folder, const QRegularExpression& pattern)
{
    int caught = 0;
    for (int attempt = 0; attempt < 30 && caught < 2; ++attempt)
        caught += killedWhileTempExists(args, folder, pattern) ? 1 : 0;
    return caught;
}

class Leftovers : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = new QTemporaryDir;
        // Large enough that copying it takes a moment.
        source = new QString(folder->filePath(s("Quittora.qtb")));
        const CliRun made = runCli({s("generate"), *source, s("--documents"), s("3000"), s("--customers"), s("300"),
                                    s("--articles"), s("300")});
        ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    }
    static void TearDownTestSuite()
    {
        delete source;
        delete folder;
    }
    static QString info(const QString& file) { return runCli({s("info"), file}).out; }

    static QTemporaryDir* folder;
    static QString* source;
    QTemporaryDir dir;
};
QTemporaryDir* Leftovers::folder = nullptr;
QString* Leftovers::source = nullptr;

} // namespace

TEST_F(Leftovers, AKilledBackupLeavesNothingAfterTheNextBackup)
{
    const QString usb = dir.filePath(s("usb"));
    ASSERT_TRUE(QDir().mkpath(usb));
    const QRegularExpression temp(s("^\\.Quittora\\.qtb\\.sicherung-"));
    const QStringList args{s("backup"), *source, usb};
    ASSERT_GT(killRuns(args, usb, temp), 0) << "no run was caught with its copy";
    ASSERT_FALSE(matching(usb, temp).isEmpty()) << "the killed runs left nothing to clear up";

    const CliRun again = runCli(args);
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(QDir(usb).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{s("Quittora.qtb")});
    EXPECT_EQ(info(usb + s("/Quittora.qtb")), info(*source));
}

TEST_F(Leftovers, AKilledRestoreLeavesNothingAfterTheNextRestore)
{
    const QString data = dir.filePath(s("daten"));
    ASSERT_TRUE(QDir().mkpath(data));
    const QString database = data + s("/Quittora.qtb");
    ASSERT_EQ(runCli({s("init"), database}).exitCode, 0);
    const QRegularExpression temp(s("^\\.Quittora\\.qtb\\.zurueck-"));
    const QStringList args{s("restore"), *source, database};
    ASSERT_GT(killRuns(args, data, temp), 0) << "no run was caught with its copy";
    ASSERT_FALSE(matching(data, temp).isEmpty());

    const CliRun again = runCli(args);
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_TRUE(matching(data, temp).isEmpty()) << matching(data, temp).join(s(", ")).toStdString();
    EXPECT_EQ(info(database), info(*source));
}

TEST_F(Leftovers, AKilledGenerateLeavesNothingAfterTheNextGenerate)
{
    const QString file = dir.filePath(s("gross.qtb"));
    const QRegularExpression temp(s("^gross\\.qtb\\."));
    const QStringList args{s("generate"), file, s("--documents"), s("20000")};
    ASSERT_GT(killRuns(args, dir.path(), temp), 0) << "no run was caught with its partial file";
    ASSERT_FALSE(matching(dir.path(), temp).isEmpty());
    ASSERT_FALSE(QFileInfo::exists(file)) << "a killed run never leaves a file under the final name";

    const CliRun again = runCli({s("generate"), file, s("--documents"), s("200")});
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{s("gross.qtb")});
    EXPECT_TRUE(info(file).startsWith(s("Rechnungen: 200\n"))) << info(file).toStdString();
}
