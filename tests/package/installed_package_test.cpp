#include "app/Application.h"
#include "support/CliRunner.h"
#include "support/TestContext.h"
#include "tools/PostalCodeLookup.h"
#include "tools/PostalCodes.h"
#include "workspace/widgets/RechnungWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

using namespace quittora;

// The package unpacked by dpkg-deb -x into QUITTORA_PACKAGE_ROOT works as an
// installation: its programs run from usr/bin and find what they read in
// usr/share/quittora.

namespace {

QString root() { return qEnvironmentVariable("QUITTORA_PACKAGE_ROOT"); }
QString installedBin() { return root() + QStringLiteral("/usr/bin"); }
QString installedShare() { return root() + QStringLiteral("/usr/share/quittora"); }

class InstalledPackage : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(root().isEmpty()) << "QUITTORA_PACKAGE_ROOT fehlt";
        ASSERT_TRUE(QFile::exists(installedBin() + QStringLiteral("/quittora")));
        ASSERT_TRUE(home.isValid());
    }
    // A program of the package, on a fresh HOME of its own, offscreen; the
    // window program ends as soon as its main window is ready.
    test::CliRun run(const char* program, const QStringList& args) const
    {
        QProcessEnvironment env;
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QUITTORA_UPDATE_URL"), QString());
        env.insert(QStringLiteral("QUITTORA_EXIT_WHEN_READY"), QStringLiteral("1"));
        test::CliRun r = test::runProgram(installedBin() + QLatin1Char('/') + QString::fromLatin1(program), args, env,
                                          {QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral("XDG_DATA_HOME"),
                                           QStringLiteral("XDG_CACHE_HOME"), QStringLiteral("XDG_RUNTIME_DIR")});
        r.out += r.err;
        return r;
    }
    QTemporaryDir home;
};

// Both programs run on a fresh home: the command line makes and counts a
// database, the window program starts until ready, first on the database it
// creates, then on one named on its command line, stored as "Datenpfad".
TEST_F(InstalledPackage, TheProgramsRunOnAFreshHome)
{
    const QString file = home.filePath(QStringLiteral("Firma.qtb"));
    const test::CliRun init = run("quittora-cli", {QStringLiteral("init"), file});
    ASSERT_EQ(init.exitCode, 0) << init.out.toStdString();
    const test::CliRun info = run("quittora-cli", {QStringLiteral("info"), file});
    ASSERT_EQ(info.exitCode, 0) << info.out.toStdString();
    for (const char* line : {"Rechnungen: 0", "Positionen: 0", "Kunden: 1", "Artikel: 1"})
        EXPECT_TRUE(info.out.contains(QString::fromLatin1(line))) << info.out.toStdString();

    const test::CliRun first = run("quittora", {});
    ASSERT_EQ(first.exitCode, 0) << first.out.toStdString();
    EXPECT_TRUE(first.out.contains(QStringLiteral("QUITTORA_READY ms="))) << first.out.toStdString();
    QStringList created;
    for (QDirIterator it(home.path(), {QStringLiteral("Quittora.qtb")}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        created << it.next();
    ASSERT_EQ(created.size(), 1) << first.out.toStdString();
    const QString other = home.filePath(QStringLiteral("Zweite Firma.qtb"));
    ASSERT_TRUE(QFile::copy(created.first(), other));
    const test::CliRun second = run("quittora", {other});
    ASSERT_EQ(second.exitCode, 0) << second.out.toStdString();
    const QSettings conf(home.filePath(QStringLiteral(".config/Quittora pro/Quittora pro.conf")), QSettings::IniFormat);
    EXPECT_EQ(conf.value(QStringLiteral("Startup/Datenpfad")).toString(), other);
}

// The installed program's folder is usr/bin; the postal codes and the manual
// it opens lie in usr/share/quittora.
TEST_F(InstalledPackage, PostalCodesAndTheManualAreFoundInTheInstalledShare)
{
    const QString path = plz::databasePath(installedBin());
    EXPECT_EQ(path, installedShare() + QStringLiteral("/plz.mdb"));
    plz::PostalCodeLookup lookup;
    ASSERT_TRUE(lookup.open(path)) << lookup.problem().toStdString();
    ASSERT_TRUE(lookup.search(QStringLiteral("80331")));
    EXPECT_EQ(plz::takeOverText(lookup.current().postleitzahl, lookup.current().ort), QStringLiteral("80331 München"));

    TestContext t;
    t.folders.setProgramFolder(installedBin());
    Application app(t.ctx);
    RechnungWindow* window = app.start();
    ASSERT_NE(window, nullptr);
    window->findChild<QAction*>(QStringLiteral("mnuAnleitung"))->trigger();
    EXPECT_EQ(t.prompts.count(), 0);
    const QString pdf = installedShare() + QStringLiteral("/Anleitung.pdf");
    EXPECT_EQ(t.shell.opened(), QStringList{pdf});
    QFile file(pdf);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly) && file.read(5) == "%PDF-");
}

} // namespace
