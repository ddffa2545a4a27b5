#include "workspace/DataSources.h"

#include "data/Recordset.h"

namespace quittora {

namespace {

Recordset* makeSource(Database& db, const QString& table, const char* name, QObject* owner)
{
    auto* rs = new Recordset(db, table, owner);
    rs->setObjectName(QString::fromLatin1(name));
    return rs;
}

} // namespace

DataSources::DataSources(Database& db, QObject* owner)
    : m_db(db)
    , m_data1(makeSource(db, QStringLiteral("Kunden"), "Data1", owner))
    , m_data2(makeSource(db, QStringLiteral("Artikel"), "Data2", owner))
    , m_data3(makeSource(db, QStringLiteral("Rechnungen"), "Data3", owner))
    , m_data4(makeSource(db, QStringLiteral("Einstellungen"), "Data4", owner))
    , m_data5(makeSource(db, QStringLiteral("Verkauf"), "Data5", owner))
{
    m_data1->setRecordSource(customersSource());
    m_data2->setRecordSource(QStringLiteral("Artikel"));
    m_data3->setRecordSource(documentsSource());
    m_data4->setRecordSource(settingsSource());
    setLinesOf(-1);
}

Recordset* DataSources::byName(const QString& name) const
{
    for (Recordset* rs : all()) {
        if (rs->objectName() == name)
            return rs;
    }
    return nullptr;
}

QList<Recordset*> DataSources::all() const
{
    return {m_data1, m_data2, m_data3, m_data4, m_data5};
}

QString DataSources::customersSource()
{
    return QStringLiteral("SELECT * FROM Kunden ORDER BY SortKey(a2), SortKey(a3), a2, a3, ID");
}

QString DataSources::documentsSource()
{
    return QStringLiteral("Rechnungen");
}

QString DataSources::settingsSource()
{
    return QStringLiteral("Einstellungen");
}

QString DataSources::linesSource()
{
    return QStringLiteral("SELECT * FROM Verkauf WHERE a1 = ? ORDER BY ID");
}

void DataSources::setLinesOf(qint64 documentId)
{
    // Without a document no line matches the empty text.
    m_data5->setRecordSource(linesSource(), {documentId >= 0 ? QString::number(documentId) : QString()});
}

bool DataSources::bindAll(const QString& articleSource)
{
    m_data1->setRecordSource(customersSource());
    m_data2->setRecordSource(articleSource);
    m_data3->setRecordSource(documentsSource());
    m_data4->setRecordSource(settingsSource());
    bool ok = true;
    for (Recordset* rs : all())
        ok = rs->refresh() && ok;
    return ok;
}

bool DataSources::storeAll()
{
    bool ok = true;
    for (Recordset* rs : all())
        ok = rs->update() && ok;
    return ok;
}

} // namespace quittora
