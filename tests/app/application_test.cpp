// The program as started: the state and database it starts on, another
// database opened, the ready report, the update question and the menu items
// the application wires (colour, manual, info, backup and restore).

#include "app/Application.h"
#include "app/ReadyReport.h"
#include "app/Startup.h"
#include "data/Database.h"
#include "data/Recordset.h"
#include "safety/Backup.h"
#include "safety/widgets/BackupWindow.h"
#include "support/ModalHelper.h"
#include "support/SampleDocuments.h"
#include "support/TestContext.h"
#include "tools/UpdateCheck.h"
#include "workspace/DataSources.h"
#include "workspace/DocumentNavigator.h"
#include "workspace/widgets/RechnungWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QSqlDatabase>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <vector>

using namespace quittora;

namespace {

QString u(const char* s)
{
    return QString::fromUtf8(s);
}

// No update check leaves this machine during the tests.
const bool kNoUpdateServer = qputenv(update::kUrlVariable, QByteArray());

class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(kNoUpdateServer);
        window = app.start();
        ASSERT_NE(window, nullptr);
    }
    QAction* action(const char* name) const { return window->findChild<QAction*>(QString::fromLatin1(name)); }
    QString label(const char* name) const { return window->findChild<QLabel*>(QString::fromLatin1(name))->text(); }
    bool idle() const
    {
        return !window->navigator().loadTimer()->isActive() && !window->navigator().syncTimer()->isActive();
    }
    QString firstCustomer()
    {
        QSqlQuery q(app.database().connection());
        return q.exec(u("SELECT a2 FROM Kunden ORDER BY ID")) && q.next() ? q.value(0).toString() : QString();
    }

    TestContext t;
    Application app{t.ctx};
    RechnungWindow* window = nullptr;
};

TEST_F(ApplicationTest, StartsOnTheDefaultDatabaseOpensAnotherOneAndReportsReadyOnce)
{
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(app.database().isOpen());
    EXPECT_EQ(window->sources().documents().recordCount(), 0); // the template only
    EXPECT_EQ(label("Label25"), u("1 Kunden"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return idle(); }, 2000));
    int calls = 0;
    ready::whenReady(*window, [&] { ++calls; }); // nothing to load: ready at once
    EXPECT_TRUE(QTest::qWaitFor([&] { return calls == 1; }, 2000));

    test::TempDatabase other;
    test::SampleDocuments sample(other);
    t.prompts.answerOpenFile(other.path());
    action("mnuOeffnen")->trigger();
    EXPECT_EQ(app.database().path(), other.path());
    EXPECT_EQ(label("Label25"), u("4 Kunden"));
    calls = 0;
    qint64 currentThen = -1;
    QString lineOwnerThen;
    bool idleThen = false;
    ready::whenReady(*window, [&] {
        ++calls;
        currentThen = window->sources().documents().currentId();
        lineOwnerThen = window->sources().lines().text(u("a1"));
        idleThen = idle();
    });
    EXPECT_EQ(calls, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls > 0; }, 2000));
    EXPECT_EQ(currentThen, sample.doc4);
    EXPECT_EQ(lineOwnerThen, QString::number(sample.doc4)); // its lines were read for it
    EXPECT_TRUE(idleThen);
    window->navigator().previous(); // the user's paging reports nothing more
    QTest::qWait(50);
    EXPECT_EQ(calls, 1);
}

TEST(ReadyReport, ReadsItsOwnMemoryAndWritesOneLine)
{
    const qint64 now = ready::statusKib("VmRSS");
    std::vector<char> block(64 * 1024 * 1024, 1); // taken and touched: shows in the peak
    EXPECT_GE(ready::peakResidentKib(), now + 60 * 1024 + block[12345] - 1);
    EXPECT_EQ(ready::statusKib("KeinSolchesFeld"), -1);
    EXPECT_EQ(ready::reportLine(523, 84512, 80000, 50000),
              u("QUITTORA_READY ms=523 peak_kib=84512 rss_kib=80000 documents=50000"));
}

