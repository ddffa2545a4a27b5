#include "app/ReadyReport.h"

#include "data/Recordset.h"
#include "workspace/DataSources.h"
#include "workspace/DocumentNavigator.h"
#include "workspace/widgets/RechnungWindow.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace quittora::ready {

bool requested()
{
    return qEnvironmentVariable(kVariable) == QLatin1String("1");
}

qint64 statusKib(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (!line.startsWith(prefix))
            continue;
        // "VmHWM:	   84512 kB"
        bool ok = false;
        const qint64 kib = line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong(&ok);
        return ok ? kib : -1;
    }
    return -1;
}

qint64 peakResidentKib()
{
    return std::max(statusKib("VmHWM"), statusKib("VmRSS"));
}

QString reportLine(qint64 ms, qint64 peakKib, qint64 rssKib, int documents)
{
    return QStringLiteral("QUITTORA_READY ms=%1 peak_kib=%2 rss_kib=%3 documents=%4")
        .arg(ms)
        .arg(peakKib)
        .arg(rssKib)
        .arg(documents);
}

void whenReady(RechnungWindow& window, std::function<void()> onReady)
{
    DocumentNavigator& nav = window.navigator();
    auto* watcher = new QObject(&window);
    auto loaded = std::make_shared<bool>(false);
    auto done = std::make_shared<bool>(false);
    const auto reportIfDone = [&nav, watcher, loaded, done, onReady = std::move(onReady)] {
        if (*done || !*loaded || nav.loadTimer()->isActive() || nav.syncTimer()->isActive())
            return;
        // Once only: later moves are the user's.
        *done = true;
        watcher->deleteLater();
        onReady();
    };
    // Connected after the navigator's own handler, so Timer3's move to the
    // last document has happened (and has started Timer5, unless there was
    // nothing to move to).
    QObject::connect(nav.loadTimer(), &QTimer::timeout, watcher, [loaded, reportIfDone] {
        *loaded = true;
        reportIfDone();
    });
    QObject::connect(&nav, &DocumentNavigator::synced, watcher, reportIfDone);
    if (!nav.loadTimer()->isActive()) {
        // Nothing is loading (no database is bound yet): ready as it is.
        *loaded = true;
        QTimer::singleShot(0, watcher, reportIfDone);
    }
}

void exitWhenReady(RechnungWindow& window, const QElapsedTimer& sinceStart)
{
    const Recordset& documents = window.sources().documents();
    whenReady(window, [&documents, sinceStart] {
        const QString line = reportLine(sinceStart.elapsed(), peakResidentKib(), statusKib("VmRSS"),
                                        documents.recordCount());
        std::fprintf(stdout, "%s\n", qPrintable(line));
        std::fflush(stdout);
        QCoreApplication::quit();
    });
}

} // namespace quittora::ready
