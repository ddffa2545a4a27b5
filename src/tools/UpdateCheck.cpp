#include "tools/UpdateCheck.h"

#include "platform/Context.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "tools/About.h"

#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace quittora::update {

// On the maker's web site, the one the information window links to.
QUrl defaultVersionUrl() { return QUrl(publisherWebUrl() + QStringLiteral("/quittora/version.txt")); }

QUrl downloadPageUrl() { return QUrl(publisherWebUrl() + QStringLiteral("/quittora/download.html")); }

QUrl versionUrl()
{
    if (!qEnvironmentVariableIsSet(kUrlVariable))
        return defaultVersionUrl();
    const QString value = qEnvironmentVariable(kUrlVariable).trimmed();
    return value.isEmpty() ? QUrl() : QUrl(value);
}

QString fetchNewestVersion(const QUrl& url, int timeLimitMs)
{
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("https") && scheme != QLatin1String("http")))
        return {};

    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setTransferTimeout(timeLimitMs);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Quittora"));

    QNetworkReply* reply = manager.get(request);
    QByteArray body;
    bool complete = false;
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        body += reply->read(kMaxBytes - body.size());
        // A version text is a few bytes; anything longer is cut where the
        // old single read stopped and the rest is not waited for.
        if (body.size() >= kMaxBytes) {
            complete = true;
            loop.quit();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, [&] {
        complete = true;
        loop.quit();
    });
    limit.start(timeLimitMs);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    else
        complete = true;

    const bool cut = body.size() >= kMaxBytes;
    if (!cut && reply->isFinished() && reply->error() == QNetworkReply::NoError)
        body += reply->read(kMaxBytes - body.size());
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const bool failed = !complete || (!cut && reply->error() != QNetworkReply::NoError)
                        || (status.isValid() && (status.toInt() < 200 || status.toInt() > 299));
    reply->abort();
    delete reply;
    return failed ? QString() : QString::fromUtf8(body.left(kMaxBytes));
}

bool offersUpdate(const QString& newest, const QString& installed) { return !newest.isEmpty() && newest != installed; }

QString questionTitle() { return QStringLiteral("eine neue Version steht zur Verfügung"); }

QString questionText(const QString& newest, const QString& installed)
{
    return QStringLiteral(" auf dem Server ") + newest + QStringLiteral(" --- installiert ") + installed
           + QStringLiteral("\r\r Möchten Sie jetzt die neue Version installieren ?\r");
}

Decision decide(Prompts& prompts, Shell& shell, const QString& newest, const QString& installed)
{
    if (!offersUpdate(newest, installed))
        return Decision::Continue;
    if (!prompts.question(questionTitle(), questionText(newest, installed)))
        return Decision::Continue;
    const QString page = downloadPageUrl().toString();
    if (!shell.open(page)) {
        prompts.message(QStringLiteral("Hinweis !"),
                        QStringLiteral("Die Download-Seite konnte nicht geöffnet werden. Bitte öffnen Sie im Browser:\n") + page,
                        Prompts::Icon::Exclamation);
        return Decision::Continue;
    }
    return Decision::EndProgram;
}

Decision runUpdateCheck(AppContext& ctx, const QString& installed, int timeLimitMs)
{
    const QUrl url = versionUrl();
    if (url.isEmpty()) {
        ctx.state.newestVersion.clear();
        return Decision::Continue;
    }
    const bool cursor = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    if (cursor)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    ctx.state.newestVersion = fetchNewestVersion(url, timeLimitMs);
    if (cursor)
        QGuiApplication::restoreOverrideCursor();
    return decide(ctx.prompts, ctx.shell, ctx.state.newestVersion, installed);
}

} // namespace quittora::update
