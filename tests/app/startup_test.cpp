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

TEST(StartState, FirstStartTakesTheDefaultsAndAStoredStateIsKept)
{
    TestContext t;
    t.folders.setDocuments(QDir(t.folders.root()).filePath(QStringLiteral("Dokumente")));
    startup::loadProgramState(t.ctx);
    const QString expected = QDir::toNativeSeparators(
        QDir(t.folders.root()).filePath(QStringLiteral("Dokumente/Quittora pro - Daten/Quittora.qtb")));
    EXPECT_EQ(t.state.databasePath, expected);
    EXPECT_EQ(t.settings.value(QStringLiteral("Datenpfad")), expected); // written back at once
    EXPECT_EQ(t.state.backgroundColour, QStringLiteral("12566463"));
    EXPECT_EQ(t.state.tempFolder, t.folders.privateTemp());
    // The first start creates the database from the template.
    Database db;
    QString message;
    ASSERT_TRUE(startup::openStartDatabase(t.ctx, db, &message)) << message.toStdString();
    const auto counts = db.counts();
    ASSERT_TRUE(counts.has_value());
    EXPECT_EQ((QList<qint64>{counts->kunden, counts->artikel, counts->rechnungen}), (QList<qint64>{1, 1, 0}));

    TestContext stored(QLatin1Char('.'));
    stored.settings.setValue(QStringLiteral("Datenpfad"), QStringLiteral("/daten/Firma.qtb"));
    stored.settings.setValue(QStringLiteral("Sicherung"), QStringLiteral("/sicherung/"));
    stored.settings.setValue(QStringLiteral("Hintergrundfarbe"), QStringLiteral("16777215"));
    stored.settings.setValue(QStringLiteral("Rechnungsbasis"), QStringLiteral("1"));
    stored.state.decimalSeparator = QLatin1Char(',');
    startup::loadProgramState(stored.ctx);
    EXPECT_EQ(stored.state.databasePath, QStringLiteral("/daten/Firma.qtb"));
    EXPECT_EQ(stored.state.backupPath, QStringLiteral("/sicherung/"));
    EXPECT_EQ(stored.state.backgroundColour, QStringLiteral("16777215"));
    EXPECT_EQ(stored.state.decimalSeparator, QLatin1Char('.')); // the locale's
    EXPECT_EQ(stored.state.Rechnungsbasis, 1);
}

TEST(StartState, MissingFoldersFallBackAndAChosenFileThatHasGoneIsNeverCreated)
{
    TestContext t;
    t.folders.setDocuments(QString());
    t.folders.setPrivateTemp(QString());
    startup::loadProgramState(t.ctx);
    EXPECT_EQ(t.state.databasePath,
              QDir::toNativeSeparators(QDir::home().filePath(QStringLiteral("Quittora pro - Daten/Quittora.qtb"))));
    EXPECT_EQ(t.state.tempFolder,
              QStringLiteral("Kein temporäres Verzeichnis für die Erstellung der Faxvorlage vorhanden."));

    TestContext gone;
    const QString path = QDir(gone.folders.root()).filePath(QStringLiteral("USB/Quittora.qtb"));
    gone.settings.setValue(QStringLiteral("Datenpfad"), path);
    startup::loadProgramState(gone.ctx);
    Database db;
    QString message;
    EXPECT_FALSE(startup::openStartDatabase(gone.ctx, db, &message));
    EXPECT_FALSE(message.isEmpty());
    EXPECT_FALSE(db.isOpen());
    EXPECT_FALSE(QFile::exists(path));
}

// "öffnen": only a Quittora file named .qtb or .QTB replaces the binding.
TEST(PfadSuchen, RefusesWhatIsNoQuittoraFileAndRebindsToOneWithItsCount)
{
    TestContext t;
    test::TempDatabase current;
    test::TempDatabase other;
    t.state.databasePath = current.path();
    Database db;
    QString message;
    ASSERT_TRUE(db.open(current.path(), &message)) << message.toStdString();
    for (const char* name : {"a.Qtb", "a.qTB", "a.mdb"})
        EXPECT_FALSE(startup::hasDatabaseExtension(QStringLiteral("/a/") + QLatin1String(name))) << name;

    const QString wrong = QDir(other.folder()).filePath(QStringLiteral("Quittora.Qtb"));
    QFile::copy(other.path(), wrong);
    const QString foreign = QDir(other.folder()).filePath(QStringLiteral("fremd.qtb"));
    {
        auto con = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign-maker"));
        con.setDatabaseName(foreign);
        ASSERT_TRUE(con.open());
        QSqlQuery(con).exec(QStringLiteral("CREATE TABLE Rechnungen (ID INTEGER PRIMARY KEY, a7 TEXT)"));
        con.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("foreign-maker"));
    for (const std::optional<QString>& choice : {std::optional<QString>(), std::optional<QString>(wrong),
                                                 std::optional<QString>(foreign)}) {
        const int shown = t.prompts.count();
        t.prompts.answerOpenFile(choice);
        EXPECT_FALSE(startup::Pfad_suchen(t.ctx, db));
        EXPECT_EQ(t.prompts.count(), shown + (choice ? 2 : 1)); // the dialog, and the refusal
        if (choice)
            EXPECT_EQ(t.prompts.last().icon, Prompts::Icon::Critical);
        EXPECT_TRUE(db.isOpen());
        EXPECT_EQ(db.path(), current.path());
        EXPECT_EQ(t.state.databasePath, current.path());
        EXPECT_FALSE(t.settings.contains(QStringLiteral("Datenpfad")));
    }
    EXPECT_EQ(t.prompts.shown(FakePrompts::Kind::Message).at(0).text,
              QDir::toNativeSeparators(wrong) + QStringLiteral("   ist die falsche Datei, bitte suchen Sie  Quittora.qtb"));
    EXPECT_EQ(t.prompts.shown(FakePrompts::Kind::Message).at(0).title, QStringLiteral("Fehler"));

    other.addDocument(QStringLiteral("1000"), QStringLiteral("01.03.2024"), QStringLiteral("Rechnung"));
    other.addDocument(QString(), QStringLiteral("02.03.2024"), QStringLiteral("Angebot"));
    const QString upper = QDir::toNativeSeparators(QDir(other.folder()).filePath(QStringLiteral("FIRMA.QTB")));
    other.db().close();
    ASSERT_TRUE(QFile::rename(other.path(), upper));
    t.prompts.answerOpenFile(upper);
    EXPECT_TRUE(startup::Pfad_suchen(t.ctx, db));
    EXPECT_EQ(db.path(), upper);
    EXPECT_EQ(t.state.databasePath, upper);
    EXPECT_EQ(t.prompts.last().text, QStringLiteral("2 Rechnungen"));
    EXPECT_EQ(t.settings.value(QStringLiteral("Datenpfad")), upper);
}
