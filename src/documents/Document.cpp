#include "documents/Document.h"

#include "data/CompanySettings.h"
#include "data/Database.h"
#include "data/Numbers.h"

#include <QSqlError>
#include <QSqlQuery>

namespace quittora::documents {

namespace {

QString recordText(const QSqlQuery& q, const QString& field)
{
    return q.value(field).toString();
}

bool execPrepared(QSqlQuery& q, const QString& sql, const QVariantList& params)
{
    if (!q.prepare(sql))
        return false;
    for (const QVariant& p : params)
        q.addBindValue(p);
    return q.exec();
}

} // namespace

Head headFromFields(const FieldText& field)
{
    Head h;
    h.kind = field(QStringLiteral("a156"));
    h.number = field(QStringLiteral("a7"));
    h.date = field(QStringLiteral("a8"));
    h.salutation = field(QStringLiteral("a1"));
    h.name = field(QStringLiteral("a2"));
    h.addition = field(QStringLiteral("a3"));
    h.street = field(QStringLiteral("a4"));
    h.town = field(QStringLiteral("a5"));
    h.customerId = field(QStringLiteral("b1"));
    h.email = field(QStringLiteral("b10"));
    h.net = field(QStringLiteral("a14"));
    h.base1 = field(QStringLiteral("a19"));
    h.base2 = field(QStringLiteral("a20"));
    h.base0 = field(QStringLiteral("a21"));
    h.vat1 = field(QStringLiteral("a30"));
    h.vat2 = field(QStringLiteral("a31"));
    h.vatTotal = field(QStringLiteral("a75"));
    h.gross = field(QStringLiteral("a6"));
    h.vatSummary = field(QStringLiteral("a26"));
    h.skonto = field(QStringLiteral("b2"));
    h.deliveryDate = field(QStringLiteral("Leistungsdatum"));
    return h;
}

Line lineFromFields(const FieldText& field)
{
    Line l;
    l.quantity = field(QStringLiteral("a2"));
    l.unit = field(QStringLiteral("a3"));
    l.description = field(QStringLiteral("n1"));
    l.rate = field(QStringLiteral("a19"));
    l.unitPrice = field(QStringLiteral("a4"));
    l.amount = field(QStringLiteral("a5"));
    return l;
}

std::optional<Head> loadHead(const Database& db, qint64 documentId)
{
    QSqlQuery q(db.connection());
    if (!execPrepared(q, QStringLiteral("SELECT * FROM Rechnungen WHERE ID = ?"), {documentId}) || !q.next())
        return std::nullopt;
    return headFromFields([&q](const QString& field) { return recordText(q, field); });
}

std::optional<QList<Line>> loadLines(const Database& db, qint64 documentId)
{
    QList<Line> lines;
    QSqlQuery q(db.connection());
    q.setForwardOnly(true);
    if (!execPrepared(q, QStringLiteral("SELECT * FROM Verkauf WHERE a1 = ? ORDER BY ID"),
                      {QString::number(documentId)}))
        return std::nullopt;
    while (q.next())
        lines.append(lineFromFields([&q](const QString& field) { return recordText(q, field); }));
    // Part of the lines is no document: its totals would be stored wrong.
    if (q.lastError().isValid())
        return std::nullopt;
    return lines;
}

std::optional<Customer> loadCustomer(const Database& db, const QString& customerId)
{
    bool isNumber = false;
    const qint64 id = customerId.trimmed().toLongLong(&isNumber);
    if (!isNumber)
        return Customer{};
    QSqlQuery q(db.connection());
    if (!execPrepared(q, QStringLiteral("SELECT a40, a9 FROM Kunden WHERE ID = ?"), {id}))
        return std::nullopt;
    if (!q.next())
        return Customer{};
    return Customer{q.value(0).toString(), q.value(1).toString()};
}

bool twoRatesSet(const CompanySettings& settings)
{
    return !leadingNumber(settings.vatRate1()).isZero() && !leadingNumber(settings.vatRate2()).isZero();
}

} // namespace quittora::documents
