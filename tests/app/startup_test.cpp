#include "app/Startup.h"
#include "data/Database.h"
#include "support/TempDatabase.h"
#include "support/TestContext.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

using namespace quittora;

namespace {

QString makeForeignSqliteFile(const QString& path)
{
    {
        auto con = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign-maker"));
        con.setDatabaseName(path);
        con.open();
        QSqlQuery(con).exec(QStringLiteral("CREATE TABLE Rechnungen (ID INTEGER PRIMARY KEY, a7 TEXT)"));
        con.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("foreign-maker"));
    return path;
}

} // namespace

TEST(StartState, FirstStartUsesTheDefaultPathAndWritesItBackAtOnce)
{
    TestContext t;
    t.folders.setDocuments(QDir(t.folders.root()).filePath(QStringLiteral("Dokumente")));
    startup::loadProgramState(t.ctx);

    const QString expected = QDir::toNativeSeparators(
        QDir(t.folders.root()).filePath(QStringLiteral("Dokumente/Quittora pro - Daten/Quittora.qtb")));
    EXPECT_EQ(t.state.databasePath, expected);
    EXPECT_EQ(t.settings.value(QStringLiteral("Datenpfad")), expected);
    EXPECT_EQ(t.state.backgroundColour, QStringLiteral("12566463"));
    EXPECT_EQ(t.state.tempFolder, t.folders.privateTemp());
}

TEST(StartState, KeepsTheStoredSettingsAndTheLocaleSeparator)
{
    TestContext t(QLatin1Char('.'));
    t.settings.setValue(QStringLiteral("Datenpfad"), QStringLiteral("/daten/Firma.qtb"));
    t.settings.setValue(QStringLiteral("Sicherung"), QStringLiteral("/sicherung/"));
    t.settings.setValue(QStringLiteral("Hintergrundfarbe"), QStringLiteral("16777215"));
    t.settings.setValue(QStringLiteral("Rechnungsbasis"), QStringLiteral("1"));
    t.state.decimalSeparator = QLatin1Char(',');
    startup::loadProgramState(t.ctx);

    EXPECT_EQ(t.state.databasePath, QStringLiteral("/daten/Firma.qtb"));
    EXPECT_EQ(t.settings.value(QStringLiteral("Datenpfad")), QStringLiteral("/daten/Firma.qtb"));
    EXPECT_EQ(t.state.backupPath, QStringLiteral("/sicherung/"));
    EXPECT_EQ(t.state.backgroundColour, QStringLiteral("16777215"));
    EXPECT_EQ(t.state.decimalSeparator, QLatin1Char('.'));
    EXPECT_EQ(t.state.Rechnungsbasis, 1);
}

TEST(StartState, FallsBackWhenFoldersAreMissing)
{
    TestContext t;
    t.folders.setDocuments(QString());
    t.folders.setPrivateTemp(QString());
    startup::loadProgramState(t.ctx);

    EXPECT_EQ(t.state.databasePath,
              QDir::toNativeSeparators(QDir::home().filePath(QStringLiteral("Quittora pro - Daten/Quittora.qtb"))));
    EXPECT_EQ(t.state.tempFolder,
              QStringLiteral("Kein temporäres Verzeichnis für die Erstellung der Faxvorlage vorhanden."));
}

TEST(StartDatabase, CreatesTheDefaultDatabaseFromTheTemplate)
{
    TestContext t;
    t.folders.setDocuments(QDir(t.folders.root()).filePath(QStringLiteral("Dokumente")));
    startup::loadProgramState(t.ctx);
    ASSERT_FALSE(QFile::exists(t.state.databasePath));

    Database db;
    QString message;
    ASSERT_TRUE(startup::openStartDatabase(t.ctx, db, &message)) << message.toStdString();
    EXPECT_TRUE(db.isOpen());
    const auto counts = db.counts();
    ASSERT_TRUE(counts.has_value());
    EXPECT_EQ(counts->kunden, 1);
    EXPECT_EQ(counts->artikel, 1);
    EXPECT_EQ(counts->rechnungen, 0);
}

TEST(StartDatabase, NeverCreatesAChosenFileThatHasGone)
{
    TestContext t;
    const QString gone = QDir(t.folders.root()).filePath(QStringLiteral("USB/Quittora.qtb"));
    t.settings.setValue(QStringLiteral("Datenpfad"), gone);
    startup::loadProgramState(t.ctx);

    Database db;
    QString message;
    EXPECT_FALSE(startup::openStartDatabase(t.ctx, db, &message));
    EXPECT_FALSE(message.isEmpty());
    EXPECT_FALSE(db.isOpen());
    EXPECT_FALSE(QFile::exists(gone));
}

