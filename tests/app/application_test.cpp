// The program as started: the main window on its database, another database
// opened, the ready report, the update question and the menu items the
// application wires (colour, manual, info, backup and restore).

#include "app/Application.h"
#include "app/ReadyReport.h"
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
        return q.exec(QStringLiteral("SELECT a2 FROM Kunden ORDER BY ID")) && q.next() ? q.value(0).toString() : QString();
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
    EXPECT_EQ(label("Label25"), QStringLiteral("1 Kunden"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return idle(); }, 2000));
    int calls = 0;
    ready::whenReady(*window, [&] { ++calls; }); // nothing to load: ready at once
    EXPECT_TRUE(QTest::qWaitFor([&] { return calls == 1; }, 2000));

    const QString before = app.database().path();
    t.prompts.answerOpenFile(std::nullopt);
    action("mnuOeffnen")->trigger();
    EXPECT_EQ(app.database().path(), before);

    test::TempDatabase other;
    test::SampleDocuments sample(other);
    t.prompts.answerOpenFile(other.path());
    action("mnuOeffnen")->trigger();
    EXPECT_EQ(app.database().path(), other.path());
    EXPECT_EQ(t.prompts.last().text, QStringLiteral("4 Rechnungen"));
    EXPECT_EQ(label("Label25"), QStringLiteral("4 Kunden"));
    calls = 0;
    qint64 currentThen = -1;
    QString lineOwnerThen;
    bool idleThen = false;
    ready::whenReady(*window, [&] {
        ++calls;
        currentThen = window->sources().documents().currentId();
        lineOwnerThen = window->sources().lines().text(QStringLiteral("a1"));
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
    EXPECT_GT(now, 0);
    EXPECT_GT(ready::statusKib("VmHWM"), 0);
    std::vector<char> block(64 * 1024 * 1024, 1); // taken and touched: shows in the peak
    EXPECT_GE(ready::peakResidentKib(), now + 60 * 1024);
    EXPECT_EQ(block[12345], 1);
    EXPECT_EQ(ready::statusKib("KeinSolchesFeld"), -1);
    EXPECT_EQ(ready::reportLine(523, 84512, 80000, 50000),
              QStringLiteral("QUITTORA_READY ms=523 peak_kib=84512 rss_kib=80000 documents=50000"));
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
    qputenv(update::kUrlVariable, QStringLiteral("http://127.0.0.1:%1/version.txt").arg(server.serverPort()).toUtf8());
    for (auto answer : {Prompts::Yes, Prompts::No}) {
        TestContext t;
        Application app(t.ctx);
        t.prompts.answerMessage(answer);
        RechnungWindow* window = app.start();
        EXPECT_EQ(t.prompts.last().title, QStringLiteral("eine neue Version steht zur Verfügung"));
        EXPECT_TRUE(t.prompts.last().text.startsWith(
            QStringLiteral(" auf dem Server Version 3.09 --- installiert Version 3.08")));
        if (answer == Prompts::Yes) {
            EXPECT_EQ(window, nullptr);
            EXPECT_EQ(t.shell.opened(), QStringList{update::downloadPageUrl().toString()});
            EXPECT_FALSE(app.database().isOpen());
        } else {
            ASSERT_NE(window, nullptr);
            EXPECT_TRUE(window->isVisible());
            EXPECT_EQ(t.state.newestVersion, QStringLiteral("Version 3.09"));
            EXPECT_TRUE(t.shell.opened().isEmpty());
        }
    }
    qputenv(update::kUrlVariable, QByteArray());
}

TEST_F(ApplicationTest, BackgroundColourIsStoredAsBgrNumberAndShownAndBlackOrCancelKeepIt)
{
    const QColor blue(0, 0, 255);
    auto shown = [&] {
        QList<QColor> colours;
        for (const char* name : {"RechnungSurface", "SSTab1", "SSPanel3"})
            colours << window->findChild<QWidget*>(QLatin1String(name))->palette().color(QPalette::Window);
        return colours;
    };
    for (const std::optional<QColor>& chosen : {std::optional<QColor>(blue), std::optional<QColor>(QColor(Qt::black)),
                                                std::optional<QColor>()}) {
        t.prompts.answerColour(chosen);
        action("mnuHintergrundfarbe")->trigger();
        EXPECT_EQ(t.state.backgroundColour, QStringLiteral("16711680"));
        EXPECT_EQ(t.settings.value(QStringLiteral("Hintergrundfarbe")), QStringLiteral("16711680"));
        EXPECT_EQ(shown(), (QList<QColor>{blue, blue, blue}));
    }
}

TEST_F(ApplicationTest, ManualIsOpenedWhenPresentAndInfoOpensFromTheHelpMenu)
{
    action("mnuAnleitung")->trigger();
    EXPECT_TRUE(t.shell.opened().isEmpty());
    EXPECT_TRUE(t.prompts.last().text.contains(QStringLiteral("Anleitung.pdf")));
    QFile pdf(t.folders.programFolder() + QStringLiteral("/Anleitung.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::WriteOnly));
    pdf.write("%PDF-1.4\n");
    pdf.close();
    action("mnuAnleitung")->trigger();
    ASSERT_EQ(t.shell.opened().size(), 1);
    EXPECT_TRUE(t.shell.opened().first().endsWith(QStringLiteral("Anleitung.pdf")));

    QString shownName;
    whenModalOpens([&](QWidget* w) {
        shownName = w->objectName();
        w->close();
    });
    action("mnuInfo")->trigger();
    EXPECT_EQ(shownName, QStringLiteral("Info"));
}

// The backup window works on the closed database; back from it the main
// window goes on with the file, after a restore with the restored data.
TEST_F(ApplicationTest, BackupAndRestoreCloseTheDatabaseAndTheWindowGoesOnWithIt)
{
    QTemporaryDir usb;
    t.state.backupPath = usb.filePath(QStringLiteral("Quittora.qtb"));
    Recordset& customers = window->sources().customers();
    const QString saved = QStringLiteral("Vor der Sicherung");
    customers.setValue(QStringLiteral("a2"), saved); // not yet stored: must reach the backup
    EXPECT_TRUE(safety::isMarkedInUse(t.state.databasePath));
    auto inBackupWindow = [&](const char* button) {
        bool closedMeanwhile = false;
        whenModalOpens([&, button](QWidget* w) {
            EXPECT_EQ(w->objectName(), QStringLiteral("Datensicherung"));
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

    QSqlQuery(app.database().connection()).exec(QStringLiteral("UPDATE Kunden SET a2 = 'Nach der Sicherung'"));
    customers.refresh();
    t.prompts.answerMessage(Prompts::Yes); // "Die Datei ... überschreiben mit ..."
    inBackupWindow("Command4");
    EXPECT_EQ(firstCustomer(), saved);
    EXPECT_EQ(customers.text(QStringLiteral("a2")), saved);
    EXPECT_EQ(t.prompts.count(), 2) << qPrintable(t.prompts.messageTexts().join(QLatin1Char('|')));
    EXPECT_EQ(QFileInfo(t.state.databasePath).dir().entryList({QStringLiteral("* vor Zurückschreiben *")}).size(), 1);
}

} // namespace
