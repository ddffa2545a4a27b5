#include "tools/UpdateCheck.h"

#include "support/QtPrinters.h"
#include "support/TestContext.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

using namespace quittora;
using namespace quittora::update;



namespace {

QString s(const char* text) { return QString::fromUtf8(text); }
const QString kInstalled = QStringLiteral("Version 3.08");

// A tiny web server on 127.0.0.1 that answers every request with one fixed
// reply, or keeps the connection open without ever answering.
class VersionServer {
public:
    explicit VersionServer(QByteArray body, int status = 200, bool silent = false)
        : m_body(std::move(body)), m_status(status), m_silent(silent)
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                m_sockets << socket;
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
            }
        });
        m_server.listen(QHostAddress::LocalHost);
    }
    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/version.txt").arg(m_server.serverPort())); }
    int requests() const { return m_requests; }
    QByteArray lastRequest() const { return m_request; }

private:
    void answer(QTcpSocket* socket)
    {
        m_request += socket->readAll();
        if (!m_request.contains("\r\n\r\n"))
            return;
        ++m_requests;
        if (m_silent)
            return;
        QByteArray reply = "HTTP/1.1 " + QByteArray::number(m_status) + (m_status == 200 ? " OK" : " Not Found")
                           + "\r\nContent-Type: text/plain\r\nContent-Length: " + QByteArray::number(m_body.size())
                           + "\r\nConnection: close\r\n\r\n" + m_body;
        socket->write(reply);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QList<QPointer<QTcpSocket>> m_sockets;
    QByteArray m_body;
    QByteArray m_request;
    int m_status;
    bool m_silent;
    int m_requests = 0;
};

// A port on which nobody listens.
QUrl deadUrl()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return QUrl(QStringLiteral("http://127.0.0.1:%1/version.txt").arg(port));
}

// Sets QUITTORA_UPDATE_URL for one test and puts back what was there.
class UrlVariable {
public:
    explicit UrlVariable(const QByteArray& value) : m_wasSet(qEnvironmentVariableIsSet(kUrlVariable)), m_saved(qgetenv(kUrlVariable))
    {
        qputenv(kUrlVariable, value);
    }
    ~UrlVariable()
    {
        if (m_wasSet)
            qputenv(kUrlVariable, m_saved);
        else
            qunsetenv(kUrlVariable);
    }

private:
    bool m_wasSet;
    QByteArray m_saved;
};

} // namespace

TEST(UpdateCheck, SameVersionOnTheServerAsksNothing)
{
    VersionServer server("Version 3.08");
    const QString newest = fetchNewestVersion(server.url());
    EXPECT_EQ(newest, kInstalled);
    EXPECT_TRUE(server.lastRequest().startsWith("GET /version.txt HTTP/1.1"));

    FakePrompts prompts;
    RecordingShell shell;
    EXPECT_EQ(decide(prompts, shell, newest, kInstalled), Decision::Continue);
    EXPECT_EQ(prompts.count(), 0);
    EXPECT_TRUE(shell.opened().isEmpty());
}

TEST(UpdateCheck, NewerVersionAsksTheExactQuestionAndYesOpensOnlyTheDownloadPage)
{
    VersionServer server("Version 3.09");
    const QString newest = fetchNewestVersion(server.url());
    ASSERT_EQ(newest, s("Version 3.09"));

    FakePrompts prompts;
    RecordingShell shell;
    EXPECT_EQ(decide(prompts, shell, newest, kInstalled), Decision::Continue);
    ASSERT_EQ(prompts.count(), 1);
    EXPECT_EQ(prompts.shown()[0].title, s("eine neue Version steht zur Verfügung"));
    EXPECT_EQ(prompts.shown()[0].text,
              s(" auf dem Server Version 3.09 --- installiert Version 3.08\r\r Möchten Sie jetzt die neue Version installieren ?\r"));
    EXPECT_EQ(prompts.shown()[0].icon, Prompts::Icon::Question);
    EXPECT_EQ(prompts.shown()[0].buttons, Prompts::Yes | Prompts::No);
    EXPECT_TRUE(shell.opened().isEmpty()) << "No opens nothing";

    prompts.answerMessage(Prompts::Yes);
    EXPECT_EQ(decide(prompts, shell, newest, kInstalled), Decision::EndProgram);
    EXPECT_EQ(shell.opened(), QStringList{downloadPageUrl().toString()});
    EXPECT_TRUE(shell.started().isEmpty());
    EXPECT_EQ(downloadPageUrl().scheme(), s("https"));
    EXPECT_EQ(defaultVersionUrl().scheme(), s("https"));
}

TEST(UpdateCheck, ServerTextIsNeverOpenedOrStarted)
{
    VersionServer server("https://example.invalid/setup.exe");
    const QString newest = fetchNewestVersion(server.url());
    FakePrompts prompts;
    prompts.answerMessage(Prompts::Yes);
    RecordingShell shell;
    EXPECT_EQ(decide(prompts, shell, newest, kInstalled), Decision::EndProgram);
    EXPECT_EQ(shell.opened(), QStringList{downloadPageUrl().toString()});
}

