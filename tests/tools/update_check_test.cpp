#include "tools/UpdateCheck.h"

#include "support/QtPrinters.h"
#include "support/TestContext.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>

using namespace quittora;
using namespace quittora::update;

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}
const QString kInstalled = QStringLiteral("Version 3.08");

// A web server on 127.0.0.1 that answers every request with one fixed reply,
// or (silent) keeps the connection open without ever answering.
class VersionServer {
public:
    explicit VersionServer(QByteArray body, int status = 200, bool silent = false)
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [=, this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [=, this] {
                    m_request += socket->readAll();
                    if (!m_request.contains("\r\n\r\n") || (++m_requests, silent))
                        return;
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

// Sets QUITTORA_UPDATE_URL (nullptr: unsets it) and puts back what was there.
class UrlVariable {
public:
    explicit UrlVariable(const char* value) : m_wasSet(qEnvironmentVariableIsSet(kUrlVariable)), m_saved(qgetenv(kUrlVariable))
    {
        value ? qputenv(kUrlVariable, value) : qunsetenv(kUrlVariable);
    }
    ~UrlVariable() { m_wasSet ? qputenv(kUrlVariable, m_saved) : qunsetenv(kUrlVariable); }

private:
    bool m_wasSet;
    QByteArray m_saved;
};

} // namespace

TEST(UpdateCheck, FetchesTheServersTextAsItIsAndGivesUpOnASilentServerInTime)
{
    const std::tuple<QByteArray, int, QString> table[] = {
        {"Version 3.08\r\n", 200, s("Version 3.08\r\n")},
        {"<html><body>Seite nicht gefunden</body></html>", 404, QString()},
        {QByteArray(200000, 'x'), 200, QString(kMaxBytes, QLatin1Char('x'))},
    };
    for (const auto& [body, status, expected] : table) {
        VersionServer server(body, status);
        EXPECT_EQ(fetchNewestVersion(server.url()), expected) << body.left(20).constData();
    }
    EXPECT_TRUE(fetchNewestVersion(QUrl(s("file:///etc/hostname"))).isEmpty());
    VersionServer silent("", 200, true);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(fetchNewestVersion(silent.url(), 400).isEmpty());
    EXPECT_EQ(silent.requests(), 1);
    EXPECT_GE(clock.elapsed(), 350);
    EXPECT_LT(clock.elapsed(), 2000);
}

TEST(UpdateCheck, OnlyADifferentVersionAsksAndOnlyYesOpensTheDownloadPage)
{
    FakePrompts prompts;
    RecordingShell shell;
    for (const QString& same : {kInstalled, QString()})
        EXPECT_EQ(decide(prompts, shell, same, kInstalled), Decision::Continue);
    EXPECT_EQ(decide(prompts, shell, s("Version 3.09"), kInstalled), Decision::Continue); // unscripted: No
    ASSERT_EQ(prompts.count(), 1) << "only a different version asks";
    EXPECT_EQ(prompts.last().title, s("eine neue Version steht zur Verfügung"));
    EXPECT_EQ(prompts.last().text,
              s(" auf dem Server Version 3.09 --- installiert Version 3.08\r\r Möchten Sie jetzt die neue Version installieren ?\r"));
    EXPECT_EQ(prompts.last().buttons, Prompts::Yes | Prompts::No);
    EXPECT_TRUE(shell.opened().isEmpty());
    // Whatever the server sent, Yes opens the download page and nothing else.
    prompts.answerMessage(Prompts::Yes);
    EXPECT_EQ(decide(prompts, shell, s("https://example.invalid/setup.exe"), kInstalled), Decision::EndProgram);
    EXPECT_EQ(shell.opened(), QStringList{downloadPageUrl().toString()});
    EXPECT_TRUE(shell.started().isEmpty() && downloadPageUrl().scheme() == s("https"));
    // A browser that cannot start lets the program go on, with the address.
    prompts.answerMessage(Prompts::Yes);
    shell.setResult(false);
    EXPECT_EQ(decide(prompts, shell, s("Version 3.09"), kInstalled), Decision::Continue);
    EXPECT_TRUE(prompts.last().text.contains(downloadPageUrl().toString()));
}

TEST(UpdateCheck, TheEnvironmentChoosesOrSwitchesOffTheAddress)
{
    {
        UrlVariable unset(nullptr);
        EXPECT_TRUE(versionUrl() == defaultVersionUrl() && versionUrl().scheme() == s("https"));
    }
    VersionServer server("Version 3.09");
    {
        UrlVariable off("");
        TestContext t;
        t.state.newestVersion = s("alt");
        EXPECT_EQ(runUpdateCheck(t.ctx, kInstalled), Decision::Continue);
        EXPECT_TRUE(t.state.newestVersion.isEmpty());
        EXPECT_EQ(t.prompts.count(), 0);
    }
    UrlVariable url(server.url().toEncoded().constData());
    TestContext t;
    t.prompts.answerMessage(Prompts::Yes);
    EXPECT_EQ(runUpdateCheck(t.ctx, kInstalled), Decision::EndProgram);
    EXPECT_EQ(t.state.newestVersion, s("Version 3.09"));
    EXPECT_EQ(t.shell.opened(), QStringList{downloadPageUrl().toString()});
    EXPECT_EQ(server.requests(), 1);
}