// A newer version at start: the question comes before any window; Yes opens
// the download page and ends the program, No starts as usual.
TEST(UpdateAtStart, NewerVersionEndsTheProgramOnlyAfterYes)
{
    QTcpServer server;
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server] {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                if (!socket->readAll().contains("\r\n\r\n"))
                    return;
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 12\r\n"
                              "Connection: close\r\n\r\nVersion 3.09");
                socket->disconnectFromHost();
            });
        }
    });
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    qputenv(update::kUrlVariable, u("http://127.0.0.1:%1/version.txt").arg(server.serverPort()).toUtf8());
    for (auto answer : {Prompts::Yes, Prompts::No}) {
        TestContext t;
        Application app(t.ctx);
        t.prompts.answerMessage(answer);
        RechnungWindow* window = app.start();
        EXPECT_EQ(t.prompts.last().title, u("eine neue Version steht zur Verfügung"));
        EXPECT_EQ(window && window->isVisible(), answer == Prompts::No);
        EXPECT_EQ(app.database().isOpen(), answer == Prompts::No);
        EXPECT_EQ(t.shell.opened(), answer == Prompts::Yes ? QStringList{update::downloadPageUrl().toString()} : QStringList());
    }
    qputenv(update::kUrlVariable, QByteArray());
}

// The backup window works on the closed database; back from it the main
// window goes on with the file, after a restore with the restored data.
TEST_F(ApplicationTest, BackupAndRestoreCloseTheDatabaseAndTheWindowGoesOnWithIt)
{
    QTemporaryDir usb;
    t.state.backupPath = usb.filePath(u("Quittora.qtb"));
    Recordset& customers = window->sources().customers();
    const QString saved = u("Vor der Sicherung");
    customers.setValue(u("a2"), saved); // not yet stored: must reach the backup
    EXPECT_TRUE(safety::isMarkedInUse(t.state.databasePath));
    auto inBackupWindow = [&](const char* button) {
        bool closedMeanwhile = false;
        whenModalOpens([&, button](QWidget* w) {
            EXPECT_EQ(w->objectName(), u("Datensicherung"));
            closedMeanwhile = !app.database().isOpen() && !safety::isMarkedInUse(t.state.databasePath)
                              && !window->isVisible();
            if (auto* backup = qobject_cast<BackupWindow*>(w)) {
                backup->findChild<QPushButton*>(QLatin1String(button))->click();
                backup->backToMain(); // closing it would end the program
            } else {
                w->close();
            }
        });
        action("mnuDatensicherung")->trigger();
        EXPECT_TRUE(closedMeanwhile);
        EXPECT_TRUE(app.database().isOpen());
        EXPECT_TRUE(window->isVisible());
        EXPECT_TRUE(safety::isMarkedInUse(t.state.databasePath));
    };
    t.prompts.answerMessage(Prompts::Yes); // "Daten jetzt im Pfad ... sichern ?"
    inBackupWindow("Command3");
    ASSERT_TRUE(QFileInfo::exists(t.state.backupPath));
    EXPECT_EQ(firstCustomer(), saved);
    EXPECT_EQ(t.prompts.count(), 1) << qPrintable(t.prompts.messageTexts().join(QLatin1Char('|')));

    QSqlQuery(app.database().connection()).exec(u("UPDATE Kunden SET a2 = 'Nach der Sicherung'"));
    customers.refresh();
    t.prompts.answerMessage(Prompts::Yes); // "Die Datei ... überschreiben mit ..."
    inBackupWindow("Command4");
    EXPECT_EQ(firstCustomer(), saved);
    EXPECT_EQ(customers.text(u("a2")), saved);
    EXPECT_EQ(t.prompts.count(), 2) << qPrintable(t.prompts.messageTexts().join(QLatin1Char('|')));
    EXPECT_EQ(QFileInfo(t.state.databasePath).dir().entryList({u("* vor Zurückschreiben *")}).size(), 1);
}

TEST(StartState, FirstStartTakesTheDefaultsAndAStoredStateIsKept)
{
    TestContext t;
    t.folders.setDocuments(QDir(t.folders.root()).filePath(u("Dokumente")));
    startup::loadProgramState(t.ctx);
    const QString expected = QDir::toNativeSeparators(
        QDir(t.folders.root()).filePath(u("Dokumente/Quittora pro - Daten/Quittora.qtb")));
    EXPECT_EQ(t.state.databasePath, expected);
    EXPECT_EQ(t.settings.value(u("Datenpfad")), expected); // written back at once
    EXPECT_EQ(t.state.backgroundColour, u("12566463"));
    EXPECT_EQ(t.state.tempFolder, t.folders.privateTemp());
    // The first start creates the database from the template.
    Database db;
    QString message;
    ASSERT_TRUE(startup::openStartDatabase(t.ctx, db, &message)) << message.toStdString();
    const auto counts = db.counts();
    EXPECT_TRUE(counts && counts->kunden == 1 && counts->artikel == 1 && counts->rechnungen == 0);

    TestContext stored(QLatin1Char('.'));
    const QStringList keys{u("Datenpfad"), u("Sicherung"), u("Hintergrundfarbe"), u("Rechnungsbasis")};
    const QStringList values{u("/daten/Firma.qtb"), u("/sicherung/"), u("16777215"), u("1")};
    for (int i = 0; i < keys.size(); ++i)
        stored.settings.setValue(keys[i], values[i]);
    stored.state.decimalSeparator = QLatin1Char(',');
    startup::loadProgramState(stored.ctx);
    EXPECT_EQ(QStringList({stored.state.databasePath, stored.state.backupPath, stored.state.backgroundColour,
                           QString::number(stored.state.Rechnungsbasis)}),
              values);
    EXPECT_EQ(stored.state.decimalSeparator, QLatin1Char('.')); // the locale's
}