TEST(UpdateCheck, BrowserThatCannotStartLetsTheProgramGoOn)
{
    FakePrompts prompts;
    prompts.answerMessage(Prompts::Yes);
    RecordingShell shell;
    shell.setResult(false);
    EXPECT_EQ(decide(prompts, shell, s("Version 3.09"), kInstalled), Decision::Continue);
    ASSERT_EQ(prompts.count(), 2);
    EXPECT_TRUE(prompts.shown()[1].text.contains(downloadPageUrl().toString()));
}

TEST(UpdateCheck, TrailingLineBreakCountsAsADifferentVersion)
{
    VersionServer server("Version 3.08\r\n");
    const QString newest = fetchNewestVersion(server.url());
    EXPECT_EQ(newest, s("Version 3.08\r\n"));
    EXPECT_TRUE(offersUpdate(newest, kInstalled));
    FakePrompts prompts;
    RecordingShell shell;
    decide(prompts, shell, newest, kInstalled);
    ASSERT_EQ(prompts.count(), 1);
    EXPECT_TRUE(prompts.shown()[0].text.startsWith(s(" auf dem Server Version 3.08\r\n --- installiert ")));
}

TEST(UpdateCheck, NoServerIsSilent)
{
    QElapsedTimer clock;
    clock.start();
    const QString newest = fetchNewestVersion(deadUrl());
    EXPECT_TRUE(newest.isEmpty());
    EXPECT_LT(clock.elapsed(), 3000);
    FakePrompts prompts;
    RecordingShell shell;
    EXPECT_EQ(decide(prompts, shell, newest, kInstalled), Decision::Continue);
    EXPECT_EQ(prompts.count(), 0);
}

TEST(UpdateCheck, ServerThatNeverAnswersIsGivenUpWithinTheTimeLimit)
{
    VersionServer server("", 200, true);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(fetchNewestVersion(server.url(), 400).isEmpty());
    EXPECT_EQ(server.requests(), 1);
    EXPECT_GE(clock.elapsed(), 350);
    EXPECT_LT(clock.elapsed(), 2000);
}

TEST(UpdateCheck, ErrorPageIsNoVersion)
{
    VersionServer server("<html><body>Seite nicht gefunden</body></html>", 404);
    EXPECT_TRUE(fetchNewestVersion(server.url()).isEmpty());
}

TEST(UpdateCheck, LongAnswerIsCutAtTheReadLimit)
{
    VersionServer server(QByteArray(200000, 'x'));
    EXPECT_EQ(fetchNewestVersion(server.url()).size(), kMaxBytes);
}

TEST(UpdateCheck, OnlyWebAddressesAreFetched)
{
    EXPECT_TRUE(fetchNewestVersion(QUrl()).isEmpty());
    EXPECT_TRUE(fetchNewestVersion(QUrl(s("file:///etc/hostname"))).isEmpty());
}

TEST(UpdateCheck, EnvironmentChoosesOrSwitchesOffTheAddress)
{
    {
        UrlVariable off("");
        EXPECT_TRUE(versionUrl().isEmpty());
    }
    {
        UrlVariable local("http://127.0.0.1:9/v.txt");
        EXPECT_EQ(versionUrl(), QUrl(s("http://127.0.0.1:9/v.txt")));
    }
    const bool wasSet = qEnvironmentVariableIsSet(kUrlVariable);
    const QByteArray saved = qgetenv(kUrlVariable);
    qunsetenv(kUrlVariable);
    EXPECT_EQ(versionUrl(), defaultVersionUrl());
    if (wasSet)
        qputenv(kUrlVariable, saved);
}

TEST(UpdateCheck, StartUpStepKeepsTheNewestVersionAndEndsOnlyAfterYes)
{
    VersionServer server("Version 3.09");
    UrlVariable url(server.url().toEncoded());
    TestContext t;
    t.state.newestVersion = s("alt");
    EXPECT_EQ(runUpdateCheck(t.ctx, kInstalled), Decision::Continue);
    EXPECT_EQ(t.state.newestVersion, s("Version 3.09"));
    EXPECT_EQ(t.prompts.count(), 1);

    t.prompts.answerMessage(Prompts::Yes);
    EXPECT_EQ(runUpdateCheck(t.ctx, kInstalled), Decision::EndProgram);
    EXPECT_EQ(t.shell.opened(), QStringList{downloadPageUrl().toString()});
    EXPECT_EQ(server.requests(), 2);
}

TEST(UpdateCheck, SwitchedOffCheckAsksNoServer)
{
    VersionServer server("Version 3.09");
    UrlVariable off("");
    TestContext t;
    t.state.newestVersion = s("alt");
    EXPECT_EQ(runUpdateCheck(t.ctx, kInstalled), Decision::Continue);
    EXPECT_TRUE(t.state.newestVersion.isEmpty());
    EXPECT_EQ(t.prompts.count(), 0);
    EXPECT_EQ(server.requests(), 0);
}
