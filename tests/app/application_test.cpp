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
#include "support/TestDatabaseFile.h"
#include "tools/UpdateCheck.h"
#include "workspace/DataSources.h"
#include "workspace/DocumentNavigator.h"
#include "workspace/widgets/RechnungWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

using namespace quittora;
using namespace quittora::update;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

// No update check leaves this machine during the tests.
const bool kNoUpdateServer = qputenv(update::kUrlVariable, QByteArray());
const QString kInstalled = QStringLiteral("Version 3.08");

// A web server on 127.0.0.1 that answers every request with one fixed reply.
class VersionServer {
public:
    explicit VersionServer(QByteArray body, int status = 200)
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [=, this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [=, this] {
                    m_request += socket->readAll();
                    if (!m_request.contains("\r\n\r\n"))
                        return;
                    ++m_requests;
                    socket->write("HTTP/1.1 " + QByteArray::number(status) + (status == 200 ? " OK" : " Not Found")
                                  + "\r\nContent-Type: text/plain\r\nContent-Length: " + QByteArray::number(body.size())
                                  + "\r\nConnection: close\r\n\r\n" + body);
                    socket->disconnectFromHost();
                });
            }
        });
        m_server.listen(QHostAddress::LocalHost);
    }
    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/version.txt").arg(m_server.serverPort())); }
    int requests() const { return m_requests; }

private:
    QTcpServer m_server;
    QByteArray m_request;
    int m_requests = 0;
};

// Sets the update address for one test; afterwards the check is off again.
struct UrlVariable {
    explicit UrlVariable(const QByteArray& value) { qputenv(kUrlVariable, value); }
    ~UrlVariable() { qputenv(kUrlVariable, QByteArray()); }
};

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
    EXPECT_TRUE(window->isVisible() && app.database().isOpen() && window->sources().documents().recordCount() == 0); // the template only
    EXPECT_EQ(label("Label25"), u("1 Kunden"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return idle(); }, 2000));
    int calls = 0;
    ready::whenReady(*window, [&] { ++calls; }); // nothing to load: ready at once
    EXPECT_TRUE(QTest::qWaitFor([&] { return calls == 1; }, 2000));

    test::TempDatabase other;
    test::SampleDocuments sample(other);
    t.prompts.answerOpenFile(other.path());
    action("mnuOeffnen")->trigger();
    EXPECT_EQ(app.database().path() + label("Label25"), other.path() + u("4 Kunden"));
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
    EXPECT_TRUE(currentThen == sample.doc4 && lineOwnerThen == QString::number(sample.doc4) && idleThen) << "its lines were read for it";
    window->navigator().previous(); // the user's paging reports nothing more
    ASSERT_TRUE(QTest::qWaitFor([&] { return idle(); }, 2000));
    EXPECT_EQ(calls, 1);
}

// A newer version at start: the question comes before any window; Yes opens
// the download page and ends the program, No starts as usual.
TEST(UpdateAtStart, NewerVersionEndsTheProgramOnlyAfterYes)
{
    VersionServer server("Version 3.09");
    UrlVariable url(server.url().toEncoded());
    for (auto answer : {Prompts::Yes, Prompts::No}) {
        TestContext t;
        Application app(t.ctx);
        t.prompts.answerMessage(answer);
        RechnungWindow* window = app.start();
        EXPECT_EQ(t.state.newestVersion, u("Version 3.09")); // the question's text: UpdateCheck below
        EXPECT_TRUE((window && window->isVisible()) == (answer == Prompts::No) && app.database().isOpen() == (answer == Prompts::No));
        EXPECT_EQ(t.shell.opened(), answer == Prompts::Yes ? QStringList{downloadPageUrl().toString()} : QStringList());
    }
    EXPECT_EQ(server.requests(), 2);
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
        EXPECT_TRUE(app.database().isOpen() && window->isVisible() && safety::isMarkedInUse(t.state.databasePath));
    };
    t.prompts.answerMessage(Prompts::Yes); // "Daten jetzt im Pfad ... sichern ?"
    inBackupWindow("Command3");
    ASSERT_TRUE(QFileInfo::exists(t.state.backupPath));
    EXPECT_TRUE(firstCustomer() == saved && t.prompts.count() == 1) << qPrintable(t.prompts.messageTexts().join(QLatin1Char('|')));

    QSqlQuery(app.database().connection()).exec(u("UPDATE Kunden SET a2 = 'Nach der Sicherung'"));
    customers.refresh();
    t.prompts.answerMessage(Prompts::Yes); // "Die Datei ... überschreiben mit ..."
    inBackupWindow("Command4");
    EXPECT_TRUE(firstCustomer() == saved && customers.text(u("a2")) == saved && t.prompts.count() == 2)
        << qPrintable(t.prompts.messageTexts().join(QLatin1Char('|')));
    EXPECT_EQ(QFileInfo(t.state.databasePath).dir().entryList({u("* vor Zurückschreiben *")}).size(), 1);
}