TEST(StartState, MissingFoldersFallBackAndAChosenFileThatHasGoneIsNeverCreated)
{
    TestContext t;
    t.folders.setDocuments(QString());
    t.folders.setPrivateTemp(QString());
    startup::loadProgramState(t.ctx);
    EXPECT_EQ(t.state.databasePath,
              QDir::toNativeSeparators(QDir::home().filePath(u("Quittora pro - Daten/Quittora.qtb"))));
    EXPECT_EQ(t.state.tempFolder,
              u("Kein temporäres Verzeichnis für die Erstellung der Faxvorlage vorhanden."));

    TestContext gone;
    const QString path = QDir(gone.folders.root()).filePath(u("USB/Quittora.qtb"));
    gone.settings.setValue(u("Datenpfad"), path);
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
        EXPECT_FALSE(startup::hasDatabaseExtension(u("/a/") + QLatin1String(name))) << name;

    const QString wrong = QDir(other.folder()).filePath(u("Quittora.Qtb"));
    QFile::copy(other.path(), wrong);
    const QString foreign = QDir(other.folder()).filePath(u("fremd.qtb"));
    {
        auto con = QSqlDatabase::addDatabase(u("QSQLITE"), u("foreign-maker"));
        con.setDatabaseName(foreign);
        ASSERT_TRUE(con.open());
        QSqlQuery(con).exec(u("CREATE TABLE Rechnungen (ID INTEGER PRIMARY KEY, a7 TEXT)"));
        con.close();
    }
    QSqlDatabase::removeDatabase(u("foreign-maker"));
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
        EXPECT_FALSE(t.settings.contains(u("Datenpfad")));
    }
    EXPECT_EQ(t.prompts.shown(FakePrompts::Kind::Message).at(0).text,
              QDir::toNativeSeparators(wrong) + u("   ist die falsche Datei, bitte suchen Sie  Quittora.qtb"));
    EXPECT_EQ(t.prompts.shown(FakePrompts::Kind::Message).at(0).title, u("Fehler"));
    // Files that are no database at all: each refused with a word, none touched.
    const QString text = QDir(other.folder()).filePath(u("notiz.qtb"));
    const QString empty = QDir(other.folder()).filePath(u("leer.qtb"));
    for (const QString& path : {text, empty}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(path == text ? "keine Datenbank" : "") >= 0);
    }
    ASSERT_TRUE(QDir(other.folder()).mkdir(u("Ordner.qtb")));
    for (const QString& path : {text, empty, QDir(other.folder()).filePath(u("Ordner.qtb")),
                                QDir(other.folder()).filePath(u("fehlt.qtb")), QDir(other.folder()).filePath(u("a.txt")),
                                u("   ")}) {
        const int shown = t.prompts.count();
        t.prompts.answerOpenFile(path);
        EXPECT_FALSE(startup::Pfad_suchen(t.ctx, db)) << path.toStdString();
        EXPECT_GE(t.prompts.count(), shown + 2) << "refused without a word: " << path.toStdString();
        EXPECT_EQ(db.path(), current.path());
    }
    EXPECT_EQ(test::TempDatabase::readFile(text), QByteArray("keine Datenbank"));
    EXPECT_EQ(QFileInfo(empty).size(), 0);

    other.addDocument(u("1000"), u("01.03.2024"), u("Rechnung"));
    other.addDocument(QString(), u("02.03.2024"), u("Angebot"));
    const QString upper = QDir::toNativeSeparators(QDir(other.folder()).filePath(u("FIRMA.QTB")));
    other.db().close();
    ASSERT_TRUE(QFile::rename(other.path(), upper));
    t.prompts.answerOpenFile(upper);
    EXPECT_TRUE(startup::Pfad_suchen(t.ctx, db));
    EXPECT_EQ(db.path(), upper);
    EXPECT_EQ(t.state.databasePath, upper);
    EXPECT_EQ(t.prompts.last().text, u("2 Rechnungen"));
    EXPECT_EQ(t.settings.value(u("Datenpfad")), upper);
}

} // namespace
