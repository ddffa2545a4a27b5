#include "tools/UpdateCheck.h"

#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "support/QtPrinters.h"

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

class QuestionPrompts final : public Prompts {
public:
    struct Shown {
        QString title;
        QString text;
        Icon icon;
        int buttons;
    };
    Button answer = No;
    QList<Shown> shown;
    Button message(const QString& title, const QString& text, Icon icon, int buttons) override
    {
        shown.push_back({title, text, icon, buttons});
        return (buttons & answer) ? answer : Ok;
    }
    std::optional<QString> input(const QString&, const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> openFile(const QString&, const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> saveFile(const QString&, const QString&, const QString&) override { return std::nullopt; }
    std::optional<QColor> chooseColor(const QColor&) override { return std::nullopt; }
};

class OpenRecorder final : public Shell {
public:
    QStringList opened;
    QList<QStringList> started;
    bool result = true;
    bool open(const QString& fileOrUrl) override
    {
        opened << fileOrUrl;
        return result;
    }
    bool start(const QString& program, const QStringList& arguments) override
    {
        started << (QStringList{program} + arguments);
        return result;
    }
};

} // namespace

TEST(UpdateCheck, SameVersionOnTheServerAsksNothing)
{
    VersionServer server("Version 3.08");
    const QString newest = fetchNewestVersion(server.url());
    EXPECT_EQ(newest, kInstalled);
    EXPECT_TRUE(server.lastRequest().startsWith("GET /version.txt HTTP/1.1"));

    QuestionPrompts prompts;
    OpenRecorder shell;
    EXPECT_EQ(decide(prompts, shell, newest, kInstalled), Decision::Continue);
    EXPECT_TRUE(prompts.shown.isEmpty());
    EXPECT_TRUE(shell.opened.isEmpty());
}

TEST(UpdateCheck, NewerVersionAsksTheExactQuestionAndYesOpensOnlyTheDownloadPage)
{
    VersionServer server("Version 3.09");
    const QString newest = fetchNewestVersion(server.url());
    ASSERT_EQ(newest, s("Version 3.09"));

    QuestionPrompts prompts;
    OpenRecorder shell;
    EXPECT_EQ(decide(prompts, shell, newest, kInstalled), Decision::Continue);
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0].title, s("eine neue Version steht zur Verfügung"));
    EXPECT_EQ(prompts.shown[0].text,
              s(" auf dem Server Version 3.09 --- installiert Version 3.08\r\r Möchten Sie jetzt die neue Version installieren ?\r"));
    EXPECT_EQ(prompts.shown[0].icon, Prompts::Icon::Question);
    EXPECT_EQ(prompts.shown[0].buttons, Prompts::Yes | Prompts::No);
    EXPECT_TRUE(shell.opened.isEmpty()) << "No opens nothing";

    prompts.answer = Prompts::Yes;
    EXPECT_EQ(decide(prompts, shell, newest, kInstalled), Decision::EndProgram);
    EXPECT_EQ(shell.opened, QStringList{downloadPageUrl().toString()});
    EXPECT_TRUE(shell.started.isEmpty());
    EXPECT_EQ(downloadPageUrl().scheme(), s("https"));
    EXPECT_EQ(defaultVersionUrl().scheme(), s("https"));
}

TEST(UpdateCheck, ServerTextIsNeverOpenedOrStarted)
{
    VersionServer server("https://example.invalid/setup.exe");
    const QString newest = fetchNewestVersion(server.url());
    QuestionPrompts prompts;
    prompts.answer = Prompts::Yes;
    OpenRecorder shell;
    EXPECT_EQ(decide(prompts, shell, newest, kInstalled), Decision::EndProgram);
    EXPECT_EQ(shell.opened, QStringList{downloadPageUrl().toString()});
}

TEST(UpdateCheck, BrowserThatCannotStartLetsTheProgramGoOn)
{
    QuestionPrompts prompts;
    prompts.answer = Prompts::Yes;
    OpenRecorder shell;
    shell.result = false;
    EXPECT_EQ(decide(prompts, shell, s("Version 3.09"), kInstalled), Decision::Continue);
    ASSERT_EQ(prompts.shown.size(), 2);
    EXPECT_TRUE(prompts.shown[1].text.contains(downloadPageUrl().toString()));
}

TEST(UpdateCheck, TrailingLineBreakCountsAsADifferentVersion)
{
    VersionServer server("Version 3.08\r\n");
    const QString newest = fetchNewestVersion(server.url());
    EXPECT_EQ(newest, s("Version 3.08\r\n"));
    EXPECT_TRUE(offersUpdate(newest, kInstalled));
    QuestionPrompts prompts;
    OpenRecorder shell;
    decide(prompts, shell, newest, kInstalled);
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_TRUE(prompts.shown[0].text.startsWith(s(" auf dem Server Version 3.08\r\n --- installiert ")));
}

TEST(UpdateCheck, NoServerIsSilent)
{
    QElapsedTimer clock;
    clock.start();
    const QString newest = fetchNewestVersion(deadUrl());
    EXPECT_TRUE(newest.isEmpty());
    EXPECT_LT(clock.elapsed(), 3000);
    QuestionPrompts prompts;
    OpenRecorder shell;
    EXPECT_EQ(decide(prompts, shell, newest, kInstalled), Decision::Continue);
    EXPECT_TRUE(prompts.shown.isEmpty());
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
    const QByteArray saved = qgetenv(kUrlVariable);
    const bool wasSet = qEnvironmentVariableIsSet(kUrlVariable);

    qputenv(kUrlVariable, QByteArray());
    EXPECT_TRUE(versionUrl().isEmpty());
    qputenv(kUrlVariable, "http://127.0.0.1:9/v.txt");
    EXPECT_EQ(versionUrl(), QUrl(s("http://127.0.0.1:9/v.txt")));
    qunsetenv(kUrlVariable);
    EXPECT_EQ(versionUrl(), defaultVersionUrl());

    if (wasSet)
        qputenv(kUrlVariable, saved);
}