TEST(StartState, FirstStartTakesTheDefaultsAndAStoredStateIsKept)
{
    TestContext t;
    t.folders.setDocuments(QDir(t.folders.root()).filePath(u("Dokumente")));
    startup::loadProgramState(t.ctx);
    const QString expected = QDir::toNativeSeparators(
        QDir(t.folders.root()).filePath(u("Dokumente/Quittora pro - Daten/Quittora.qtb")));
    EXPECT_EQ(QStringList({t.state.databasePath, t.settings.value(u("Datenpfad")), t.state.backgroundColour, t.state.tempFolder}),
              QStringList({expected, expected, u("12566463"), t.folders.privateTemp()})); // the path written back at once
    // The first start creates the database from the template.
    Database db;
    QString message;
    ASSERT_TRUE(startup::openStartDatabase(t.ctx, db, &message)) << message.toStdString();
    const auto counts = db.counts();
    EXPECT_TRUE(counts && counts->kunden == 1 && counts->artikel == 1 && counts->rechnungen == 0);

    TestContext stored(QLatin1Char('.'));
    const QStringList keys{u("Datenpfad"), u("Sicherung"), u("Hintergrundfarbe"), u("Rechnungsbasis")},
        values{u("/daten/Firma.qtb"), u("/sicherung/"), u("16777215"), u("1")};
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
    EXPECT_EQ(t.state.databasePath, QDir::toNativeSeparators(QDir::home().filePath(u("Quittora pro - Daten/Quittora.qtb"))));
    EXPECT_EQ(t.state.tempFolder, u("Kein temporäres Verzeichnis für die Erstellung der Faxvorlage vorhanden."));

    TestContext gone;
    const QString path = QDir(gone.folders.root()).filePath(u("USB/Quittora.qtb"));
    gone.settings.setValue(u("Datenpfad"), path);
    startup::loadProgramState(gone.ctx);
    Database db;
    QString message;
    EXPECT_FALSE(startup::openStartDatabase(gone.ctx, db, &message));
    EXPECT_FALSE(message.isEmpty() || db.isOpen() || QFile::exists(path));
}

