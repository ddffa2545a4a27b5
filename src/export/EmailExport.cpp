#include "export/EmailExport.h"

#include "data/CompanySettings.h"
#include "data/Database.h"
#include "export/ExportFile.h"
#include "workspace/DocumentChanges.h"
#include "workspace/InvoiceNumber.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace quittora::email {

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

Preparation prepare(const Head& head, const QList<Line>& lines, const Customer& customer,
                    const CompanySettings& settings, const Environment& env)
{
    Preparation p;
    p.head = head;

    TotalsInput in = totalsInputFromSettings(settings, env.basis, env.decimalSeparator, env.shortDateFormat);
    for (const Line& l : lines)
        in.lines.append(TotalsLine{l.amount, l.rate});
    in.customerSkonto = customer.skonto;
    in.documentDate = head.date;
    in.storedMw1 = head.base1;
    in.storedMw2 = head.base2;
    in.storedMw3 = head.base0;
    const TotalsResult totals = berechnen(in);
    if (!totals.ok()) {
        p.outcome = Preparation::Outcome::TotalsFailed;
        p.title = totalsErrorTitle();
        p.message = totals.message;
        return p;
    }
    setHeadTotals(p.head, totals.totals);

    const InvoiceNumberAssignment number =
        assignInvoiceNumber(head.kind, head.number, settings.nextInvoiceNumber(), env.decimalSeparator);
    if (number.outcome == InvoiceNumberAssignment::Outcome::NextNumberMissing) {
        p.outcome = Preparation::Outcome::NumberMissing;
        p.title = QStringLiteral("Hinweis !");
        p.message = number.message;
        return p;
    }
    if (number.assigned()) {
        p.head.number = number.number;
        p.nextInvoiceNumber = number.nextNumber;
        p.numberWanted = true;
        p.decimalSeparator = env.decimalSeparator;
    }

    if (p.head.email.isEmpty())
        p.head.email = customer.email;
    p.clipboardText = p.head.email;

    p.documentChanges = headChanges(head, p.head);
    // The address taken from the customer is stored with the document.
    if (head.email != p.head.email)
        p.documentChanges.insert(QStringLiteral("b10"), p.head.email);
    p.messageBytes = buildMessage(p.head, lines, settings, env.basis);
    return p;
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

bool storeChanges(const Database& db, qint64 documentId, const CompanySettings& settings,
                  Preparation& preparation, QString* error)
{
    if (!preparation.ready()) {
        if (error)
            *error = preparation.message;
        return false;
    }
    QString reason;
    NumberClaim claim;
    claim.wanted = preparation.numberWanted;
    claim.decimalSeparator = preparation.decimalSeparator;
    if (storeDocumentChanges(db, documentId, preparation.documentChanges, settings.id(), &claim, &reason)) {
        if (claim.wanted) {
            preparation.head.number = claim.number;
            preparation.nextInvoiceNumber = claim.nextNumber;
            preparation.documentChanges.insert(QStringLiteral("a7"), claim.number);
            preparation.numberWanted = false;
        }
        return true;
    }
    if (error)
        *error = QStringLiteral("Die Rechnung konnte nicht gespeichert werden:\n%1").arg(reason);
    return false;
}

ExportResult exportDocument(const Database& db, qint64 documentId, const Environment& env, const QString& path)
{
    ExportResult r;
    CompanySettings settings;
    if (!settings.load(db)) {
        r.message = QStringLiteral("Die Einstellungen konnten nicht gelesen werden.");
        return r;
    }
    const std::optional<Head> head = loadHead(db, documentId);
    if (!head) {
        r.status = ExportResult::Status::UnknownDocument;
        r.message = QStringLiteral("Es gibt kein Dokument mit der ID %1.").arg(documentId);
        return r;
    }
    const std::optional<QList<Line>> lines = loadLines(db, documentId);
    const std::optional<Customer> customer = loadCustomer(db, head->customerId);
    if (!lines || !customer) {
        r.message = QStringLiteral("Die Rechnungszeilen oder der Kunde konnten nicht gelesen werden.");
        return r;
    }
    r.preparation = prepare(*head, *lines, *customer, settings, env);
    if (!r.preparation.ready()) {
        r.status = ExportResult::Status::Refused;
        r.message = r.preparation.message;
        return r;
    }
    const QString expectedNumber = r.preparation.head.number;
    if (!storeChanges(db, documentId, settings, r.preparation, &r.message))
        return r;
    // Another run took the expected number meanwhile: the message states the
    // number the invoice was given.
    if (r.preparation.head.number != expectedNumber)
        r.preparation.messageBytes = buildMessage(r.preparation.head, *lines, settings, env.basis);
    if (!replaceFile(path, r.preparation.messageBytes, &r.message)) {
        if (!r.preparation.nextInvoiceNumber.isEmpty())
            r.message += QStringLiteral("\nDie Rechnungsnummer %1 bleibt der Rechnung zugeordnet.")
                             .arg(r.preparation.head.number);
        return r;
    }
    r.status = ExportResult::Status::Written;
    return r;
}

} // namespace quittora::email
