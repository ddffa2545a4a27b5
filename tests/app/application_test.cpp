#include "app/Application.h"
#include "data/Recordset.h"
#include "support/SampleDocuments.h"
#include "support/TestContext.h"
#include "tools/UpdateCheck.h"
#include "workspace/DataSources.h"
#include "workspace/widgets/RechnungWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace quittora;

namespace {

// No update check leaves this machine during the tests.
const bool kNoUpdateServer = qputenv(update::kUrlVariable, QByteArray());

// Start-up ends in the main window bound to the database, and "öffnen" binds
// it to another one.
TEST(Application, StartsOnTheDefaultDatabaseAndOpensAnotherOne)
{
    ASSERT_TRUE(kNoUpdateServer);
    TestContext t;
    Application app(t.ctx);
    RechnungWindow* window = app.start();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(app.database().isOpen());
    // The fresh database holds the template's customer and article only.
    EXPECT_EQ(window->sources().documents().recordCount(), 0);
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("Label25"))->text(), QStringLiteral("1 Kunden"));

    test::TempDatabase other;
    test::SampleDocuments sample(other);
    t.prompts.answerOpenFile(other.path());
    window->findChild<QAction*>(QStringLiteral("mnuOeffnen"))->trigger();
    EXPECT_EQ(app.database().path(), other.path());
    EXPECT_EQ(t.prompts.last().text, QStringLiteral("4 Rechnungen"));
    EXPECT_EQ(window->sources().documents().recordCount(), 4);
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("Label25"))->text(), QStringLiteral("4 Kunden"));
    // Shortly after, the last document is current.
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->sources().documents().currentId() == sample.doc4; }, 2000));
}

TEST(Application, CancelledChoiceKeepsTheWindowOnItsDatabase)
{
    ASSERT_TRUE(kNoUpdateServer);
    TestContext t;
    Application app(t.ctx);
    RechnungWindow* window = app.start();
    ASSERT_NE(window, nullptr);
    const QString before = app.database().path();
    t.prompts.answerOpenFile(std::nullopt);
    window->findChild<QAction*>(QStringLiteral("mnuOeffnen"))->trigger();
    EXPECT_EQ(app.database().path(), before);
    EXPECT_EQ(window->sources().customers().recordCount(), 1);
}

// A web server on loopback that answers every request with one version text.
class OneVersionServer {
public:
    explicit OneVersionServer(const QByteArray& version)
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this, version] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, version] {
                    if (!socket->readAll().contains("\r\n\r\n"))
                        return;
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: "
                                  + QByteArray::number(version.size()) + "\r\nConnection: close\r\n\r\n" + version);
                    socket->disconnectFromHost();
                });
            }
        });
        m_server.listen(QHostAddress::LocalHost);
        qputenv(update::kUrlVariable,
                QStringLiteral("http://127.0.0.1:%1/version.txt").arg(m_server.serverPort()).toUtf8());
    }
    ~OneVersionServer() { qputenv(update::kUrlVariable, QByteArray()); }

private:
    QTcpServer m_server;
};

// A newer version at start: the question comes before any window; Yes opens
// the download page and the program ends without its main window, No starts
// as usual.
TEST(Application, NewerVersionAtStartEndsTheProgramOnlyAfterYes)
{
    OneVersionServer server("Version 3.09");
    {
        TestContext t;
        Application app(t.ctx);
        t.prompts.answerMessage(Prompts::Yes);
        EXPECT_EQ(app.start(), nullptr);
        EXPECT_EQ(t.prompts.last().title, QStringLiteral("eine neue Version steht zur Verfügung"));
        EXPECT_TRUE(t.prompts.last().text.startsWith(QStringLiteral(" auf dem Server Version 3.09 --- installiert Version 3.08")));
        EXPECT_EQ(t.shell.opened(), QStringList{update::downloadPageUrl().toString()});
        EXPECT_TRUE(t.shell.started().isEmpty());
        EXPECT_FALSE(app.database().isOpen());
    }
    {
        TestContext t;
        Application app(t.ctx);
        t.prompts.answerMessage(Prompts::No);
        RechnungWindow* window = app.start();
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(t.state.newestVersion, QStringLiteral("Version 3.09"));
        EXPECT_TRUE(t.shell.opened().isEmpty());
    }
}

} // namespace
