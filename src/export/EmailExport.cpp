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

// The recomputed totals into the head fields that hold them.
void setTotals(Head& head, const Totals& t)
{
    head.net = t.net;
    head.base1 = t.mw1;
    head.base2 = t.mw2;
    head.base0 = t.mw3;
    head.vat1 = t.vat1;
    head.vat2 = t.vat2;
    head.vatTotal = t.vatTotal;
    head.gross = t.gross;
    head.vatSummary = t.vatSummary;
    head.skonto = t.skontoText;
}

void addChange(QHash<QString, QString>& changes, const char* field, const QString& before, const QString& after)
{
    if (before != after)
        changes.insert(QString::fromLatin1(field), after);
}

QHash<QString, QString> changesBetween(const Head& a, const Head& b)
{
    QHash<QString, QString> c;
    addChange(c, "a14", a.net, b.net);
    addChange(c, "a19", a.base1, b.base1);
    addChange(c, "a20", a.base2, b.base2);
    addChange(c, "a21", a.base0, b.base0);
    addChange(c, "a30", a.vat1, b.vat1);
    addChange(c, "a31", a.vat2, b.vat2);
    addChange(c, "a75", a.vatTotal, b.vatTotal);
    addChange(c, "a6", a.gross, b.gross);
    addChange(c, "a26", a.vatSummary, b.vatSummary);
    addChange(c, "b2", a.skonto, b.skonto);
    addChange(c, "a7", a.number, b.number);
    addChange(c, "b10", a.email, b.email);
    return c;
}

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
    setTotals(p.head, totals.totals);

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
    }

    if (p.head.email.isEmpty())
        p.head.email = customer.email;
    p.clipboardText = p.head.email;

    p.documentChanges = changesBetween(head, p.head);
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
                  const Preparation& preparation, QString* error)
{
    if (!preparation.ready()) {
        if (error)
            *error = preparation.message;
        return false;
    }
    QString reason;
    if (storeDocumentChanges(db, documentId, preparation.documentChanges, settings.id(),
                             preparation.nextInvoiceNumber, &reason))
        return true;
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
    if (!storeChanges(db, documentId, settings, r.preparation, &r.message))
        return r;
    if (!replaceFile(path, r.preparation.messageBytes, &r.message))
        return r;
    r.status = ExportResult::Status::Written;
    return r;
}

} // namespace quittora::email