TEST(DatabaseExtension, OnlyLowerOrUpperCaseQtbCounts)
{
    EXPECT_TRUE(startup::hasDatabaseExtension(QStringLiteral("/a/Quittora.qtb")));
    EXPECT_TRUE(startup::hasDatabaseExtension(QStringLiteral("/a/QUITTORA.QTB")));
    EXPECT_FALSE(startup::hasDatabaseExtension(QStringLiteral("/a/Quittora.Qtb")));
    EXPECT_FALSE(startup::hasDatabaseExtension(QStringLiteral("/a/Quittora.qTB")));
    EXPECT_FALSE(startup::hasDatabaseExtension(QStringLiteral("/a/Quittora.mdb")));
}

class PfadSuchen : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(current.isValid());
        ASSERT_TRUE(other.isValid());
        t.state.databasePath = current.path();
        QString message;
        ASSERT_TRUE(db.open(current.path(), &message));
    }
    TestContext t;
    test::TempDatabase current;
    test::TempDatabase other;
    Database db;
};

TEST_F(PfadSuchen, CancelKeepsTheOldBinding)
{
    t.prompts.answerOpenFile(std::nullopt);
    EXPECT_FALSE(startup::Pfad_suchen(t.ctx, db));
    EXPECT_EQ(db.path(), current.path());
    EXPECT_EQ(t.state.databasePath, current.path());
    EXPECT_EQ(t.prompts.shown(FakePrompts::Kind::Message).size(), 0);
    EXPECT_FALSE(t.settings.contains(QStringLiteral("Datenpfad")));
}

TEST_F(PfadSuchen, WrongExtensionIsRefusedWithTheMessage)
{
    const QString wrong = QDir(other.folder()).filePath(QStringLiteral("Quittora.Qtb"));
    QFile::copy(other.path(), wrong);
    t.prompts.answerOpenFile(wrong);
    EXPECT_FALSE(startup::Pfad_suchen(t.ctx, db));
    const auto shown = t.prompts.last();
    EXPECT_EQ(shown.title, QStringLiteral("Fehler"));
    EXPECT_EQ(shown.icon, Prompts::Icon::Critical);
    EXPECT_EQ(shown.text, QDir::toNativeSeparators(wrong) + QStringLiteral("   ist die falsche Datei, bitte suchen Sie  Quittora.qtb"));
    EXPECT_EQ(db.path(), current.path());
}

TEST_F(PfadSuchen, ForeignFileIsRefusedAndTheOldBindingStays)
{
    const QString foreign = makeForeignSqliteFile(QDir(other.folder()).filePath(QStringLiteral("fremd.qtb")));
    t.prompts.answerOpenFile(foreign);
    EXPECT_FALSE(startup::Pfad_suchen(t.ctx, db));
    EXPECT_EQ(t.prompts.last().icon, Prompts::Icon::Critical);
    EXPECT_TRUE(db.isOpen());
    EXPECT_EQ(db.path(), current.path());
    EXPECT_EQ(t.state.databasePath, current.path());
    EXPECT_FALSE(t.settings.contains(QStringLiteral("Datenpfad")));
}

TEST_F(PfadSuchen, UpperCaseExtensionIsAcceptedAndRebindsWithTheCount)
{
    other.addDocument(QStringLiteral("1000"), QStringLiteral("01.03.2024"), QStringLiteral("Rechnung"));
    other.addDocument(QString(), QStringLiteral("02.03.2024"), QStringLiteral("Angebot"));
    const QString upper = QDir(other.folder()).filePath(QStringLiteral("FIRMA.QTB"));
    other.db().close();
    ASSERT_TRUE(QFile::rename(other.path(), upper));

    t.prompts.answerOpenFile(upper);
    EXPECT_TRUE(startup::Pfad_suchen(t.ctx, db));
    EXPECT_EQ(db.path(), QDir::toNativeSeparators(upper));
    EXPECT_EQ(t.state.databasePath, QDir::toNativeSeparators(upper));
    EXPECT_EQ(t.prompts.last().text, QStringLiteral("2 Rechnungen"));
    EXPECT_EQ(t.settings.value(QStringLiteral("Datenpfad")), QDir::toNativeSeparators(upper));
}