// "öffnen": only a Quittora file named .qtb or .QTB replaces the binding.
TEST(PfadSuchen, RefusesWhatIsNoQuittoraFileAndRebindsToOneWithItsCount)
{
    TestContext t;
    test::TempDatabase current, other;
    t.state.databasePath = current.path();
    Database db;
    QString message;
    ASSERT_TRUE(db.open(current.path(), &message)) << message.toStdString();
    // Nothing chosen, a Quittora file under a wrong name, another program's
    // SQLite file, a text: each refused with a word, none touched, the
    // binding kept (the file checks themselves: the database tests).
    const QDir folder(other.folder());
    const QString wrong = folder.filePath(u("Quittora.Qtb")), foreign = folder.filePath(u("fremd.qtb"));
    const QString text = folder.filePath(u("notiz.qtb"));
    ASSERT_TRUE(QFile::copy(other.path(), wrong) && testfiles::writeBytes(text, "keine Datenbank")
                && testfiles::execOn(foreign, "CREATE TABLE Rechnungen (ID INTEGER PRIMARY KEY, a7 TEXT)"));
    for (const std::optional<QString>& choice : {std::optional<QString>(), std::optional(wrong), std::optional(foreign), std::optional(text)}) {
        const std::string label = choice.value_or(u("nothing")).toStdString();
        const int shown = t.prompts.count();
        t.prompts.answerOpenFile(choice);
        EXPECT_FALSE(startup::Pfad_suchen(t.ctx, db)) << label;
        EXPECT_EQ(t.prompts.count(), shown + (choice ? 2 : 1)) << "the dialog, and the refusal: " << label;
        EXPECT_TRUE(!choice || t.prompts.last().icon == Prompts::Icon::Critical) << label;
        EXPECT_TRUE(db.isOpen() && db.path() == current.path() && t.state.databasePath == current.path()) << label;
        EXPECT_FALSE(t.settings.contains(u("Datenpfad"))) << label;
    }
    EXPECT_EQ(t.prompts.shown(FakePrompts::Kind::Message).at(0).text,
              QDir::toNativeSeparators(wrong) + u("   ist die falsche Datei, bitte suchen Sie  Quittora.qtb"));
    EXPECT_EQ(testfiles::bytesOf(text), QByteArray("keine Datenbank"));

    other.addDocument(u("1000"), u("01.03.2024"), u("Rechnung"));
    other.addDocument(QString(), u("02.03.2024"), u("Angebot"));
    const QString upper = QDir::toNativeSeparators(folder.filePath(u("FIRMA.QTB")));
    other.db().close();
    ASSERT_TRUE(QFile::rename(other.path(), upper));
    t.prompts.answerOpenFile(upper);
    EXPECT_TRUE(startup::Pfad_suchen(t.ctx, db));
    EXPECT_EQ(QStringList({db.path(), t.state.databasePath, t.settings.value(u("Datenpfad")), t.prompts.last().text}),
              QStringList({upper, upper, upper, u("2 Rechnungen")}));
}

// Whatever the server sends, only a short text of a page that exists counts.
TEST(UpdateCheck, FetchesTheServersTextAsItIsAndNoMoreThanItsLimit)
{
    const std::tuple<QByteArray, int, QString> table[] = {
        {"Version 3.08\r\n", 200, u("Version 3.08\r\n")},
        {"<html><body>Seite nicht gefunden</body></html>", 404, QString()},
        {QByteArray(200000, 'x'), 200, QString(kMaxBytes, QLatin1Char('x'))},
    };
    for (const auto& [body, status, expected] : table) {
        VersionServer server(body, status);
        EXPECT_EQ(fetchNewestVersion(server.url()), expected) << body.left(20).constData();
    }
}

TEST(UpdateCheck, OnlyADifferentVersionAsksAndOnlyYesOpensTheDownloadPage)
{
    FakePrompts prompts;
    RecordingShell shell;
    for (const QString& same : {kInstalled, QString()})
        EXPECT_EQ(decide(prompts, shell, same, kInstalled), Decision::Continue);
    EXPECT_EQ(decide(prompts, shell, u("Version 3.09"), kInstalled), Decision::Continue); // unscripted: No
    ASSERT_EQ(prompts.count(), 1) << "only a different version asks";
    EXPECT_EQ(prompts.last().text,
              u(" auf dem Server Version 3.09 --- installiert Version 3.08\r\r Möchten Sie jetzt die neue Version installieren ?\r"));
    EXPECT_TRUE(prompts.last().buttons == (Prompts::Yes | Prompts::No) && shell.opened().isEmpty());
    // Whatever the server sent, Yes opens the download page and nothing else.
    prompts.answerMessage(Prompts::Yes);
    EXPECT_EQ(decide(prompts, shell, u("https://example.invalid/setup.exe"), kInstalled), Decision::EndProgram);
    EXPECT_EQ(shell.opened(), QStringList{downloadPageUrl().toString()});
    EXPECT_TRUE(shell.started().isEmpty() && downloadPageUrl().scheme() == u("https"));
    // A browser that cannot start lets the program go on, with the address.
    prompts.answerMessage(Prompts::Yes);
    shell.setResult(false);
    EXPECT_EQ(decide(prompts, shell, u("Version 3.09"), kInstalled), Decision::Continue);
    EXPECT_TRUE(prompts.last().text.contains(downloadPageUrl().toString()));
}

} // namespace
