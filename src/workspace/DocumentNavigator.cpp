#include "workspace/DocumentNavigator.h"

#include "data/Recordset.h"
#include "workspace/DataSources.h"

#include <QTimer>

namespace quittora {

namespace {

QTimer* oneShot(QObject* parent, const char* name, int ms)
{
    auto* t = new QTimer(parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setSingleShot(true);
    t->setInterval(ms);
    return t;
}

} // namespace

DocumentNavigator::DocumentNavigator(DataSources& sources, QObject* parent)
    : QObject(parent)
    , m_sources(sources)
    , m_timer3(oneShot(this, "Timer3", kLoadDelayMs))
    , m_timer5(oneShot(this, "Timer5", kSyncDelayMs))
{
    connect(m_timer3, &QTimer::timeout, this, &DocumentNavigator::last);
    connect(m_timer5, &QTimer::timeout, this, &DocumentNavigator::syncNow);
    connect(&m_sources.documents(), &Recordset::aboutToLeave, this, &DocumentNavigator::scheduleSync);
    connect(&m_sources.articles(), &Recordset::currentChanged, this, &DocumentNavigator::keepArticlesInRange);
}

void DocumentNavigator::first()
{
    m_sources.documents().moveFirst();
}

void DocumentNavigator::previous()
{
    Recordset& docs = m_sources.documents();
    if (docs.recordCount() == 0)
        return;
    if (!docs.movePrevious() || docs.bof())
        docs.moveFirst();
}

void DocumentNavigator::next()
{
    Recordset& docs = m_sources.documents();
    if (docs.recordCount() == 0)
        return;
    if (!docs.moveNext() || docs.eof())
        docs.moveLast();
}

void DocumentNavigator::last()
{
    m_sources.documents().moveLast();
}

void DocumentNavigator::startLoadTimer()
{
    m_timer3->start();
}

void DocumentNavigator::scheduleSync()
{
    m_timer5->start();
}

void DocumentNavigator::syncNow()
{
    m_timer5->stop();
    followCustomer();
    Q_EMIT customerCountChanged(m_sources.customers().recordCount());

    const Recordset& docs = m_sources.documents();
    m_sources.setLinesOf(docs.hasCurrent() ? docs.currentId() : -1);
    m_sources.lines().refresh();
    Q_EMIT synced();
}

void DocumentNavigator::followCustomer()
{
    Recordset& customers = m_sources.customers();
    const Recordset& docs = m_sources.documents();
    if (customers.noMatch() || !docs.hasCurrent())
        return;
    // The customer number travels as a bound value: whatever stands in the
    // field, it is compared, never run.
    customers.findFirst(QStringLiteral("ID LIKE ?"), {docs.text(customerField()).trimmed()});
}

void DocumentNavigator::keepArticlesInRange()
{
    Recordset& articles = m_sources.articles();
    if (articles.isAdding() || articles.recordCount() == 0)
        return;
    if (articles.eof())
        articles.moveLast();
    else if (articles.bof())
        articles.moveFirst();
}

void DocumentNavigator::showAllDocuments()
{
    Recordset& docs = m_sources.documents();
    const qint64 current = docs.currentId();
    docs.setRecordSource(DataSources::documentsSource());
    docs.refresh();
    if (current >= 0)
        docs.moveToId(current);
    scheduleSync();
}

} // namespace quittora
